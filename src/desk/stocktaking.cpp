#include "desk/stocktaking.h"

#include "common/text.h"
#include "data/error_report.h"
#include "desk/app_context.h"
#include "desk/overtaken.h"

namespace karvel {

namespace {

enum class Scan { Marked, Refused, End };

Scan markOne(AppContext& ctx, const QString& answer) {
    const QString number = lastFive(answer);
    if (number.isEmpty() || number == QLatin1String("00000"))
        return Scan::End;

    DocumentView& view = ctx.views.documentsView;
    view.query(Queries::documentByNumber(number));
    if (view.isEmpty()) {
        ctx.dialogs.message(Icon::Critical, kProgramCaption,
                            QStringLiteral("Inventaire impossible ...\n"
                                           "(Pas de document avec ce numéro...)"));
        return Scan::Refused;
    }
    const QString state = view.field(QStringLiteral("emprunté")).toUpper();
    if (state.isEmpty() || state == QLatin1String("N")) {
        const RecordView::FieldTexts decided = view.loanState();
        view.setField(QStringLiteral("emprunté"), QStringLiteral("I"));
        view.setField(QStringLiteral("emprunteur"), QString());
        view.setField(QStringLiteral("catégorieemprunteur"), QString());
        view.setField(QStringLiteral("dateemprunt"), formatDate(ctx.clock.today()));
        view.clearCaption();
        if (view.saveOnto(decided))
            return Scan::Marked;
        ctx.dialogs.message(Icon::Critical, kProgramCaption,
                            OvertakenMessage(view, DeskChange::Mark));
        return Scan::Refused;
    }
    if (state == QLatin1String("O"))
        ctx.dialogs.message(
            Icon::Critical, kProgramCaption,
            QStringLiteral(
                "Le document est actuellement considéré comme «emprunté»... Il doit être restitué pour pouvoir être inventorié..."));
    else if (state == QLatin1String("I"))
        ctx.dialogs.message(Icon::Critical, kProgramCaption,
                            QStringLiteral("Le document a déjà été inventorié..."));
    return Scan::Refused;
}

} // namespace

void ConfirmStocktaking(AppContext& ctx) {
    const int answer = ctx.dialogs.message(
        Icon::Question, kProgramCaption,
        QStringLiteral(
            "Voulez-vous réellement effectuer l'inventaire des documents de la V.O.K.? - Attention, les documents inventoriés ne seront plus empruntables, jusqu'à la procédure de 'Fin d'inventaire'..."),
        Buttons::OkCancel);
    if (answer == AnswerOk)
        RunStocktaking(ctx);
}

// The stocktaking's messages stop the reader's keys: what it reads while one
// is open is the next documents, taken before the input box is asked again.
class StocktakingWatcher final : public BoxWatcher {
  public:
    explicit StocktakingWatcher(const AppContext& ctx) : ctx_(ctx) {}
    void beforeBox(Icon) override {}
    void readingKept(int) override { ctx_.play(Sound::Waiting); }

  private:
    const AppContext& ctx_;
};

void RunStocktaking(AppContext& ctx) {
    int count = 0;
    StocktakingWatcher watcher(ctx);
    Dialogs::Watch watch(ctx.dialogs, watcher);
    RunReportingErrors(ctx, [&] {
        for (;;) {
            std::optional<QString> answer = ctx.dialogs.takeWaitingReading();
            if (!answer)
                answer = ctx.dialogs.input(
                    QStringLiteral(
                        "Effectuez une lecture des code-barres des documents à inventorier OU entrez leur numéro d'inventaire (sur le format DOC-xxxxx) - puis pressez 'OK'"),
                    QStringLiteral("Inventaire des documents"));
            const Scan scan = markOne(ctx, answer.value_or(QString()));
            if (scan == Scan::End)
                break;
            if (scan == Scan::Marked)
                ++count;
        }
        ctx.dialogs.message(Icon::Information, kProgramCaption,
                            QLatin1Char(' ') + QString::number(count) +
                                (count < 2 ? QStringLiteral(" document inventorié  ")
                                           : QStringLiteral(" documents inventoriés  ")));
    });
}

} // namespace karvel
