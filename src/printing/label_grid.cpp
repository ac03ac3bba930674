#include "printing/label_grid.h"

#include "printing/layout_settings.h"

#include <cmath>

namespace karvel {

LabelGrid computeLabelGrid(const LayoutSettings& layout, double pageWidth, double pageHeight,
                           int divisions) {
    LabelGrid g;
    g.W = pageWidth;
    g.H = pageHeight;
    g.top = std::floor(g.H / layout.height * layout.top);
    g.bottom = std::floor(g.H / layout.height * layout.bottom);
    g.left = std::floor(g.W / layout.width * layout.left);
    g.right = std::floor(g.W / layout.width * layout.right);
    g.U = g.W - g.left - g.right;
    g.V = g.H - g.top - g.bottom;
    g.hu = g.U / (divisions * layout.columns);
    g.vu = g.V / (divisions * layout.rows);
    g.barHeight = float(3 * g.vu);
    return g;
}

} // namespace karvel
