#include "platform/qt_printer.h"

#include "platform/errors.h"
#include "platform/files.h"

#include <QFileInfo>
#include <utility>

namespace karvel {

QtPrinter::QtPrinter(const QPrinterInfo& printer) : printer_(printer, QPrinter::HighResolution) {
    printer_.setDocName(QStringLiteral("KarVel"));
}

QPageLayout QtPrinter::layout(Orientation orientation) const {
    QPageLayout layout = printer_.pageLayout();
    layout.setOrientation(orientation == Orientation::Landscape ? QPageLayout::Landscape
                                                                : QPageLayout::Portrait);
    return layout;
}

QSizeF QtPrinter::printableDots(Orientation orientation) const {
    return layout(orientation).paintRectPixels(printer_.resolution()).size();
}

// The printer's margins are those it cannot print: Qt takes them from its driver.
QMarginsF QtPrinter::marginDots(Orientation orientation) const {
    return QMarginsF(layout(orientation).marginsPixels(printer_.resolution()));
}

QFontMetricsF QtPrinter::metrics(const QFont& font) const {
    return QFontMetricsF(font, &printer_);
}

QPagedPaintDevice& QtPrinter::openDevice(Orientation orientation) {
    printer_.setPageOrientation(orientation == Orientation::Landscape ? QPageLayout::Landscape
                                                                      : QPageLayout::Portrait);
    check_.emplace(printer_.printerName());
    return printer_;
}

void QtPrinter::closeDevice(bool failed) {
    const std::optional<CupsJobCheck> check = std::exchange(check_, std::nullopt);
    if (failed)
        return;
    if (printer_.printerState() == QPrinter::Error)
        throw makeError(ErrDeviceIo, printer_.printerName());
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

} // namespace karvel
