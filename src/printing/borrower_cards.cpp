#include "printing/borrower_cards.h"

#include "common/text.h"
#include "data/error_report.h"
#include "data/folders.h"
#include "desk/app_context.h"
#include "printing/code39.h"
#include "printing/label_grid.h"
#include "printing/label_numbers.h"

namespace karvel {

namespace {

// clang-format off
const QString kImpossible = QStringLiteral("L'édition des cartes d'emprunteurs est impossible!");
const QString kNoList = QStringLiteral("Aucune liste de cartes d'emprunteurs à imprimer...");
const QString kNotAMultiple = QStringLiteral("Le nombre de cartes d'emprunteurs souhaité n'est pas un multiple de %1.\n\nVoulez-vous quand même continuer et ne pas imprimer une feuille d'étiquettes complète?");
const QString kPupilsSent = QStringLiteral("L'impression des cartes d'emprunteurs ELEVES est lancée... Patientez");
const QString kMembersSent = QStringLiteral("L'impression des cartes d'emprunteurs ADHERENTS EXTERIEURS est lancée... Patientez");
// clang-format on

constexpr double kTitlePoints = 16;
constexpr double kTextPoints = 11;

const QString kTitle = QStringLiteral("CARTE D'EMPRUNTEUR");

// The title is bold and never italic; the rest of the card is printed plain.
void titleText(PrinterSurface& printer) {
    printer.setFontSize(kTitlePoints);
    printer.setItalic(false);
    printer.setBold(true);
}

void plainText(PrinterSurface& printer) {
    printer.setFontSize(kTextPoints);
    printer.setBold(false);
    printer.setItalic(false);
}

} // namespace

QString cardNameLine(AppContext& ctx, CardKind kind, const QString& number) {
    RecordView* view = nullptr;
    QString first;
    QString last;
    if (kind == CardKind::Pupils) {
        view = &ctx.views.pupilsView;
        view->bind(pathIn(ctx.pupilsFolder, kPupilsFile));
        view->query(Queries::pupilByNumber(number));
        first = QStringLiteral("prénomenfant");
        last = QStringLiteral("nomenfant");
    } else {
        view = &ctx.views.membersView;
        view->query(Queries::memberByNumber(number));
        first = QStringLiteral("prénom");
        last = QStringLiteral("nom");
    }
    if (view->isEmpty())
        return QStringLiteral("NOM :");
    return QStringLiteral("NOM : ") + view->field(first) + QLatin1Char(' ') + view->field(last);
}

void PrintBorrowerCards(AppContext& ctx, const CardRequest& request, const Progress& progress) {
    const std::optional<SheetJob> job = PrepareSheetJob(ctx, 10, true);
    if (!job || !request.kind)
        return;
    const LabelGrid& grid = job->grid;
    const CardKind kind = *request.kind;

    const std::optional<LabelNumbers> numbers =
        ReadNumbersToPrint(ctx, request.numbers, request.seriesStart, request.seriesEnd,
                           request.numberList, qint64(job->layout.rows) * job->layout.columns,
                           request.firstLabel, {kImpossible, kNoList, kNotAMultiple});
    if (!numbers)
        return;

    const QString prefix =
        kind == CardKind::Pupils ? QStringLiteral("*ECO-") : QStringLiteral("*EXT-");
    PrinterSurface& printer = ctx.printer;
    titleText(printer);
    const QRectF title(grid.hu, 0, printer.textWidth(kTitle), printer.textHeight());
    plainText(printer);
    const int characters = int(prefix.size()) + numbers->widestNumber() + 1;
    const double ink = symbolInkWidth(characters, job->layout.amplitude);
    const CellPlan plan{
        {{CellItem::Kind::CardTitle, title},
         {CellItem::Kind::Bars, QRectF(grid.hu, 2 * grid.vu, ink, 3 * grid.vu)},
         {CellItem::Kind::Characters, QRectF(grid.hu, 5 * grid.vu, ink, printer.textHeight())}},
        10 * grid.hu,
        10 * grid.vu,
        job->layout.amplitude,
        job->layout.columns,
        job->layout.rows};
    if (!ConfirmLayoutFits(ctx, plan, *job))
        return;
    // Names are looked up until the database fails once: its message is shown
    // then, and the rest of the cards print without names rather than
    // repeating it on every card.
    bool lookUp = request.lookUpNames;
    auto draw = [&](int r, int c, const QString& number) {
        const double x = grid.left + (c - 1) * 10 * grid.hu + grid.hu;
        const double top = grid.top + (r - 1) * 10 * grid.vu;
        printer.setX(x);
        printer.setY(top);
        titleText(printer);
        printer.printLine(kTitle);
        plainText(printer);
        DrawBarcode(printer, reportTo(ctx), x, top + 2 * grid.vu, float(3 * grid.vu),
                    job->layout.amplitude, prefix + number + QLatin1Char('*'), true);
        printer.setX(x);
        printer.setY(top + 7 * grid.vu);
        plainText(printer);
        QString name = QStringLiteral("NOM :");
        if (lookUp) {
            try {
                name = cardNameLine(ctx, kind, number);
            } catch (const KarvelError& error) {
                ShowStandardError(ctx, error);
                lookUp = false;
            }
        }
        printer.printLine(name);
        plainText(printer);
    };
    RunLabelLoop(ctx, *job, *numbers, request.firstLabel, draw, progress,
                 kind == CardKind::Pupils ? kPupilsSent : kMembersSent);
}

} // namespace karvel
