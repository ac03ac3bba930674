#pragma once
// Whether what a label or card prints fits the layout: each symbol, its
// characters and the card title inside the sheet and clear of the next
// cell's, and narrow bars wide enough for a reader. Lengths are pixels of
// 1/600 inch, the printer's unit for label sheets.

#include <QMarginsF>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

namespace karvel {

struct LabelGrid;

// The narrowest bar a barcode reader still reads from a 200 dpi image: one
// dot of it. Symbols rasterised at 200 dpi and read by ZBar decode from an
// amplitude of 3 pixels (0.127 mm) up, and none at 2.5 (0.106 mm) or 2.
inline constexpr double kNarrowestReadableBarMm = 0.127;

// Code 39 asks for ten narrow elements of white before and after a symbol:
// a reader cannot tell where a symbol ends closer to its neighbour.
inline constexpr double kQuietZoneModules = 10;

// One thing a cell draws, placed from the cell's top-left corner.
struct CellItem {
    // A symbol is its bars and, under them, its characters.
    enum class Kind { Bars, Characters, CardTitle };
    Kind kind;
    QRectF box;
};

// What every cell of a job draws, and where the grid puts the cells.
struct CellPlan {
    std::vector<CellItem> items;
    double cellWidth = 0;
    double cellHeight = 0;
    double amplitude = 0;
    int columns = 0;
    int rows = 0;
};

// The ink of a Code 39 symbol of `characters` characters, stars included.
double symbolInkWidth(int characters, double amplitude);

// The question to ask before printing, in plain French with the question's
// last line, when something does not fit; nothing when everything does. The
// first problem found is named: narrow bars, then columns, then rows, then
// a symbol in the edges of the sheet the printer cannot print
// (`unprintable`, in pixels, for a grid laid from the sheet's edge).
std::optional<QString> layoutFitQuestion(const CellPlan& plan, const LabelGrid& grid,
                                         const QMarginsF& unprintable = {});

} // namespace karvel
