#include "platform/preview_printer.h"

namespace karvel {

PreviewPrinter::PreviewPrinter(QPrinter& sheets, const PrinterSurface& standIn)
    : SheetsPrinter(sheets) {
    setUnit(standIn.unit());
    setOrientation(standIn.orientation());
    setFontSize(standIn.fontSize());
    setBold(standIn.bold());
    setItalic(standIn.italic());
    // Read in the unit just set.
    setX(standIn.x());
    setY(standIn.y());
}

} // namespace karvel
