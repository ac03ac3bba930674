#include "desk/loan_limits.h"

#include "common/text.h"
#include "data/folders.h"
#include "desk/app_context.h"

namespace karvel {

namespace {
const QString kPupil = QStringLiteral("école");
const QString kMember = QStringLiteral("extérieur");
} // namespace

qint64 numericValue(const QString& text) {
    qint64 value = 0;
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        // A limit or a loan count never comes near this; it only keeps a
        // stray long number from overflowing.
        if (value < 1'000'000'000'000LL)
            value = value * 10 + (text[i].unicode() - '0');
    }
    return value;
}

QString limitMessage(const QString& borrowerCategory, qint64 count) {
    const bool pupil = borrowerCategory.compare(kPupil, Qt::CaseInsensitive) == 0;
    // clang-format off
    if (count == 1)
        return pupil ? QStringLiteral("L'élève a déjà emprunté un livre...\n\nIl doit le rendre pour pouvoir en emprunter un nouveau !")
                     : QStringLiteral("L'adhérent extérieur a déjà emprunté un livre...\n\nL'adhérent extérieur doit le rendre pour pouvoir en emprunter un nouveau !");
    return (pupil ? QStringLiteral("L'élève a déjà emprunté %1 livres...\n\nIl doit en rendre UN pour pouvoir en emprunter un nouveau !")
                  : QStringLiteral("L'adhérent extérieur a déjà emprunté %1 livres...\n\nL'adhérent extérieur doit en rendre UN pour pouvoir en emprunter un nouveau !"))
        .arg(count);
    // clang-format on
}

bool PassesLoanLimit(AppContext& ctx, const QString& borrowerCategory,
                     const QString& borrowerNumber) {
    QString limit;
    if (borrowerCategory.compare(kPupil, Qt::CaseInsensitive) == 0)
        limit = ctx.loanLimits.pupilLimit;
    else if (borrowerCategory.compare(kMember, Qt::CaseInsensitive) == 0)
        limit = ctx.loanLimits.memberLimit;
    else
        return true;
    // Blanks around the value in a hand-edited LAVOK.INI must not turn "no
    // limit" into a limit of 0.
    if (limit.trimmed() == QLatin1String("0"))
        return true;

    DocumentView& view = ctx.views.documentsView;
    view.bind(pathIn(ctx.dataFolder, kCatalogueFile));
    view.query(Queries::currentLoans(borrowerCategory, borrowerNumber));
    if (view.isEmpty())
        return true;
    view.moveLast();
    const qint64 count = view.recordCount();
    if (numericValue(limit) > count)
        return true;

    ctx.play(Sound::Refused);
    ctx.dialogs.message(Icon::Question, kProgramCaption, limitMessage(borrowerCategory, count));
    AskForceLoan(ctx);
    return ctx.desk.ForceLoan == 1;
}

void AskForceLoan(AppContext& ctx) {
    ctx.answer =
        ctx.dialogs.message(Icon::Question, kProgramCaption,
                            QStringLiteral("Voulez-vous forcer cet emprunt ?"), Buttons::YesNo);
    if (ctx.answer == AnswerYes) {
        ctx.desk.ForceLoan = 1;
        return;
    }
    ctx.desk.ForceLoan = 0;
    ctx.dialogs.message(Icon::Question, kProgramCaption,
                        QStringLiteral("L'emprunt n'a pas été forcé..."));
}

} // namespace karvel
