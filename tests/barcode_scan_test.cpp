// Label and card pages written to PDF through the QPainter surface,
// rasterised by poppler and read back by ZBar: every symbol must scan, and
// at the PDF's own resolution every bar must cover exactly the pixels the
// recorded lines name.

#include "data/error_report.h"
#include "page_scan.h"
#include "platform/painter_printer.h"
#include "printing/borrower_cards.h"
#include "printing/code39.h"
#include "printing/layout_fit.h"
#include "test_data.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

using namespace karvel;
using namespace karvel::test;

namespace {

// Widths of the runs of dark and of light pixels between the first and the
// last dark column.
std::pair<std::set<int>, std::set<int>> runWidths(const std::set<int>& dark) {
    std::set<int> bars, spaces;
    int start = *dark.begin();
    int previous = start;
    for (auto it = std::next(dark.begin()); it != dark.end(); ++it) {
        if (*it != previous + 1) {
            bars.insert(previous - start + 1);
            spaces.insert(*it - previous - 1);
            start = *it;
        }
        previous = *it;
    }
    bars.insert(previous - start + 1);
    return {bars, spaces};
}

struct Scan : ::testing::Test {
    QTemporaryDir dir;
    TestContext t;
    QString file;
    PdfPrinter pdf{t.dialogs, t.files, t.clock, [this] { return PdfTarget{file, false}; }};
    AppContext ctx{t.dialogs, t.clock, t.files, pdf};

    // A4 as Qt sizes it, at 600 dpi.
    static constexpr double kW = 4958;
    static constexpr double kH = 7017;

