#pragma once
// Code 39 symbols drawn bar by bar on the printer page, for the label sheets
// and the borrower cards. The caller passes the whole text, start and stop
// stars included; no check character is added.

#include <QChar>
#include <QString>
#include <array>
#include <functional>
#include <vector>

namespace karvel {

class KarvelError;
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

// Ten elements a character, bar first, each 1 (narrow) or 3 (wide) narrow
// widths; the tenth is the narrow gap after the character.
inline constexpr int kElementsPerCharacter = 10;

// A text as its symbol: the characters drawn (blanks around the text
// removed, letters in capitals), the widths of their elements one character
// after another, and the position of the first character outside the set
// (-1 when there is none), whose elements and those after it are missing.
struct Code39Encoding {
    QString characters;
    std::vector<int> widths;
    qsizetype invalidAt = -1;
};
Code39Encoding EncodeCode39(const QString& text);

// Draws `text` (blanks around it removed) at (x, y), every bar `height`
// pixels tall, the narrow element `amplitude` pixels wide, as one-pixel
// vertical lines. With `showText` each character is printed, in the page's
// current font, centred under its 16-amplitude cell. The page is left in
// pixel units at the bottom end of the last bar line. A character outside
// the set is given to `report` and ends the symbol there; the caller goes
// on.
void DrawBarcode(PrinterSurface& page, const std::function<void(const KarvelError&)>& report,
                 double x, double y, double height, double amplitude, const QString& text,
                 bool showText);

} // namespace karvel
