#include "page_scan.h"

#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <gtest/gtest.h>
#include <zbar.h>

namespace karvel::test {

QImage rasterise(const QString& pdf, int dpi, int page) {
    const QString out = pdf + QStringLiteral("-%1-%2").arg(dpi).arg(page);
    QProcess p;
    p.start(QStringLiteral(KARVEL_PDFTOPPM),
            {"-r", QString::number(dpi), "-gray", "-f", QString::number(page), "-l",
             QString::number(page), "-singlefile", pdf, out});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << "pdftoppm failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    // A 600 dpi A4 page is 33 MB of grey; Qt's default limit is 128 MB but
    // counts 4 bytes a pixel.
    QImageReader::setAllocationLimit(512);
    QImage image(out + ".pgm");
    QFile::remove(out + ".pgm");
    return image.convertToFormat(QImage::Format_Grayscale8);
}

std::vector<ScannedSymbol> scanSymbols(const QImage& image, const QRect& area) {
    // Outside the page QImage::copy fills black, which would eat the quiet zone.
    const QRect inside = area.intersected(image.rect());
    const QImage part = image.copy(inside).convertToFormat(QImage::Format_Grayscale8);
    QByteArray pixels;
    pixels.reserve(part.width() * part.height());
    for (int y = 0; y < part.height(); ++y)
        pixels.append(reinterpret_cast<const char*>(part.constScanLine(y)), part.width());

    zbar::zbar_image_scanner_t* scanner = zbar::zbar_image_scanner_create();
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_CODE39, zbar::ZBAR_CFG_ENABLE, 1);
    // The bars stand upright: rows every 4 pixels are enough, columns are not read.
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_X_DENSITY, 0);
    zbar::zbar_image_scanner_set_config(scanner, zbar::ZBAR_NONE, zbar::ZBAR_CFG_Y_DENSITY, 4);
    zbar::zbar_image_t* zimage = zbar::zbar_image_create();
    zbar::zbar_image_set_format(zimage, zbar_fourcc('Y', '8', '0', '0'));
    zbar::zbar_image_set_size(zimage, unsigned(part.width()), unsigned(part.height()));
    zbar::zbar_image_set_data(zimage, pixels.constData(), unsigned(pixels.size()), nullptr);
    zbar::zbar_scan_image(scanner, zimage);
    std::vector<ScannedSymbol> found;
    for (const zbar::zbar_symbol_t* s = zbar::zbar_image_first_symbol(zimage); s;
         s = zbar::zbar_symbol_next(s)) {
        QRect where;
        for (unsigned i = 0; i < zbar::zbar_symbol_get_loc_size(s); ++i)
            where |= QRect(inside.x() + zbar::zbar_symbol_get_loc_x(s, i),
                           inside.y() + zbar::zbar_symbol_get_loc_y(s, i), 1, 1);
        found.push_back({QString::fromUtf8(zbar::zbar_symbol_get_data(s)), where});
    }
    zbar::zbar_image_destroy(zimage);
    zbar::zbar_image_scanner_destroy(scanner);
    return found;
}

QStringList scan(const QImage& image, const QRect& area) {
    QStringList texts;
    for (const ScannedSymbol& symbol : scanSymbols(image, area))
        texts << symbol.text;
    return texts;
}

std::set<int> darkColumns(const QImage& image, int y, int from, int to) {
    std::set<int> dark;
    const uchar* row = image.constScanLine(y);
    for (int x = std::max(from, 0); x < std::min(to, image.width()); ++x)
        if (row[x] < 128)
            dark.insert(x);
    return dark;
}

} // namespace karvel::test
