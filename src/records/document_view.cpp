#include "records/document_view.h"

#include "platform/clock.h"

#include <QRegularExpression>

namespace karvel {

namespace {
const QString kLoanState = QStringLiteral("emprunté");
const QString kLoanDate = QStringLiteral("dateemprunt");
} // namespace

std::optional<QDate> parseDayFirstDate(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,2})[/.-](\\d{1,2})[/.-](\\d{2}|\\d{4})\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    int year = match.captured(3).toInt();
    if (match.capturedLength(3) == 2)
        year += year < 30 ? 2000 : 1900;
    const QDate date(year, match.captured(2).toInt(), match.captured(1).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString loanDurationText(qint64 days) {
    return QString::number(days) + (days >= 2 ? QStringLiteral(" jours") : QStringLiteral(" jour"));
}

DocumentView::DocumentView(QString name, QString linkName, const Clock& clock)
    : RecordView(std::move(name), std::move(linkName)), clock_(clock) {}

RecordView::FieldTexts DocumentView::loanState() const {
    FieldTexts state;
    for (const QString& name : {kLoanState, QStringLiteral("emprunteur"),
                                QStringLiteral("catégorieemprunteur"), QStringLiteral("cumul")})
        state.emplace_back(name, field(name));
    return state;
}

void DocumentView::showDuration() {
    // A loan date that is not a date leaves the caption as it was.
    if (const auto lent = parseDayFirstDate(field(kLoanDate)))
        caption_ = loanDurationText(lent->daysTo(clock_.today()));
}

void DocumentView::fieldChanged(const QString& name) {
    if (name.compare(kLoanState, Qt::CaseInsensitive) == 0) {
        const QString state = field(kLoanState);
        if (state.compare(QLatin1String("O"), Qt::CaseInsensitive) == 0) {
            if (state != QLatin1String("O"))
                rewriteField(kLoanState, QStringLiteral("O"));
            showDuration();
        } else if (state.compare(QLatin1String("N"), Qt::CaseInsensitive) == 0 ||
                   state.compare(QLatin1String("I"), Qt::CaseInsensitive) == 0) {
            if (state != state.toUpper())
                rewriteField(kLoanState, state.toUpper());
            caption_.clear();
        } else if (state.isEmpty()) {
            caption_.clear();
        }
    } else if (name.compare(kLoanDate, Qt::CaseInsensitive) == 0) {
        if (field(kLoanState) == QLatin1String("O"))
            showDuration();
        else
            caption_.clear();
    }
}

} // namespace karvel
