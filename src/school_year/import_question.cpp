#include "school_year/import_question.h"

#include "common/text.h"
#include "data/error_report.h"
#include "desk/app_context.h"

namespace karvel::school_year {

bool AskAndImportPupils(AppContext& ctx, const PupilFile& file, const ImportPlan& plan,
                        bool removeAbsent) {
    const ImportChoices choices{removeAbsent, !plan.badRows.empty()};
    const QString question =
        plan.badRows.empty()
            ? QStringLiteral(
                  "Voulez-vous importer les élèves de ce fichier ? Une copie du fichier des élèves sera faite d'abord.")
            : QStringLiteral(
                  "Voulez-vous importer les élèves de ce fichier sans les lignes fautives ? Une copie du fichier des élèves sera faite d'abord.");
    if (ctx.dialogs.message(Icon::Question, kProgramCaption,
                            describePlan(plan, choices) + QStringLiteral("\n\n") + question,
                            Buttons::YesNo) != AnswerYes)
        return false;
    try {
        const ImportOutcome done = applyPupilImport(
            ctx.files, ctx.clock.today(), {ctx.dataFolder, ctx.pupilsFolder}, file, choices, plan);
        ctx.dialogs.message(Icon::Information, kProgramCaption,
                            describeOutcome(done, QStringLiteral("\n\n")));
        return true;
    } catch (const KarvelError& error) {
        ShowStandardError(ctx, error);
        return false;
    }
}

} // namespace karvel::school_year
