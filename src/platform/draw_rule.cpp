#include "platform/draw_rule.h"

#include "platform/printer_surface.h"

namespace karvel {

void DrawRule(PrinterSurface& printer, double leftMargin, double rightMargin) {
    const double y = printer.y();
    printer.drawLine(leftMargin, y, printer.printableWidth() - rightMargin, y);
    printer.setX(leftMargin);
}

} // namespace karvel
