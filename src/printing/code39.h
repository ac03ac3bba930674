#pragma once
// Code 39 symbols drawn bar by bar on the printer page, for the label sheets
// and the borrower cards. The caller passes the whole text, start and stop
// stars included; no check character is added.

#include <QChar>
#include <QString>
#include <array>

namespace karvel {

struct AppContext;
class PrinterSurface;

struct Code39Entry {
    QChar character;
    // Left to right; true is a wide element.
    std::array<bool, 5> bars;
    // Spaces 1 to 4 follow bars 1 to 4; space 5 is the gap after the
    // character and is always narrow.
    std::array<bool, 5> spaces;
};

// The 44 characters of the set, in the order Code39Index counts them:
// digits, capitals, "-", ".", space, "$", "/", "+", "%" and "*".
extern const std::array<Code39Entry, 44> Code39Table;

// The index of `c` in Code39Table, or -1 outside the set. `c` is upper-cased
// in place, so a lower-case letter is encoded and printed as its capital.
int Code39Index(QChar& c);

// Draws `text` (blanks around it removed) at (x, y), every bar `height`
// pixels tall, the narrow element `amplitude` pixels wide, as one-pixel
// vertical lines. With `showText` each character is printed, in the page's
// current font, centred under its 16-amplitude cell. The page is left in
// pixel units at the bottom end of the last bar line. A character outside
// the set shows the standard error message and ends the symbol there; the
// caller goes on.
void DrawBarcode(AppContext& ctx, PrinterSurface& page, double x, double y, double height,
                 double amplitude, const QString& text, bool showText);

} // namespace karvel
