// Label sheets printed through real CUPS queues of the test's own server: a
// PDF queue at 1200 dpi, a PostScript queue with 12 pt margins, and the PDF
// file of a machine without a printer. Read back from their output, every
// symbol scans and has the same length in millimetres; a queue that does not
// take the job is an error, and nothing is said to be printing. A preview
// shows each queue's own sheets.

#include "cups_server.h"
#include "page_scan.h"
#include "platform/preview_printer.h"
#include "platform/qt_printer.h"
#include "printing/label_sheets.h"
#include "test_data.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <map>

using namespace karvel;
using namespace karvel::test;

namespace {

const QString kSent = "L'impression des codes-barres DOCUMENTS est lancée... Patientez";

struct CupsPrint : ::testing::Test {
    CupsServer server;
    QTemporaryDir dir;
    TestContext t;

    void SetUp() override {
        if (!server.failure().isEmpty())
            GTEST_SKIP() << "no CUPS server of the test's own: " << server.failure().toStdString();
        // Qt's printer support asks libcups, which reads this when told to
        // forget the server of an earlier test.
        qputenv("CUPS_SERVER", QFile::encodeName(server.socket()));
        cupsSetServer(nullptr);
    }
    void TearDown() override { qunsetenv("KARVEL_PDF"); }

    // A sheet of 16 labels, 2 columns of 8, on the default printer as the
    // program chooses it at start-up.
    void printSheet() {
        std::unique_ptr<PrinterSurface> printer =
            makeDefaultPrinter(t.dialogs, t.files, t.clock, [this] { return dir.path(); });
        AppContext ctx{t.dialogs, t.clock, t.files, *printer};
        ctx.layout.columns = "2";
        ctx.layout.rows = "8";
        QStringList numbers;
        for (int i = 1; i <= 16; ++i)
            numbers << QString::number(i);
        PrintLabelSheets(ctx, {LabelKind::Documents, NumberChoice::List, {}, {}, numbers.join('-')},
                         [](int) {});
    }
};

// The length of each symbol in millimetres, from the first of its bars to
// the last, on a 600 dpi raster; only symbols that scan at 200 dpi count.
std::map<QString, double> symbolLengths(const QString& pdf) {
    std::map<QString, double> lengths;
    const QImage coarse = rasterise(pdf, 200, 1);
    const QImage fine = rasterise(pdf, 600, 1);
    if (coarse.isNull() || fine.isNull())
        return lengths;
    for (const ScannedSymbol& s : scanSymbols(coarse, coarse.rect())) {
        const QRect where(s.where.topLeft() * 3, s.where.bottomRight() * 3);
        // A few narrow bars either side of where ZBar read: the quiet zone
        // keeps the neighbours out.
        const std::set<int> dark =
            darkColumns(fine, where.center().y(), where.left() - 30, where.right() + 30);
        if (!dark.empty())
            lengths[s.text] = (*dark.rbegin() - *dark.begin() + 1) * 25.4 / 600;
    }
    return lengths;
}

TEST_F(CupsPrint, SameMillimetresThroughEveryQueueAndTheFile) {
    if (!server.addPdfQueue("karvel_pdf", 1200))
        GTEST_SKIP() << "no PDF queue: " << server.failure().toStdString();
    server.addPostScriptQueue("karvel_ps", KARVEL_MARGINS_PPD, "karvel_ps.ps");

    std::map<QString, std::map<QString, double>> lengths;
    for (const char* queue : {"karvel_pdf", "karvel_ps"}) {
        server.run("lpadmin", {"-d", queue});
        // Qt paints on a queue at 1200 dpi: twice the file's resolution.
        EXPECT_EQ(QPrinter(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution).resolution(),
                  1200);
        // A preview shows the queue's sheets, margins included: the same grid.
        {
            const auto printer = makeDefaultPrinter(t.dialogs, t.files, t.clock, [] { return ""; });
            const std::unique_ptr<QPrinter> sheets = makePreviewDevice();
            const PreviewPrinter preview(*sheets, *printer);
            EXPECT_EQ(preview.printableWidth(), printer->printableWidth()) << queue;
            EXPECT_EQ(preview.printableHeight(), printer->printableHeight()) << queue;
        }
        t.dialogs.shown.clear();
        printSheet();
        ASSERT_EQ(t.dialogs.shown.size(), 1u);
        EXPECT_EQ(t.dialogs.shown[0].text, kSent);
        server.waitForJobs();
    }
    QStringList pdfs = QDir(server.output()).entryList({"*.pdf"}, QDir::Files);
    ASSERT_EQ(pdfs.size(), 1) << server.log().toStdString();
    lengths["cups-pdf"] = symbolLengths(server.output() + "/" + pdfs[0]);
    QProcess ps2pdf;
    ps2pdf.start("ps2pdf", {server.output() + "/karvel_ps.ps", dir.path() + "/ps.pdf"});
    ASSERT_TRUE(ps2pdf.waitForFinished(60000) && ps2pdf.exitCode() == 0);
    lengths["PostScript"] = symbolLengths(dir.path() + "/ps.pdf");

    qputenv("KARVEL_PDF", QFile::encodeName(dir.path() + "/file.pdf"));
    printSheet();
    lengths["file"] = symbolLengths(dir.path() + "/file.pdf");

    const std::map<QString, double>& reference = lengths["file"];
    ASSERT_EQ(reference.size(), 16u);
    size_t decoded = 0;
    double shortest = 1e9, longest = 0;
    for (const auto& [output, symbols] : lengths) {
        EXPECT_EQ(symbols.size(), 16u) << output.toStdString();
        decoded += symbols.size();
        for (const auto& [text, mm] : symbols) {
            ASSERT_TRUE(reference.count(text));
            EXPECT_NEAR(mm, reference.at(text), reference.at(text) / 100)
                << output.toStdString() << " " << text.toStdString();
            shortest = std::min(shortest, mm);
            longest = std::max(longest, mm);
        }
    }
    std::printf("symbols decoded at 200 dpi: %zu of 48, lengths %.2f to %.2f mm\n", decoded,
                shortest, longest);
}

TEST_F(CupsPrint, AQueueThatDoesNotTakeTheJobIsAnError) {
    server.addPostScriptQueue("karvel_ps", KARVEL_MARGINS_PPD, "karvel_ps.ps");
    server.run("lpadmin", {"-d", "karvel_ps"});
    struct Row {
        int line;
        const char* command; // what the queue's keeper did
        const char* undo;
    };
    const Row rows[] = {
        {1, "cupsreject", "cupsaccept"},  // refuses new jobs
        {2, "cupsdisable", "cupsenable"}, // takes them but does not print
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        server.run(row.command, {"karvel_ps"});
        t.dialogs.shown.clear();
        printSheet();
        ASSERT_EQ(t.dialogs.shown.size(), 1u);
        EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Exclamation);
        EXPECT_EQ(t.dialogs.shown[0].text,
                  QString("Le logiciel a rencontré l'erreur : 68\n\nPériphérique non disponible"));
        // No job is left to come out once the queue prints again.
        server.run(row.undo, {"karvel_ps"});
        server.waitForJobs();
        EXPECT_FALSE(QFile::exists(server.output() + "/karvel_ps.ps"));
    }
    // The next job prints.
    t.dialogs.shown.clear();
    printSheet();
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].text, kSent);
    server.waitForJobs();
    EXPECT_TRUE(QFile::exists(server.output() + "/karvel_ps.ps"));
}

} // namespace