    void labels(const QString& name, const QString& amplitude, const QString& columns,
                const QString& rows, const QString& list) {
        file = dir.path() + "/" + name + ".pdf";
        ctx.layout.amplitude = amplitude;
        ctx.layout.columns = columns;
        ctx.layout.rows = rows;
        // A layout the question warns about is printed all the same.
        t.dialogs.answers = {AnswerYes};
        PrintLabelSheets(ctx, {LabelKind::Documents, NumberChoice::List, {}, {}, list}, [](int) {});
        ASSERT_TRUE(QFileInfo::exists(file));
    }
    // The cell of a label, in pixels of a raster at `dpi`, up to where the
    // symbol of the next cell starts: a symbol may run past its cell.
    static QRect cell(int row, int column, int columns, int rows, int dpi) {
        const double w = kW / columns, h = kH / rows, s = dpi / 600.0;
        return QRectF((column - 1) * w * s, (row - 1) * h * s, w * 1.18 * s, h * s).toRect();
    }
};

TEST_F(Scan, EveryLabelOfAFullPageScansAtEachAmplitude) {
    QStringList numbers;
    for (int i = 1; i <= 16; ++i)
        numbers << QString::number(i);
    for (const char* amplitude : {"2", "4", "9"}) {
        labels(QStringLiteral("a%1").arg(amplitude), amplitude, "2", "8", numbers.join('-'));
        for (int dpi : {300, 600}) {
            const QImage page = rasterise(file, dpi, 1);
            ASSERT_FALSE(page.isNull());
            for (int i = 0; i < 16; ++i) {
                const QRect area = cell(i / 2 + 1, i % 2 + 1, 2, 8, dpi);
                EXPECT_EQ(scan(page, area),
                          QStringList{QStringLiteral("DOC-%1").arg(i + 1, 5, 10, QLatin1Char('0'))})
                    << "amplitude " << amplitude << ", " << dpi << " dpi, label " << i + 1;
            }
        }
    }
}

// Where the narrowest readable bar lies: at 200 dpi, the coarsest raster a
// cheap reader makes, every label decodes from the amplitude whose narrow
// bar is the layout's readable limit, and thinner bars lose labels.
TEST_F(Scan, NarrowestReadableBarAt200Dpi) {
    QStringList numbers;
    for (int i = 1; i <= 16; ++i)
        numbers << QString::number(i);
    QStringList figures;
    for (const char* amplitude : {"2", "2.5", "3"}) {
        labels(QStringLiteral("n%1").arg(amplitude), amplitude, "2", "8", numbers.join('-'));
        const QImage page = rasterise(file, 200, 1);
        ASSERT_FALSE(page.isNull());
        int decoded = 0;
        for (int i = 0; i < 16; ++i)
            decoded += scan(page, cell(i / 2 + 1, i % 2 + 1, 2, 8, 200)).size();
        const double bar = QString(amplitude).toDouble() * 25.4 / 600;
        if (bar >= kNarrowestReadableBarMm - 1e-9) {
            EXPECT_EQ(decoded, 16) << "amplitude " << amplitude;
        }
        figures
            << QStringLiteral("%1 (%2 mm): %3/16").arg(amplitude).arg(bar, 0, 'f', 3).arg(decoded);
    }
    std::printf("decoded at 200 dpi by amplitude: %s\n", qPrintable(figures.join(", ")));
}

TEST_F(Scan, BarsCoverExactlyTheRecordedPixels) {
    for (int amplitude : {2, 4, 9}) {
        labels(QStringLiteral("w%1").arg(amplitude), QString::number(amplitude), "2", "8", "17");
        const QImage page = rasterise(file, 600, 1);
        ASSERT_FALSE(page.isNull());
        // The same label on the recording surface, at the same page size.
        TestContext r;
        r.ctx.layout = ctx.layout;
        RecordingPrinter recorder(600, {210, 297});
        AppContext rctx{r.dialogs, r.clock, r.files, recorder};
        rctx.layout = ctx.layout;
        r.dialogs.answers = {AnswerYes};
        PrintLabelSheets(rctx, {LabelKind::Documents, NumberChoice::List, {}, {}, "17"},
                         [](int) {});
        std::set<int> recorded;
        double top = 0;
        for (const PrintedItem& item : recorder.jobs().at(0).items)
            if (item.kind == PrintedItem::Kind::Line) {
                recorded.insert(int(item.from.x()));
                top = item.from.y();
            }
        // A row through the middle of the bars.
        const int y = int(top + kH / 40 * 1.5);
        const std::set<int> dark = darkColumns(page, y, 0, int(kW / 2));
        EXPECT_EQ(dark, recorded) << "amplitude " << amplitude;
        const auto [bars, spaces] = runWidths(dark);
        EXPECT_EQ(bars, (std::set<int>{amplitude, 3 * amplitude}));
        EXPECT_EQ(spaces, (std::set<int>{amplitude, 3 * amplitude}));
    }
}

TEST_F(Scan, PixelsLandOnWholeDotsAtAnyResolution) {
    // A pixel is 1/600 inch: 2 dots at 1200 dpi, half a dot at 300 dpi, where
    // each bar edge takes the nearest dot, so a narrow bar of 9 pixels is 4
    // or 5 dots. 11 characters of 3 wide and 6 narrow elements, each followed
    // by a narrow gap but the last, are 11 × 16 - 1 = 175 narrow widths: 700
    // pixels at amplitude 4, 1575 at 9; from pixel 200 at 300 dpi, dots 100
    // to round(1775 / 2) = 888, 788 dots.
    struct Row {
        int line;
        int dpi;
        int amplitude;
        std::set<int> widths; // of bars and of spaces, in dots
        int length;           // of the symbol, in dots
    };
    const Row rows[] = {
        {1, 1200, 4, {8, 24}, 1400},
        {2, 300, 4, {2, 6}, 350},
        {3, 300, 9, {4, 5, 13, 14}, 788},
        {4, 1200, 9, {18, 54}, 3150},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        file = dir.path() + QStringLiteral("/dots%1.pdf").arg(row.line);
        // A small sheet: A4 at 1200 dpi is past what QImage may load.
        PdfPrinter device(
            t.dialogs, t.files, t.clock,
            [this] {
                return PdfTarget{file, false};
            },
            row.dpi, QPageSize(QPageSize::A6));
        DrawBarcode(device, reportTo(ctx), 200, 200, 400, row.amplitude, "*DOC-00001*", true);
        device.endDocument();
        const QImage page = rasterise(file, row.dpi, 1);
        ASSERT_FALSE(page.isNull());
        const double dots = row.dpi / 600.0;
        const std::set<int> dark = darkColumns(page, int(400 * dots), 0, page.width());
        ASSERT_FALSE(dark.empty());
        EXPECT_EQ(*dark.begin(), int(200 * dots));
        EXPECT_EQ(*dark.rbegin() - *dark.begin() + 1, row.length);
        const auto [bars, spaces] = runWidths(dark);
        std::set<int> widths = bars;
        widths.insert(spaces.begin(), spaces.end());
        EXPECT_EQ(widths, row.widths);
        EXPECT_EQ(scan(page, page.rect()), QStringList{"DOC-00001"});
    }
}

TEST_F(Scan, FullCharacterSetAndCards) {
    // Every character of the set in one symbol checks the whole table.
    file = dir.path() + "/set.pdf";
    DrawBarcode(pdf, reportTo(ctx), 200, 200, 400, 2,
                "*0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*", true);
    pdf.endDocument();
    QImage page = rasterise(file, 600, 1);
    EXPECT_EQ(scan(page, QRect(0, 0, int(kW), 1000)),
              QStringList{"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%"});

    SchoolFolder school;
    SchoolFolder::insert(
        school.pupilsFile(), "enfants",
        {{{"matricule", "00018"}, {"nomenfant", "MARTIN"}, {"prénomenfant", "Léa"}}});
    ctx.pupilsFolder = school.pupils();
    file = dir.path() + "/cards.pdf";
    PrintBorrowerCards(ctx, {CardKind::Pupils, NumberChoice::List, {}, {}, "17-18-19", true},
                       [](int) {});
    page = rasterise(file, 300, 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(scan(page, cell(i / 2 + 1, i % 2 + 1, 2, 8, 300)),
                  QStringList{QStringLiteral("ECO-%1").arg(17 + i, 5, 10, QLatin1Char('0'))});
}

TEST_F(Scan, SeventyTwoSymbolsStaySmall) {
    QStringList numbers;
    for (int i = 1; i <= 72; ++i)
        numbers << QString::number(i);
    QElapsedTimer timer;
    timer.start();
    labels("merged", "4", "6", "12", numbers.join('-'));
    const qint64 merged = QFileInfo(file).size();
    const qint64 elapsed = timer.elapsed();
    pdf.setMergedRuns(false);
    labels("plain", "4", "6", "12", numbers.join('-'));
    const qint64 plain = QFileInfo(file).size();
    std::printf("72 symbols, amplitude 4: %lld bytes merged (%lld ms), %lld bytes line by line\n",
                merged, elapsed, plain);
    EXPECT_LT(merged, 25 * 1024);
    EXPECT_LT(merged * 2, plain);

    // At 600 dpi a label of amplitude 4 is 704 pixels wide and starts 138
    // pixels into a 826-pixel cell: the sixth column runs off the sheet. At
    // amplitude 2 every label of the full sheet scans.
    pdf.setMergedRuns(true);
    labels("scan", "2", "6", "12", numbers.join('-'));
    const QImage page = rasterise(file, 300, 1);
    int scanned = 0;
    for (int i = 0; i < 72; ++i)
        scanned += scan(page, cell(i / 6 + 1, i % 6 + 1, 6, 12, 300)) ==
                   QStringList{QStringLiteral("DOC-%1").arg(i + 1, 5, 10, QLatin1Char('0'))};
    EXPECT_EQ(scanned, 72);
}

} // namespace
