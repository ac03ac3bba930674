#include "common/draw_rule.h"

#include "common/app_context.h"

namespace karvel {

void DrawRule(AppContext& ctx) {
    PrinterSurface& printer = ctx.printer;
    const double y = printer.y();
    printer.drawLine(ctx.LeftMargin, y, printer.printableWidth() - ctx.RightMargin, y);
    printer.setX(ctx.LeftMargin);
}

} // namespace karvel
