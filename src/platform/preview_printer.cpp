#include "platform/preview_printer.h"

namespace karvel {

PreviewPrinter::PreviewPrinter(QPrinter& sheets, const PrinterSurface& standIn)
    : SheetsPrinter(sheets) {
    setUnit(standIn.unit());
    setOrientation(standIn.orientation());
    setFontSize(standIn.fontSize());
    // No job leaves bold or italic on, so the default font matches; the
    // position is read in the unit just set.
    setX(standIn.x());
    setY(standIn.y());
}

} // namespace karvel
