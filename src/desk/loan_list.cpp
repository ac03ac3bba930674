#include "desk/loan_list.h"

#include "data/error_report.h"
#include "desk/app_context.h"
#include "desk/desk_state.h"
#include "platform/draw_rule.h"

namespace karvel {

namespace {

// Margin and first line of the page, in the printer's current unit.
constexpr double kLoanListMargin = 400;

} // namespace

void PrintLoanList(AppContext& ctx, const DeskState& desk) {
    ctx.dialogs.setBusy(true);
    PrinterSurface& printer = ctx.printer;
    try {
        printer.setOrientation(Orientation::Portrait);
        // Lines of text start where the printer can print, whatever a label
        // sheet printed before asked.
        printer.setFullPage(false);
        ctx.LeftMargin = kLoanListMargin;
        printer.setY(kLoanListMargin);
        // Every line starts at the margin: ending a line puts the printer
        // back at the edge of its printable area.
        auto line = [&](const QString& text = QString()) {
            printer.setX(ctx.LeftMargin);
            printer.printLine(text);
        };
        line(desk.actionCaption);
        line(ctx.clock.now().toString(QStringLiteral("dd/MM/yyyy hh:mm")));
        line();
        DrawRule(ctx.printer, ctx.LeftMargin, ctx.RightMargin);
        line();
        line(QStringLiteral("Emprunteur : ") + desk.borrowerKind);
        line(QStringLiteral("Matricule : ") + desk.borrowerNumber);
        line(QStringLiteral("Nom et Prénom : ") + desk.borrowerName);
        line();
        line();
        DrawRule(ctx.printer, ctx.LeftMargin, ctx.RightMargin);
        for (const QString& document : desk.handledDocuments)
            line(document);
        printer.endDocument();
    } catch (const KarvelError& error) {
        ReportFailedJob(ctx, error);
        return;
    }
    ctx.dialogs.setBusy(false);
}

} // namespace karvel
