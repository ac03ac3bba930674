#pragma once
// Jobs painted on the sheets of a print preview, by the code that paints them
// on paper and with the same pixel of 1/600 inch.

#include "platform/qt_printer.h"

namespace karvel {

class PreviewPrinter final : public SheetsPrinter {
  public:
    // Starts from the state of `standIn`, the surface whose job is shown, so
    // the preview prints what that surface would.
    PreviewPrinter(QPrinter& sheets, const PrinterSurface& standIn);

    bool isPreview() const override { return true; }

  protected:
    void closeDevice(bool) override {}
};

} // namespace karvel
