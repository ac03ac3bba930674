#pragma once
// Texts as a search compares them: lower case, accents removed, and the
// ligatures œ, æ and ß written out, so that "elephant" finds "Éléphant"
// and "coeur" finds "Cœur".

#include <QString>
#include <string>
#include <string_view>

namespace karvel {

// UTF-8 in, UTF-8 out; bytes that are not UTF-8 are kept as they are.
std::string foldForSearch(std::string_view utf8);
QString foldForSearch(const QString& text);

// The SQL function FRHOLDS(text, folded): 1 when the text, folded this way,
// holds `folded`, a search text already folded.
inline constexpr const char* kSearchHoldsFunction = "FRHOLDS";

} // namespace karvel
