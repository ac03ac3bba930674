#include "platform/qt_printer.h"

#include "platform/errors.h"
#include "platform/files.h"

#include <QFileInfo>
#include <utility>

namespace karvel {

QPageLayout SheetsPrinter::layout(Orientation orientation) const {
    QPageLayout layout = sheets_.pageLayout();
    layout.setOrientation(pageOrientation(orientation));
    return layout;
}

QSizeF SheetsPrinter::printableDots(Orientation orientation) const {
    return layout(orientation).paintRectPixels(sheets_.resolution()).size();
}

// The printer's margins are those it cannot print: Qt takes them from its driver.
QMarginsF SheetsPrinter::marginDots(Orientation orientation) const {
    return QMarginsF(layout(orientation).marginsPixels(sheets_.resolution()));
}

QFontMetricsF SheetsPrinter::metrics(const QFont& font) const {
    return QFontMetricsF(font, &sheets_);
}

QPagedPaintDevice& SheetsPrinter::openDevice(Orientation orientation) {
    sheets_.setPageOrientation(pageOrientation(orientation));
    return sheets_;
}

QtPrinter::QtPrinter(const QPrinterInfo& printer)
    : QtPrinter(std::make_unique<QPrinter>(printer, QPrinter::HighResolution)) {}

QtPrinter::QtPrinter(std::unique_ptr<QPrinter> printer)
    : SheetsPrinter(*printer), printer_(std::move(printer)) {
    sheets_.setDocName(QStringLiteral("KarVel"));
}

QPagedPaintDevice& QtPrinter::openDevice(Orientation orientation) {
    QPagedPaintDevice& device = SheetsPrinter::openDevice(orientation);
    check_.emplace(sheets_.printerName());
    return device;
}

void QtPrinter::closeDevice(bool failed) {
    const std::optional<CupsJobCheck> check = std::exchange(check_, std::nullopt);
    if (failed)
        return;
    if (sheets_.printerState() == QPrinter::Error)
        throw makeError(ErrDeviceIo, sheets_.printerName());
    // Qt has handed the job over; only the server tells whether it was taken.
    if (check)
        check->confirm();
}

std::unique_ptr<PrinterSurface> makeDefaultPrinter(Dialogs& dialogs, FileSystem& files,
                                                   const Clock& clock,
                                                   std::function<QString()> dataFolder) {
    const QString named = qEnvironmentVariable("KARVEL_PDF");
    if (!named.isEmpty()) {
        // Made absolute now so that a relative name keeps its meaning. A name
        // not ending in .pdf is a folder, made at the first job if missing.
        const QString path = QFileInfo(named).absoluteFilePath();
        const bool folder = named.endsWith(QLatin1Char('/')) ||
                            !named.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
        return std::make_unique<PdfPrinter>(dialogs, files, clock, [path, folder] {
            return PdfTarget{path, folder || QFileInfo(path).isDir()};
        });
    }
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull())
        return std::make_unique<QtPrinter>(printer);
    return std::make_unique<PdfPrinter>(dialogs, files, clock, [dataFolder] {
        return PdfTarget{pathIn(dataFolder(), QStringLiteral("impressions")), true};
    });
}

std::unique_ptr<QPrinter> makePreviewDevice() {
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (qEnvironmentVariable("KARVEL_PDF").isEmpty() && !printer.isNull())
        return std::make_unique<QPrinter>(printer, QPrinter::HighResolution);
    auto pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pdf->setOutputFormat(QPrinter::PdfFormat);
    pdf->setPageLayout(fullPageLayout(QPageSize(QPageSize::A4), Orientation::Portrait));
    return pdf;
}

} // namespace karvel
