// The printer surface's state rules on the recording surface, and the PDF
// surface's files: pages, page size, where they go and how failures show.

#include "platform/painter_printer.h"
#include "platform/qt_printer.h"
#include "test_data.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace karvel;
using namespace karvel::test;

namespace {

// An A4 sheet at 600 dpi: floor(210 / 25.4 × 600) × floor(297 / 25.4 × 600).
constexpr double kWidthPx = 4960;
constexpr double kHeightPx = 7015;

TEST(PrinterState, TwipsUntilSwitchedToPixels) {
    RecordingPrinter p;
    EXPECT_EQ(p.unit(), PrinterUnit::Twips);
    EXPECT_DOUBLE_EQ(p.printableWidth(), kWidthPx * 2.4); // 1440 twips = 600 pixels
    EXPECT_DOUBLE_EQ(p.printableHeight(), kHeightPx * 2.4);
    p.setX(1440);
    p.setY(720);
    const double widthTwips = p.textWidth("AB");
    p.print("AB");
    ASSERT_EQ(p.current().items.size(), 1u);
    EXPECT_EQ(p.current().items[0].from, QPointF(600, 300));
    EXPECT_DOUBLE_EQ(p.x(), 1440 + widthTwips);

    p.setUnit(PrinterUnit::Pixels);
    EXPECT_DOUBLE_EQ(p.printableWidth(), kWidthPx);
    EXPECT_DOUBLE_EQ(p.textWidth("AB") * 2.4, widthTwips);
    EXPECT_DOUBLE_EQ(p.y(), 300);
    p.drawLine(10, 20, 10, 420);
    EXPECT_EQ(p.current().items[1].from, QPointF(10, 20));
    EXPECT_EQ(p.current().items[1].to, QPointF(10, 420));
    p.endDocument();
    // The unit is a setting of the printer, not of the job.
    EXPECT_EQ(p.unit(), PrinterUnit::Pixels);
    EXPECT_DOUBLE_EQ(p.printableHeight(), kHeightPx);
}

TEST(PrinterState, PositionsAfterTextAndLines) {
    RecordingPrinter p;
    p.setUnit(PrinterUnit::Pixels);
    p.setX(100);
    p.setY(200);
    const double ab = p.textWidth("Ab");
    const double line = p.lineHeight();
    EXPECT_GT(line, 80); // a 10-point line at 600 dpi is at least 83 pixels

    p.print("Ab");
    EXPECT_DOUBLE_EQ(p.x(), 100 + ab);
    EXPECT_DOUBLE_EQ(p.y(), 200);
    p.printLine("cd");
    EXPECT_EQ(p.current().items[1].from, QPointF(100 + ab, 200));
    EXPECT_DOUBLE_EQ(p.x(), 0);
    EXPECT_DOUBLE_EQ(p.y(), 200 + line);
    p.printLine();
    EXPECT_DOUBLE_EQ(p.y(), 200 + 2 * line);
    EXPECT_EQ(p.current().items.size(), 2u);

    p.drawLine(5, 6, 50, 60, Qt::red);
    EXPECT_DOUBLE_EQ(p.x(), 50);
    EXPECT_DOUBLE_EQ(p.y(), 60);
    EXPECT_EQ(p.current().items.back().colour, QColor(Qt::red));

    // A larger font measures wider and moves further down.
    p.setFontSize(20);
    p.setBold(true);
    EXPECT_GT(p.textWidth("Ab"), 1.8 * ab);
    p.printLine("Titre");
    EXPECT_GT(p.y(), 60 + 1.8 * line);
    EXPECT_TRUE(p.current().items.back().bold);
    EXPECT_DOUBLE_EQ(p.current().items.back().fontSize, 20);

    // A new page and the end of the document put the position back at the corner.
    p.newPage();
    EXPECT_DOUBLE_EQ(p.x(), 0);
    EXPECT_DOUBLE_EQ(p.y(), 0);
    p.print("x");
    p.endDocument();
    EXPECT_DOUBLE_EQ(p.x(), 0);
    EXPECT_DOUBLE_EQ(p.y(), 0);
    // The font stays for the next job.
    EXPECT_DOUBLE_EQ(p.fontSize(), 20);
}

// A label page: eight one-pixel bars in a column, as a barcode would draw.
void drawPage(PrinterSurface& p) {
    for (int row = 0; row < 8; ++row)
        for (int k = 0; k < 4; ++k)
            p.drawLine(100 + k, 100 + row * 800, 100 + k, 500 + row * 800);
}

TEST(PrinterSheets, NewPageBeforeTheEndMakesNoEmptySheet) {
    RecordingPrinter p;
    p.setUnit(PrinterUnit::Pixels);
    drawPage(p);
    p.newPage();
    drawPage(p);
    p.newPage();
    p.endDocument();
    ASSERT_EQ(p.jobs().size(), 1u);
    EXPECT_EQ(p.jobs()[0].sheets, 2);
    EXPECT_EQ(p.jobs()[0].items.front().sheet, 1);
    EXPECT_EQ(p.jobs()[0].items.back().sheet, 2);

    // An end with no output, even after measuring, moving or a new page, prints nothing.
    p.setX(10);
    p.textWidth("x");
    p.newPage();
    p.endDocument();
    p.endDocument();
    EXPECT_EQ(p.jobs().size(), 1u);

    // Two new pages in a row leave a blank sheet between, as on paper.
    p.print("a");
    p.newPage();
    p.newPage();
    p.print("b");
    p.endDocument();
    EXPECT_EQ(p.jobs()[1].sheets, 3);
    EXPECT_EQ(p.jobs()[1].items.back().sheet, 3);
}

TEST(PrinterSheets, TextThatNoLongerFitsGoesOnTheNextSheet) {
    RecordingPrinter p;
    p.setUnit(PrinterUnit::Pixels);
    const int fit = int(std::floor(kHeightPx / p.lineHeight()));
    for (int i = 0; i < fit; ++i)
        p.printLine(QString::number(i));
    // The page is full: an empty line then the end takes no second sheet.
    p.printLine();
    p.endDocument();
    ASSERT_EQ(p.jobs().size(), 1u);
    EXPECT_EQ(p.jobs()[0].sheets, 1);

    for (int i = 0; i <= fit; ++i)
        p.printLine(QString::number(i));
    p.endDocument();
    const PrintedJob& job = p.jobs()[1];
    EXPECT_EQ(job.sheets, 2);
    EXPECT_EQ(job.items[fit - 1].sheet, 1);
    EXPECT_EQ(job.items[fit].sheet, 2);
    EXPECT_EQ(job.items[fit].from, QPointF(0, 0));
}

TEST(PrinterSheets, OrientationAppliesToTheNextJobAndStays) {
    RecordingPrinter p;
    p.setUnit(PrinterUnit::Pixels);
    // As the main window sets it: an empty document right after.
    p.setOrientation(Orientation::Landscape);
    p.endDocument();
    EXPECT_TRUE(p.jobs().empty());
    EXPECT_DOUBLE_EQ(p.printableWidth(), kHeightPx);

    p.print("premier");
    p.endDocument();
    p.print("second");
    // Changed during a job: the job keeps its sheets, the next one turns.
    p.setOrientation(Orientation::Portrait);
    EXPECT_DOUBLE_EQ(p.printableWidth(), kHeightPx);
    p.endDocument();
    p.print("troisième");
    p.endDocument();
    ASSERT_EQ(p.jobs().size(), 3u);
    EXPECT_EQ(p.jobs()[0].orientation, Orientation::Landscape);
    EXPECT_EQ(p.jobs()[1].orientation, Orientation::Landscape);
    EXPECT_EQ(p.jobs()[2].orientation, Orientation::Portrait);
    EXPECT_DOUBLE_EQ(p.printableWidth(), kWidthPx);
}

// A device that cannot start a job the first time it is asked.
class UnreachablePrinter final : public PagedPrinter {
  public:
    int starts = 0;
    int painted = 0;
    int sent = 0;

