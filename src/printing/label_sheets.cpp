#include "printing/label_sheets.h"

#include "common/text.h"
#include "data/error_report.h"
#include "desk/app_context.h"
#include "platform/draw_rule.h"
#include "printing/code39.h"

#include <algorithm>

namespace karvel {

namespace {

// clang-format off
const QString kImpossible = QStringLiteral("L'édition des codes-barres est impossible!");
const QString kNoList = QStringLiteral("Aucune liste de codes-barres à imprimer...");
const QString kFirstLabelOutside = QStringLiteral("Données incorrectes : L'étiquette de départ doit être comprise entre 1 et %1, le nombre d'étiquettes d'une feuille...");
// The count goes where the sign blank of the number leaves two blanks after "de".
const QString kNotAMultiple = QStringLiteral("Le nombre d'étiquettes souhaité n'est pas un multiple de  %1\n\nVoulez-vous quand même continuer et ne pas imprimer une feuille d'étiquettes complète?");
const QString kCommandsSent = QStringLiteral("L'impression des codes-barres de commande est lancée... Patientez");
const QString kDocumentsSent = QStringLiteral("L'impression des codes-barres DOCUMENTS est lancée... Patientez");
const QString kPupilsSent = QStringLiteral("L'impression des codes-barres ELEVES est lancée... Patientez");
const QString kMembersSent = QStringLiteral("L'impression des codes-barres ADHERENTS EXTERIEURS est lancée... Patientez");
// clang-format on

// Bars of the command page, in pixels whatever the layout.
constexpr double kCommandBarHeight = 400;

// Runs a job that ends its document, then tells the user it is on its way
// with `completion`; a preview reaches no printer and says nothing. A
// printer failure shows the standard error message instead.
void sendJob(AppContext& ctx, const std::function<void()>& job, const QString& completion) {
    try {
        job();
    } catch (const KarvelError& error) {
        ReportFailedJob(ctx, error);
        return;
    }
    if (!ctx.printer.isPreview())
        ctx.dialogs.message(Icon::Information, kProgramCaption, completion);
}

// Each text is one printed line from the left edge; a rule crosses the page
// at the current line. The headings follow each symbol from the bottom of its
// last bar, so they come two lines under its characters.
void printCommandPage(AppContext& ctx, const SheetJob& job) {
    PrinterSurface& printer = ctx.printer;
    // The positions come from the label grid, but one column or fewer than
    // six rows would put the symbols past the sheet's edge (6 hu = 1.2 U for
    // one column, 25 vu = V for five rows), and the characters printed there
    // would each start a sheet of their own: the page keeps the units of
    // two columns and six rows at most.
    const double hu = std::min(job.grid.hu, job.grid.U / 10);
    const double vu = std::min(job.grid.vu, job.grid.V / 30);
    auto blank = [&] { printer.printLine(); };
    auto line = [&](const QString& text) { printer.printLine(text); };
    auto rule = [&] { DrawRule(ctx.printer, ctx.LeftMargin, ctx.RightMargin); };
    auto symbol = [&](const QString& text, double y) {
        DrawBarcode(printer, reportTo(ctx), 6 * hu, y, kCommandBarHeight, job.layout.amplitude,
                    text, true);
    };
    blank();
    blank();
    rule();
    blank();
    line(QStringLiteral("IMPRESSION DES CODES-BARRES DE COMMANDE"));
    blank();
    rule();
    symbol(QStringLiteral("*EMPRUNT*"), 5 * vu);
    blank();
    blank();
    line(QStringLiteral("COMMANDE D'EMPRUNT DE DOCUMENTS"));
    blank();
    rule();
    symbol(QStringLiteral("*RESTITUTION*"), 15 * vu);
    blank();
    blank();
    line(QStringLiteral("COMMANDE DE RESTITUTION DE DOCUMENTS"));
    blank();
    rule();
    symbol(QStringLiteral("*IMPRESSION*"), 25 * vu);
    blank();
    blank();
    line(QStringLiteral("COMMANDE D'IMPRESSION DE LA LISTE DES DOCUMENTS RENDUS OU EMPRUNTES"));
    blank();
    rule();
}

} // namespace

void RefusePrinting(AppContext& ctx, const QString& firstLine, const QString& reason) {
    ctx.dialogs.message(Icon::Information, kProgramCaption, firstLine + QLatin1Char('\n') + reason);
}

bool ConfirmIncompleteSheet(AppContext& ctx, const QString& question) {
    ctx.answer = ctx.dialogs.message(Icon::Question, kProgramCaption, question, Buttons::YesNo);
    return ctx.answer == AnswerYes;
}

std::optional<LabelNumbers> ReadNumbersToPrint(AppContext& ctx, NumberChoice choice,
                                               const QString& from, const QString& to,
                                               const QString& list, qint64 perSheet, int firstLabel,
                                               const NumberTexts& texts) {
    if (firstLabel < 1 || firstLabel > perSheet) {
        RefusePrinting(ctx, texts.impossible, kFirstLabelOutside.arg(perSheet));
        return std::nullopt;
    }
    if (choice == NumberChoice::List) {
        std::optional<LabelNumbers> numbers = readList(list);
        if (!numbers)
            RefusePrinting(ctx, texts.impossible, texts.noList);
        return numbers;
    }
    auto series = readSeries(from, to);
    if (const QString* refusal = std::get_if<QString>(&series)) {
        RefusePrinting(ctx, texts.impossible, *refusal);
        return std::nullopt;
    }
    const LabelNumbers& numbers = std::get<LabelNumbers>(series);
    if ((numbers.count() + firstLabel - 1) % perSheet != 0 &&
        !ConfirmIncompleteSheet(ctx, texts.notAMultiple.arg(perSheet)))
        return std::nullopt;
    return numbers;
}

bool ConfirmLayoutFits(AppContext& ctx, const CellPlan& plan, const SheetJob& job) {
    const std::optional<QString> question = layoutFitQuestion(plan, job.grid, job.unprintable);
    return !question || ConfirmIncompleteSheet(ctx, *question);
}

std::optional<SheetJob> PrepareSheetJob(AppContext& ctx, int divisions, bool fromSheetEdge) {
    auto layout = readLayoutSettings(ctx.layout);
    if (const QString* refusal = std::get_if<QString>(&layout)) {
        RefusePrinting(ctx, kImpossible, *refusal);
        return std::nullopt;
    }
    SheetJob job;
    job.layout = std::get<LayoutSettings>(layout);
    PrinterSurface& printer = ctx.printer;
    printer.setUnit(PrinterUnit::Pixels);
    // Whatever the main window chose, sheets print in portrait.
    printer.setOrientation(Orientation::Portrait);
    printer.setFullPage(fromSheetEdge);
    job.unprintable = printer.unprintableMargins();
    job.grid = computeLabelGrid(job.layout, printer.printableWidth(), printer.printableHeight(),
                                divisions);
    ctx.LeftMargin = job.grid.left;
    ctx.RightMargin = job.grid.right;
    return job;
}

void RunLabelLoop(AppContext& ctx, const SheetJob& job, const LabelNumbers& numbers, int firstLabel,
                  const DrawCell& draw, const Progress& progress, const QString& completion) {
    sendJob(
        ctx,
        [&] {
            const qint64 count = numbers.count();
            qint64 k = 0;
            int skipped = firstLabel - 1;
            while (k < count) {
                for (int r = 1; r <= job.layout.rows && k < count; ++r) {
                    for (int c = 1; c <= job.layout.columns && k < count; ++c) {
                        if (skipped > 0) {
                            --skipped;
                            continue;
                        }
                        draw(r, c, formatLabelNumber(numbers.at(k)));
                        progress(numbers.progressAfter(k));
                        ++k;
                    }
                }
                // Taken only if something follows: the last one makes no empty sheet.
                ctx.printer.newPage();
            }
            ctx.printer.endDocument();
        },
        completion);
    progress(0);
}

void PrintLabelSheets(AppContext& ctx, const LabelSheetRequest& request, const Progress& progress) {
    const std::optional<SheetJob> job =
        PrepareSheetJob(ctx, 5, request.kind != LabelKind::Commands);
    if (!job || !request.kind)
        return;
    const LabelGrid& grid = job->grid;

    if (*request.kind == LabelKind::Commands) {
        sendJob(
            ctx,
            [&] {
                printCommandPage(ctx, *job);
                ctx.printer.endDocument();
            },
            kCommandsSent);
        return;
    }

    const std::optional<LabelNumbers> numbers =
        ReadNumbersToPrint(ctx, request.numbers, request.seriesStart, request.seriesEnd,
                           request.numberList, qint64(job->layout.rows) * job->layout.columns,
                           request.firstLabel, {kImpossible, kNoList, kNotAMultiple});
    if (!numbers)
        return;

    QString prefix;
    QString completion;
    switch (*request.kind) {
    case LabelKind::Documents:
        prefix = QStringLiteral("*DOC-");
        completion = kDocumentsSent;
        break;
    case LabelKind::Pupils:
        prefix = QStringLiteral("*ECO-");
        completion = kPupilsSent;
        break;
    case LabelKind::Members:
    case LabelKind::Commands:
        prefix = QStringLiteral("*EXT-");
        completion = kMembersSent;
        break;
    }
    const double amplitude = job->layout.amplitude;
    // The characters go under the bars in the page's current font.
    const int characters = int(prefix.size()) + numbers->widestNumber() + 1;
    const double ink = symbolInkWidth(characters, amplitude);
    const CellPlan plan{{{CellItem::Kind::Bars, QRectF(grid.hu, grid.vu, ink, grid.barHeight)},
                         {CellItem::Kind::Characters, QRectF(grid.hu, grid.vu + grid.barHeight, ink,
                                                             ctx.printer.textHeight())}},
                        5 * grid.hu,
                        5 * grid.vu,
                        amplitude,
                        job->layout.columns,
                        job->layout.rows};
    if (!ConfirmLayoutFits(ctx, plan, *job))
        return;
    auto draw = [&](int r, int c, const QString& number) {
        const double x = grid.left + (c - 1) * 5 * grid.hu + grid.hu;
        const double y = grid.top + (r - 1) * 5 * grid.vu + grid.vu;
        DrawBarcode(ctx.printer, reportTo(ctx), x, y, grid.barHeight, amplitude,
                    prefix + number + QLatin1Char('*'), true);
    };
    RunLabelLoop(ctx, *job, *numbers, request.firstLabel, draw, progress, completion);
}

} // namespace karvel
