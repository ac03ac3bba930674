#pragma once
// Where the cells of a label sheet or a card sheet lie on the page, from the
// layout and the printable size.

namespace karvel {

struct LayoutSettings;

// The geometry of one job, in pixels of 1/600 inch. A cell is `divisions` units
// wide and high: 5 for a label, 10 for a card (the same cell cut finer).
struct LabelGrid {
    double W = 0; // printable width and height
    double H = 0;
    double top = 0;
    double bottom = 0;
    double left = 0;
    double right = 0;
    double U = 0; // width and height inside the margins
    double V = 0;
    double hu = 0; // horizontal and vertical units
    double vu = 0;
    double barHeight = 0;
};

LabelGrid computeLabelGrid(const LayoutSettings& layout, double pageWidth, double pageHeight,
                           int divisions = 5);

} // namespace karvel