  protected:
    double resolution() const override { return 600; }
    QSizeF printableDots(Orientation) const override { return {kWidthPx, kHeightPx}; }
    QFontMetricsF metrics(const QFont& font) const override { return QFontMetricsF(font); }
    void startJob(Orientation) override {
        if (++starts == 1)
            throw makeError(ErrDeviceUnavailable);
    }
    void startSheet() override {}
    void paintText(const QPointF&, const QString&, const QFont&) override { ++painted; }
    void paintLine(const QPointF&, const QPointF&, const QColor&) override { ++painted; }
    void finishJob(bool failed) override { sent += failed ? 0 : 1; }
};

TEST(PrinterSheets, AJobThatCannotStartFailsOnceAndTheNextOneWorks) {
    UnreachablePrinter p;
    try {
        p.print("a");
        FAIL() << "no error";
    } catch (const KarvelError& error) {
        EXPECT_EQ(error.number(), ErrDeviceUnavailable);
    }
    // The rest of the failed job is dropped without a second report.
    EXPECT_NO_THROW(p.drawLine(0, 0, 10, 10));
    EXPECT_NO_THROW(p.printLine("b"));
    p.endDocument();
    EXPECT_EQ(p.painted, 0);
    EXPECT_EQ(p.sent, 0);

    p.print("c");
    p.endDocument();
    EXPECT_EQ(p.starts, 2);
    EXPECT_EQ(p.painted, 1);
    EXPECT_EQ(p.sent, 1);
}

// What a PDF file holds, read from the page dictionaries Qt writes uncompressed.
struct PdfFacts {
    int pages = 0;
    std::vector<QSizeF> mediaBoxes;
    QByteArray firstContent; // the first page's drawing operators
};

PdfFacts readPdf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pdf = file.readAll();
    const QString text = QString::fromLatin1(pdf);
    PdfFacts facts;
    facts.pages = int(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"))));
    QRegularExpression box(QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([\\d.]+)\\s+([\\d.]+)"));
    for (auto it = box.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        facts.mediaBoxes.emplace_back(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    // The first stream is the first page's content, deflated.
    const qsizetype start = pdf.indexOf("stream\n") + 7;
    const qsizetype end = pdf.indexOf("endstream", start);
    if (start >= 7 && end > start) {
        QByteArray zlib = pdf.mid(start, end - start);
        zlib.prepend(QByteArray::fromHex("00100000")); // qUncompress' size hint: 1 MiB
        facts.firstContent = qUncompress(zlib);
    }
    return facts;
}

void writeBlocker(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

struct PdfFile : ::testing::Test {
    QTemporaryDir dir;
    TestContext t;
    PdfTarget target;
    PdfPrinter pdf{t.dialogs, t.files, t.clock, [this] { return target; }};
    PdfFile() { target = {dir.path() + "/sorties", true}; }
};

TEST_F(PdfFile, TwoPagesOfA4PortraitAt600Dpi) {
    pdf.setUnit(PrinterUnit::Pixels);
    // Qt's A4 is 595 × 842 points: 4958 × 7017 pixels at 600 dpi.
    EXPECT_DOUBLE_EQ(pdf.printableWidth(), 4958);
    EXPECT_DOUBLE_EQ(pdf.printableHeight(), 7017);
    pdf.printLine("Emprunt de documents");
    pdf.drawLine(100, 500, 100, 900);
    pdf.drawLine(100, 1000, 600, 1000);
    pdf.newPage();
    pdf.printLine("Page deux");
    pdf.newPage();
    pdf.endDocument();

    const QString file = dir.path() + "/sorties/impression-20260307-103000.pdf";
    EXPECT_EQ(pdf.lastFile(), file);
    const PdfFacts facts = readPdf(file);
    EXPECT_EQ(facts.pages, 2);
    ASSERT_EQ(facts.mediaBoxes.size(), 2u);
    for (const QSizeF& box : facts.mediaBoxes) {
        EXPECT_NEAR(box.width(), 595.3, 0.5);  // 210 mm
        EXPECT_NEAR(box.height(), 841.9, 0.5); // 297 mm
    }
    // One-pixel lines are filled rectangles over exactly their device pixels.
    EXPECT_TRUE(facts.firstContent.contains("100 500 1 400 re")) << facts.firstContent.data();
    EXPECT_TRUE(facts.firstContent.contains("100 1000 500 1 re"));

    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Information);
    EXPECT_EQ(t.dialogs.shown[0].caption, "KarVel pour La V.O.K.");
    EXPECT_EQ(t.dialogs.shown[0].text,
              "Le document imprimé a été enregistré dans le fichier PDF :\n" + file);

    // A second job in the same second gets a file of its own, turned if asked.
    pdf.setOrientation(Orientation::Landscape);
    pdf.print("x");
    pdf.endDocument();
    EXPECT_EQ(pdf.lastFile(), dir.path() + "/sorties/impression-20260307-103000-2.pdf");
    const PdfFacts landscape = readPdf(pdf.lastFile());
    EXPECT_EQ(landscape.pages, 1);
    ASSERT_EQ(landscape.mediaBoxes.size(), 1u);
    EXPECT_GT(landscape.mediaBoxes[0].width(), landscape.mediaBoxes[0].height());
    EXPECT_EQ(readPdf(file).pages, 2);
}

TEST_F(PdfFile, FailuresAreErrorsOfTheirNumberAndTheNextJobWorks) {
    // An empty document writes no file and says nothing.
    pdf.endDocument();
    EXPECT_FALSE(QDir(dir.path() + "/sorties").exists());
    EXPECT_TRUE(t.dialogs.shown.empty());

    target = {dir.path() + "/absent/out.pdf", false};
    pdf.print("x");
    try {
        pdf.endDocument();
        FAIL() << "no error";
    } catch (const KarvelError& error) {
        EXPECT_EQ(error.number(), ErrPathNotFound);
    }
    EXPECT_TRUE(t.dialogs.shown.empty());

    // A folder that cannot be made: its parent is a file.
    target = {dir.path() + "/out.pdf/sorties", true};
    writeBlocker(dir.path() + "/out.pdf");
    pdf.print("x");
    try {
        pdf.endDocument();
        FAIL() << "no error";
    } catch (const KarvelError& error) {
        EXPECT_EQ(error.number(), ErrPathNotFound);
    }

    target = {dir.path() + "/out.pdf", false};
    pdf.print("y");
    pdf.endDocument();
    EXPECT_EQ(readPdf(dir.path() + "/out.pdf").pages, 1);
    EXPECT_EQ(t.dialogs.shown.size(), 1u);
}

// The choice the shell makes at start-up.
struct DefaultPrinter : ::testing::Test {
    QTemporaryDir dir;
    TestContext t;
    ~DefaultPrinter() override { qunsetenv("KARVEL_PDF"); }
    std::unique_ptr<PrinterSurface> make() {
        return makeDefaultPrinter(t.dialogs, t.files, t.clock, [this] { return dir.path(); });
    }
    static void printOnePage(PrinterSurface& p) {
        p.printLine("Restitution de documents");
        p.endDocument();
    }
};

TEST_F(DefaultPrinter, EnvironmentVariableNamesAFileOrAFolder) {
    qputenv("KARVEL_PDF", QFile::encodeName(dir.path() + "/liste.pdf"));
    auto file = make();
    printOnePage(*file);
    EXPECT_EQ(readPdf(dir.path() + "/liste.pdf").pages, 1);
    // The same file is replaced by the next job.
    printOnePage(*file);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"liste.pdf"});

    // A name without the extension is a folder, made when first needed.
    qputenv("KARVEL_PDF", QFile::encodeName(dir.path() + "/pdf"));
    auto folder = make();
    printOnePage(*folder);
    printOnePage(*folder);
    EXPECT_EQ(QDir(dir.path() + "/pdf").entryList(QDir::Files),
              QStringList({"impression-20260307-103000-2.pdf", "impression-20260307-103000.pdf"}));
}

TEST_F(DefaultPrinter, WithoutAPrinterTheDataFolderGetsTheFile) {
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a printer is installed here";
    auto surface = make();
    printOnePage(*surface);
    EXPECT_EQ(readPdf(dir.path() + "/impressions/impression-20260307-103000.pdf").pages, 1);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(t.dialogs.shown[0].text.endsWith("/impressions/impression-20260307-103000.pdf"));
}

} // namespace
