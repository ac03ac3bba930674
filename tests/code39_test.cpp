// Code 39 symbols on the recording surface: the widths of bars and spaces,
// where the characters go, where the page is left, and what a character
// outside the set does.

#include "data/error_report.h"
#include "printing/code39.h"
#include "test_data.h"

#include <gtest/gtest.h>
#include <numeric>

using namespace karvel;
using namespace karvel::test;

namespace {

// Runs of adjacent one-pixel lines, as the eye (or a scanner) sees them.
struct Element {
    bool bar;
    int width;
};

std::vector<double> lineColumns(const PrintedJob& job) {
    std::vector<double> xs;
    for (const PrintedItem& item : job.items)
        if (item.kind == PrintedItem::Kind::Line)
            xs.push_back(item.from.x());
    return xs;
}

// The bars and the spaces between them, from the line columns of one symbol.
std::vector<Element> elements(const std::vector<double>& xs) {
    std::vector<Element> out;
    for (size_t i = 0; i < xs.size(); ++i) {
        if (i > 0 && xs[i] == xs[i - 1] + 1) {
            ++out.back().width;
            continue;
        }
        if (i > 0)
            out.push_back({false, int(xs[i] - xs[i - 1] - 1)});
        out.push_back({true, 1});
    }
    return out;
}

// Widths in narrow elements, as the standard writes them: "*" is
// n w n n w n w n n (bar, space, bar...), "A" is w n n n n w n n w.
std::vector<int> modules(const std::vector<Element>& els, int amplitude) {
    std::vector<int> m;
    for (const Element& e : els)
        m.push_back(e.width / amplitude);
    return m;
}

struct Code39 : ::testing::Test {
    TestContext t;
    RecordingPrinter& page = t.printer;

