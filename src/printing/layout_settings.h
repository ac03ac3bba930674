#pragma once
// The nine page-layout values of Form6 as numbers: the checks made before a
// sheet is printed, the defaults the window offers, and the two ways the
// printing windows read numbers typed as text.

#include "data/settings_values.h"

#include <QString>
#include <optional>
#include <variant>

namespace karvel {

struct AppContext;

struct LayoutSettings {
    double top = 0; // margins, mm
    double bottom = 0;
    double left = 0;
    double right = 0;
    double width = 0; // sheet, mm
    double height = 0;
    double amplitude = 0; // narrow bar, pixels of 1/600 inch
    int columns = 0;
    int rows = 0;
};

// A whole text read as a number, blanks around it allowed and a decimal
// point or comma; nothing when it is empty or holds anything else.
std::optional<double> parseNumber(const QString& text);

// A text read the way a decimal number is read from the start of a text:
// blanks anywhere are skipped, reading stops at the first character that
// cannot continue the number, and a text without one is worth 0
// ("17 35" → 1735, "12abc" → 12, "abc" → 0).
double decimalValue(const QString& text);

// The fields as numbers, or the message that refuses them (the part after
// the window's "impossible" line). The amplitude must lie within 2 to 9, the
// columns within 1 to 6 and the rows within 1 to 12; a field that is not a
// number, a sheet without size and margins that leave no room are refused too.
std::variant<LayoutSettings, QString> readLayoutSettings(const LayoutFields& fields);

// True when a margin or a sheet dimension is blank: saving is then refused.
bool hasEmptyMillimetreField(const LayoutFields& fields);

// "&Valeurs par défaut": asks, and on Yes puts the defaults into the fields
// without saving them.
void OfferDefaultLayout(AppContext& ctx);

// "Sauvegarder et &Quitter": true when the fields were saved and the window
// may hide; false when a blank millimetre field was refused and the values
// last saved were read back.
bool SaveLayout(AppContext& ctx);

} // namespace karvel
