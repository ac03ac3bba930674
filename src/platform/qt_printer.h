#pragma once
// The system's default printer (CUPS) as a printer surface, and the choice
// made at start-up between it and a PDF file.

#include "platform/cups_job_check.h"
#include "platform/painter_printer.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <memory>
#include <optional>

namespace karvel {

// Jobs painted on the sheets of a QPrinter: measured on them, turned to
// each job's orientation.
class SheetsPrinter : public PainterPrinter {
  protected:
    explicit SheetsPrinter(QPrinter& sheets) : sheets_(sheets) {}

    double resolution() const override { return sheets_.resolution(); }
    QSizeF printableDots(Orientation orientation) const override;
    QMarginsF marginDots(Orientation orientation) const override;
    QFontMetricsF metrics(const QFont& font) const override;
    QPagedPaintDevice& openDevice(Orientation orientation) override;

    QPrinter& sheets_;

  private:
    QPageLayout layout(Orientation orientation) const;
};

class QtPrinter final : public SheetsPrinter {
  public:
    explicit QtPrinter(const QPrinterInfo& printer);

  protected:
    QPagedPaintDevice& openDevice(Orientation orientation) override;
    void closeDevice(bool failed) override;
    void abortDevice() override { sheets_.abort(); }

  private:
    explicit QtPrinter(std::unique_ptr<QPrinter> printer);

    std::unique_ptr<QPrinter> printer_;
    // Set while a job is being painted.
    std::optional<CupsJobCheck> check_;
};

// The default printer; a PDF file at 600 dpi when the environment variable
// KARVEL_PDF names a file (ending in .pdf) or a folder (anything else; it
// gets a new file per job), or when no printer is installed (a new file per
// job in the data folder's "impressions" folder). `dataFolder` is asked at
// each job.
std::unique_ptr<PrinterSurface> makeDefaultPrinter(Dialogs& dialogs, FileSystem& files,
                                                   const Clock& clock,
                                                   std::function<QString()> dataFolder);

// The sheets a preview shows: those of the default printer, or those of the
// PDF file where makeDefaultPrinter writes one.
std::unique_ptr<QPrinter> makePreviewDevice();

} // namespace karvel
