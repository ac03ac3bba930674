#pragma once
// Printed pages as a reader sees them: poppler rasterises a PDF page and
// ZBar decodes the Code 39 symbols on it.

#include <QImage>
#include <QRect>
#include <QStringList>
#include <set>
#include <vector>

namespace karvel::test {

// The page as poppler renders it, in grey levels; a null image, and a test
// failure, when it cannot.
QImage rasterise(const QString& pdf, int dpi, int page);

struct ScannedSymbol {
    QString text;
    // The points where ZBar read it, in the image's pixels.
    QRect where;
};

// Every Code 39 symbol ZBar finds in `area` of the image.
std::vector<ScannedSymbol> scanSymbols(const QImage& image, const QRect& area);
QStringList scan(const QImage& image, const QRect& area);

// The dark columns of one row of pixels, between `from` and `to`.
std::set<int> darkColumns(const QImage& image, int y, int from, int to);

} // namespace karvel::test
