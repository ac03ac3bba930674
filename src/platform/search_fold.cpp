#include "platform/search_fold.h"

#include <QChar>
#include <array>

namespace karvel {

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string foldedLetter(char32_t c) {
    switch (c) {
    case U'œ':
    case U'Œ':
        return "oe";
    case U'æ':
    case U'Æ':
        return "ae";
    case U'ß':
        return "ss";
    default:
        break;
    }
    const QString decomposed = QChar::decomposition(c);
    const char32_t base = decomposed.isEmpty() ? c : decomposed.front().unicode();
    std::string out;
    appendUtf8(out, QChar::toCaseFolded(base));
    return out;
}

// The Latin letters of French and its neighbours, worked out once.
constexpr char32_t kTableEnd = 0x250;
const std::array<std::string, kTableEnd>& latinTable() {
    static const std::array<std::string, kTableEnd> table = [] {
        std::array<std::string, kTableEnd> t;
        for (char32_t c = 0; c < kTableEnd; ++c)
            t[c] = foldedLetter(c);
        return t;
    }();
    return table;
}

// The length of the UTF-8 sequence a lead byte starts, 0 for a byte that starts none.
int sequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF5)
        return 4;
    if (lead >= 0xE0)
        return lead < 0xF0 ? 3 : 0;
    if (lead >= 0xC2)
        return 2;
    return 0;
}

} // namespace

std::string foldForSearch(std::string_view utf8) {
    const auto& table = latinTable();
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += char(lead >= 'A' && lead <= 'Z' ? lead + ('a' - 'A') : lead);
            ++i;
            continue;
        }
        const int length = sequenceLength(lead);
        bool valid = length > 0 && i + size_t(length) <= utf8.size();
        char32_t c = valid ? char32_t(lead & (0x7F >> length)) : 0;
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + size_t(k)]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid) {
            out += char(lead);
            ++i;
            continue;
        }
        if (c < kTableEnd)
            out += table[c];
        else
            appendUtf8(out, QChar::toCaseFolded(c));
        i += size_t(length);
    }
    return out;
}

QString foldForSearch(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return QString::fromStdString(
        foldForSearch(std::string_view(utf8.constData(), size_t(utf8.size()))));
}

} // namespace karvel
