#include "printing/code39.h"

#include "platform/errors.h"
#include "platform/printer_surface.h"

namespace karvel {

namespace {

// The platform's number for an index outside an array: what a character
// outside the set fails with when its first bar is looked up.
constexpr int kSubscriptOutOfRange = 9;

// Bars and spaces interleaved, b1 s1 b2 s2 b3 s3 b4 s4 b5, 1 for wide: the
// patterns of the Code 39 standard.
constexpr Code39Entry entry(char16_t character, const char (&pattern)[10]) {
    Code39Entry e{QChar(character), {}, {}};
    for (int j = 0; j < 5; ++j) {
        e.bars[j] = pattern[2 * j] == '1';
        e.spaces[j] = j < 4 && pattern[2 * j + 1] == '1';
    }
    return e;
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ');
}

// Only blanks are trimmed: any other character is drawn or refused.
QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

} // namespace

const std::array<Code39Entry, 44> Code39Table = {
    entry(u'0', "000110100"), entry(u'1', "100100001"), entry(u'2', "001100001"),
    entry(u'3', "101100000"), entry(u'4', "000110001"), entry(u'5', "100110000"),
    entry(u'6', "001110000"), entry(u'7', "000100101"), entry(u'8', "100100100"),
    entry(u'9', "001100100"), entry(u'A', "100001001"), entry(u'B', "001001001"),
    entry(u'C', "101001000"), entry(u'D', "000011001"), entry(u'E', "100011000"),
    entry(u'F', "001011000"), entry(u'G', "000001101"), entry(u'H', "100001100"),
    entry(u'I', "001001100"), entry(u'J', "000011100"), entry(u'K', "100000011"),
    entry(u'L', "001000011"), entry(u'M', "101000010"), entry(u'N', "000010011"),
    entry(u'O', "100010010"), entry(u'P', "001010010"), entry(u'Q', "000000111"),
    entry(u'R', "100000110"), entry(u'S', "001000110"), entry(u'T', "000010110"),
    entry(u'U', "110000001"), entry(u'V', "011000001"), entry(u'W', "111000000"),
    entry(u'X', "010010001"), entry(u'Y', "110010000"), entry(u'Z', "011010000"),
    entry(u'-', "010000101"), entry(u'.', "110000100"), entry(u' ', "011000100"),
    entry(u'$', "010101000"), entry(u'/', "010100010"), entry(u'+', "010001010"),
    entry(u'%', "000101010"), entry(u'*', "010010100"),
};

int Code39Index(QChar& c) {
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - '0';
    c = c.toUpper();
    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        return c.unicode() - 55;
    switch (c.unicode()) {
    case '-':
        return 36;
    case '.':
        return 37;
    case ' ':
        return 38;
    case '*':
        return 43;
    case '$':
        return 39;
    case '/':
        return 40;
    case '+':
        return 41;
    case '%':
        return 42;
    default:
        return -1;
    }
}

Code39Encoding EncodeCode39(const QString& text) {
    Code39Encoding symbol{trimBlanks(text), {}, -1};
    for (qsizetype i = 0; i < symbol.characters.size(); ++i) {
        const int index = Code39Index(symbol.characters[i]);
        if (index < 0) {
            symbol.invalidAt = i;
            break;
        }
        const Code39Entry& e = Code39Table[size_t(index)];
        for (size_t j = 0; j < 5; ++j) {
            symbol.widths.push_back(e.bars[j] ? 3 : 1);
            symbol.widths.push_back(e.spaces[j] ? 3 : 1);
        }
    }
    return symbol;
}

void DrawBarcode(PrinterSurface& page, const std::function<void(const KarvelError&)>& report,
                 double x, double y, double height, double amplitude, const QString& text,
                 bool showText) {
    try {
        page.setUnit(PrinterUnit::Pixels);
        page.setX(x);
        page.setY(y);
        const Code39Encoding symbol = EncodeCode39(text);
        double bx = x;
        const double cell = 16 * amplitude;
        for (qsizetype i = 0; i < symbol.characters.size(); ++i) {
            if (showText) {
                const QString character(symbol.characters[i]);
                page.setX(bx + (cell - page.textWidth(character)) / 2);
                page.setY(y + height);
                page.print(character);
            }
            // The character is already printed when its bars turn out to be missing.
            if (i == symbol.invalidAt)
                throw KarvelError(kSubscriptOutOfRange,
                                  QStringLiteral("L'indice n'appartient pas à la sélection."));
            for (size_t j = 0; j < kElementsPerCharacter; j += 2) {
                const size_t first = size_t(i) * kElementsPerCharacter + j;
                const double width = symbol.widths[first] * amplitude;
                // One line per pixel column; a fractional width keeps its whole part.
                for (int k = 1; k <= width; ++k) {
                    page.drawLine(bx, y, bx, y + height, Qt::black);
                    bx += 1;
                }
                bx += symbol.widths[first + 1] * amplitude;
            }
        }
    } catch (const KarvelError& error) {
        report(error);
    }
}

} // namespace karvel
