#include "catalogue/record_form.h"

#include "common/text.h"
#include "data/error_report.h"
#include "data/numbering.h"
#include "desk/app_context.h"
#include "platform/files.h"
#include "platform/sqlite_db.h"
#include "records/document_view.h"

namespace karvel {

namespace {

const QString kNoNumberLeft =
    QStringLiteral("Plus aucun numéro libre : le numéro 99999 est déjà attribué.");
const QString kBadDate = QStringLiteral("La date doit s'écrire sous la forme jj/mm/aaaa.");

} // namespace

RecordForm::RecordForm(AppContext& ctx, const FormDefinition& definition)
    : ctx_(ctx), definition_(definition) {
    startNew(false);
}

QString RecordForm::path() const {
    return pathIn(ctx_.dataFolder, definition_.file);
}

void RecordForm::tell(Icon icon, const QString& text) {
    ctx_.dialogs.message(icon, kProgramCaption, text);
}

bool RecordForm::mayDropChanges() {
    return ctx_.dialogs.message(
               Icon::Question, kProgramCaption,
               QStringLiteral(
                   "Les modifications de cette fiche ne sont pas enregistrées.\n\nVoulez-vous les abandonner ?"),
               Buttons::YesNo) == AnswerYes;
}

QString RecordForm::value(const QString& field) const {
    for (const auto& [name, text] : values_) {
        if (name == field)
            return text;
    }
    return {};
}

void RecordForm::setValue(const QString& field, const QString& text) {
    for (auto& [name, held] : values_) {
        if (name == field)
            held = text;
    }
}

void RecordForm::startNew(bool keepShared) {
    RecordView::FieldTexts values;
    for (const FormField& field : definition_.fields) {
        QString text;
        if (keepShared && field.keptForNext)
            text = value(field.name);
        else if (field.kind == FieldKind::Date)
            text = formatDate(ctx_.clock.today());
        else if (field.kind == FieldKind::Check)
            text = field.checkedValue;
        values.emplace_back(field.name, text);
    }
    values_ = std::move(values);
    shown_ = values_;
    read_.clear();
    editing_ = false;
    number_.clear();
    RunReportingErrors(ctx_, [&] {
        Database db(path());
        number_ = NextFreeNumber(db, definition_.table, definition_.keyField).value_or(QString());
    });
}

void RecordForm::showRecord(const RecordView& view) {
    for (auto& [name, text] : values_)
        text = view.field(name);
    read_ = values_;
    shown_ = values_;
    number_ = view.field(definition_.keyField);
    editing_ = true;
}

bool RecordForm::open(const QString& reading) {
    const QString number = zeroPadded(lastFive(reading));
    bool found = false;
    const bool read = RunReportingErrors(ctx_, [&] {
        RecordView view(definition_.objectName, QString());
        view.bind(path());
        view.query(definition_.byNumber(number));
        found = !view.isEmpty();
        if (found)
            showRecord(view);
    });
    if (read && !found)
        tell(Icon::Information, definition_.noSuchRecord.arg(number));
    return found;
}

std::optional<RecordView::FieldTexts> RecordForm::checkedValues() {
    RecordView::FieldTexts values = values_;
    for (size_t i = 0; i < values.size(); ++i) {
        const FormField& field = definition_.fields[i];
        QString& text = values[i].second;
        // A value left as it was read is written back as it was, whatever its form.
        if (editing_ && text == read_[i].second)
            continue;
        if (field.kind == FieldKind::Line)
            text = text.trimmed();
        if (field.kind == FieldKind::Date && !text.trimmed().isEmpty()) {
            const std::optional<QDate> date = parseDayFirstDate(text);
            if (!date) {
                tell(Icon::Exclamation, kBadDate);
                return std::nullopt;
            }
            text = formatDate(*date);
        }
        if (field.name == definition_.requiredField && text.isEmpty()) {
            tell(Icon::Exclamation, definition_.required);
            return std::nullopt;
        }
    }
    return values;
}

bool RecordForm::save() {
    const std::optional<RecordView::FieldTexts> values = checkedValues();
    if (!values)
        return false;
    values_ = *values;
    const bool edited = editing_;
    if (!(edited ? saveEdit(*values) : saveNew(*values)))
        return false;
    // After an edit the form starts afresh: the record corrected need not belong to the pile.
    startNew(!edited);
    return true;
}

bool RecordForm::saveNew(const RecordView::FieldTexts& values) {
    std::optional<QString> given;
    const bool written = RunReportingErrors(ctx_, [&] {
        Database db(path());
        // The number is taken under the write lock: no other desk can take it
        // between this choice and the insert.
        Transaction transaction(db);
        given = NextFreeNumber(db, definition_.table, definition_.keyField);
        if (!given)
            return;
        RecordView::FieldTexts record = values;
        record.emplace_back(definition_.keyField, *given);
        record.insert(record.end(), definition_.newRecord.begin(), definition_.newRecord.end());
        QString names;
        QString places;
        for (size_t i = 0; i < record.size(); ++i) {
            names += (i ? QStringLiteral(", ") : QString()) + quotedIdentifier(record[i].first);
            places += (i ? QStringLiteral(", ?") : QStringLiteral("?")) + QString::number(i + 1);
        }
        const auto insert =
            db.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(quotedIdentifier(definition_.table), names, places));
        for (size_t i = 0; i < record.size(); ++i)
            insert->bind(int(i) + 1, record[i].second);
        insert->run();
        transaction.commit();
    });
    if (!written)
        return false;
    if (!given) {
        tell(Icon::Exclamation, kNoNumberLeft);
        return false;
    }
    // None was proposed when the file could not be read as the form started.
    if (!number_.isEmpty() && *given != number_)
        tell(Icon::Information, definition_.numberTaken.arg(number_, *given));
    added_.push_back(*given);
    return true;
}

bool RecordForm::saveEdit(const RecordView::FieldTexts& values) {
    bool saved = false;
    bool gone = false;
    const bool ran = RunReportingErrors(ctx_, [&] {
        RecordView view(definition_.objectName, QString());
        view.bind(path());
        view.query(definition_.byNumber(number_));
        if (view.isEmpty()) {
            gone = true;
            return;
        }
        RecordView::FieldTexts decided;
        for (size_t i = 0; i < values.size(); ++i) {
            if (definition_.fields[i].sameInForm(read_[i].second, values[i].second))
                continue;
            decided.push_back(read_[i]);
            view.setField(values[i].first, values[i].second);
        }
        saved = decided.empty() || view.saveOnto(decided);
        if (!saved)
            showRecord(view);
    });
    if (!ran)
        return false;
    if (gone) {
        tell(Icon::Information, definition_.noSuchRecord.arg(number_));
        startNew(false);
    } else if (!saved) {
        tell(Icon::Exclamation, definition_.changedMeanwhile);
    }
    return saved;
}

void RecordForm::printLabels(const Progress& progress) {
    if (added_.isEmpty()) {
        tell(Icon::Information, definition_.nothingAdded);
        return;
    }
    PrintLabelSheets(ctx_,
                     {definition_.labels, NumberChoice::List, QString(), QString(),
                      added_.join(QLatin1Char('-'))},
                     progress);
}

} // namespace karvel