    void draw(const QString& text, double x = 100, double y = 200, double height = 300,
              double amplitude = 2, bool showText = false) {
        DrawBarcode(page, reportTo(t.ctx), x, y, height, amplitude, text, showText);
    }
    std::vector<QString> texts() const {
        std::vector<QString> out;
        for (const PrintedItem& item : page.current().items)
            if (item.kind == PrintedItem::Kind::Text)
                out.push_back(item.text);
        return out;
    }
};

TEST_F(Code39, IndexesUpperCaseInPlace) {
    const std::pair<QChar, int> rows[] = {
        {u'0', 0},  {u'9', 9},  {u'A', 10}, {u'Z', 35}, {u'-', 36}, {u'.', 37},
        {u' ', 38}, {u'$', 39}, {u'/', 40}, {u'+', 41}, {u'%', 42}, {u'*', 43},
        {u'#', -1}, {u'é', -1}, {u'É', -1}, {u'_', -1}, {u'a', 10}, {u'z', 35},
    };
    for (auto [c, index] : rows) {
        QChar in = c;
        EXPECT_EQ(Code39Index(in), index) << QString(c).toStdString();
        if (index >= 0) {
            EXPECT_EQ(Code39Table[size_t(index)].character, in);
        }
    }
    QChar lower = u'k';
    Code39Index(lower);
    EXPECT_EQ(lower, QChar(u'K'));
    QChar accented = u'é';
    EXPECT_EQ(Code39Index(accented), -1);
    EXPECT_EQ(accented, QChar(u'É'));
}

TEST_F(Code39, FiveCharacterSymbolOfAmplitudeTwo) {
    draw("*ABC*");
    const std::vector<double> xs = lineColumns(page.current());
    // "*", "A", "B" and "C" each have 2 wide bars and 3 narrow ones:
    // 5 characters × (2 × 3 + 3 × 1) modules × 2 pixels = 90 lines.
    ASSERT_EQ(xs.size(), 90u);
    EXPECT_EQ(xs.front(), 100);
    // Cells of 16 × 2 = 32 pixels, the last one less its trailing gap:
    // 100 + 5 × 32 − 2 − 1 = 257.
    EXPECT_EQ(xs.back(), 257);

    const std::vector<Element> els = elements(xs);
    // 5 characters × 9 elements, plus the 4 gaps between characters.
    ASSERT_EQ(els.size(), 5u * 9 + 4);
    const std::vector<int> star = {1, 3, 1, 1, 3, 1, 3, 1, 1};
    const std::vector<int> a = {3, 1, 1, 1, 1, 3, 1, 1, 3};
    const std::vector<int> b = {1, 1, 3, 1, 1, 3, 1, 1, 3};
    const std::vector<int> c = {3, 1, 3, 1, 1, 3, 1, 1, 1};
    std::vector<int> expected;
    for (const auto* ch : {&star, &a, &b, &c, &star}) {
        if (!expected.empty())
            expected.push_back(1); // the gap
        expected.insert(expected.end(), ch->begin(), ch->end());
    }
    // Each character is 15 modules and its gap 1: 5 × 16 − 1 = 79 modules.
    EXPECT_EQ(modules(els, 2), expected);
    // Each line runs from the top of the bars to their bottom.
    for (const PrintedItem& item : page.current().items) {
        EXPECT_EQ(item.from.y(), 200);
        EXPECT_EQ(item.to.y(), 500);
        EXPECT_EQ(item.from.x(), item.to.x());
        EXPECT_EQ(item.colour, QColor(Qt::black));
    }
    // Left at the bottom end of the last bar line, in pixels.
    EXPECT_EQ(page.unit(), PrinterUnit::Pixels);
    EXPECT_EQ(page.x(), 257);
    EXPECT_EQ(page.y(), 500);
    EXPECT_TRUE(t.dialogs.shown.empty());
}

TEST_F(Code39, NarrowAndWideBarsAreWholeLineCounts) {
    // "*": bar 1 narrow, bar 3 wide.
    draw("*", 0, 0, 10, 4);
    std::vector<Element> els = elements(lineColumns(page.current()));
    ASSERT_EQ(els.size(), 9u);
    EXPECT_EQ(els[0].width, 4);
    EXPECT_EQ(els[4].width, 12);
    EXPECT_EQ(els[1].width, 12); // wide space
    page.endDocument();

    // A fractional amplitude: 2.5 gives 2 lines for a narrow bar and 7 for
    // a wide one, the spaces keeping their fractional widths.
    draw("*", 0, 0, 10, 2.5);
    const std::vector<double> xs = lineColumns(page.current());
    ASSERT_EQ(xs.size(), 3u * 2 + 2u * 7);
    EXPECT_EQ(xs[0], 0);
    EXPECT_EQ(xs[1], 1);
    EXPECT_EQ(xs[2], 2 + 7.5); // after the first bar and the wide space
}

TEST_F(Code39, BlanksTrimmedLowerCaseAsCapitals) {
    draw("*AB CD*", 100, 200, 300, 3, true);
    const PrintedJob reference = page.current();
    page.endDocument();
    draw("   *ab cd*  ", 100, 200, 300, 3, true);
    const PrintedJob& lower = page.current();
    ASSERT_EQ(lower.items.size(), reference.items.size());
    for (size_t i = 0; i < lower.items.size(); ++i) {
        EXPECT_EQ(lower.items[i].text, reference.items[i].text);
        EXPECT_EQ(lower.items[i].from, reference.items[i].from);
    }
    EXPECT_EQ(texts(), (std::vector<QString>{"*", "A", "B", " ", "C", "D", "*"}));
}

TEST_F(Code39, CharactersCentredUnderTheirCells) {
    page.setFontSize(11);
    draw("*W1*", 100, 200, 300, 4, true);
    const double cell = 16 * 4;
    int n = 0;
    for (const PrintedItem& item : page.current().items) {
        if (item.kind != PrintedItem::Kind::Text)
            continue;
        const double width = page.textWidth(item.text);
        EXPECT_DOUBLE_EQ(item.from.x(), 100 + n * cell + (cell - width) / 2) << n;
        EXPECT_EQ(item.from.y(), 500); // top of the text at the bottom of the bars
        EXPECT_EQ(item.fontSize, 11);
        ++n;
    }
    EXPECT_EQ(n, 4);
    // The text comes before the bars of its character, so the page still
    // ends at the bottom of the last bar.
    EXPECT_EQ(page.y(), 500);
    EXPECT_EQ(page.current().items.back().kind, PrintedItem::Kind::Line);
}

TEST_F(Code39, EmptyTextOnlySetsUnitAndPosition) {
    draw("   ", 123, 456);
    EXPECT_TRUE(page.current().items.empty());
    EXPECT_EQ(page.unit(), PrinterUnit::Pixels);
    EXPECT_EQ(page.x(), 123);
    EXPECT_EQ(page.y(), 456);
}

TEST_F(Code39, CharacterOutsideTheSetStopsTheSymbol) {
    t.dialogs.busy = true;
    draw("*ÉCOLE*", 100, 200, 300, 2, true);
    // The first star's bars, then "É" printed and the standard message.
    const std::vector<Element> els = elements(lineColumns(page.current()));
    EXPECT_EQ(els.size(), 9u);
    EXPECT_EQ(texts(), (std::vector<QString>{"*", "É"}));
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(t.dialogs.shown[0].caption, "La V.O.K.");
    EXPECT_TRUE(t.dialogs.shown[0].text.startsWith("Le logiciel a rencontré l'erreur : 9\n\n"));
    EXPECT_FALSE(t.dialogs.busy);

    // The caller goes on: the next symbol draws in full.
    draw("*A*", 1000, 200, 300, 2, false);
    EXPECT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(lineColumns(page.current()).back(), 1000 + 3 * 32 - 2 - 1);
}

} // namespace

TEST(EncodeCode39, WidthsOfWorkedSymbols) {
    const auto sum = [](const std::vector<int>& widths) {
        return std::accumulate(widths.begin(), widths.end(), 0);
    };
    struct Row {
        int n;
        QString text;
        QString characters;
        int modules;
        qsizetype invalidAt;
    };
    // Every character is 3 wide elements (3 modules each) + 6 narrow + the
    // narrow gap: 3 * 3 + 6 + 1 == 16 modules.
    const Row rows[] = {
        {1, "*A*", "*A*", 3 * 16, -1},
        {2, "  *doc-00001*  ", "*DOC-00001*", 11 * 16, -1},
        {3, "*$/+%. *", "*$/+%. *", 8 * 16, -1},
        // Stops at the first character outside the set: "*" and "A" encoded.
        {4, "*Aé1*", "*AÉ1*", 2 * 16, 2},
        {5, "", "", 0, -1},
    };
    for (const Row& row : rows) {
        const Code39Encoding symbol = EncodeCode39(row.text);
        EXPECT_EQ(symbol.characters, row.characters) << row.n;
        EXPECT_EQ(sum(symbol.widths), row.modules) << row.n;
        EXPECT_EQ(symbol.invalidAt, row.invalidAt) << row.n;
    }
    // "*" is n w n n w n w n n, then the gap.
    const std::vector<int> star{1, 3, 1, 1, 3, 1, 3, 1, 1, 1};
    EXPECT_EQ(EncodeCode39("*").widths, star);
}
