// The loan list page on the recording printer: what it holds, where each line
// and rule stands, and the two ways the desk prints it.

#include "desk/interpreter.h"
#include "desk/loan_desk_window.h"
#include "desk/loan_list.h"
#include "platform/draw_rule.h"
#include "shell/startup.h"
#include "test_data.h"

#include <QPushButton>
#include <gtest/gtest.h>

using namespace karvel;
using namespace karvel::test;

namespace {

// 400 twips at 600 dpi.
constexpr double kMarginPx = 400 * 600 / 1440.0;
// An A4 sheet at 600 dpi: floor(210 / 25.4 × 600).
constexpr double kWidthPx = 4960;

DeskState loanOfTwoDocuments() {
    DeskState desk;
    desk.actionWord = "EMPRUNT";
    desk.actionCaption = "Emprunt de documents";
    desk.borrowerKind = "école";
    desk.borrowerNumber = "00042";
    desk.borrowerName = "Léa Martin";
    desk.handledDocuments = {"00001 - Le Petit Prince", "00123 - Tintin, au Tibet"};
    return desk;
}

QStringList texts(const PrintedJob& job) {
    QStringList list;
    for (const PrintedItem& item : job.items) {
        if (item.kind == PrintedItem::Kind::Text)
            list << item.text;
    }
    return list;
}

std::vector<PrintedItem> lines(const PrintedJob& job) {
    std::vector<PrintedItem> found;
    for (const PrintedItem& item : job.items) {
        if (item.kind == PrintedItem::Kind::Line)
            found.push_back(item);
    }
    return found;
}

TEST(LoanList, PageOfALoan) {
    TestContext t;
    // A landscape choice in the main window does not reach the list.
    t.printer.setOrientation(Orientation::Landscape);
    PrintLoanList(t.ctx, loanOfTwoDocuments());

    ASSERT_EQ(t.printer.jobs().size(), 1u);
    const PrintedJob& page = t.printer.jobs()[0];
    EXPECT_EQ(page.orientation, Orientation::Portrait);
    EXPECT_EQ(page.sheets, 1);
    EXPECT_EQ(texts(page),
              QStringList({"Emprunt de documents", "07/03/2026 10:30", "Emprunteur : école",
                           "Matricule : 00042", "Nom et Prénom : Léa Martin",
                           "00001 - Le Petit Prince", "00123 - Tintin, au Tibet"}));

    // Line numbers of each text from the top margin: the date follows the
    // caption, then an empty line, the rule, an empty line, three borrower
    // lines, two empty lines, the rule and the documents.
    const std::vector<PrintedItem>& items = page.items;
    ASSERT_EQ(items.size(), 9u);
    const double line = items[1].from.y() - items[0].from.y();
    EXPECT_GT(line, 0);
    const std::vector<std::pair<PrintedItem::Kind, int>> rows = {
        {PrintedItem::Kind::Text, 0}, {PrintedItem::Kind::Text, 1}, {PrintedItem::Kind::Line, 3},
        {PrintedItem::Kind::Text, 4}, {PrintedItem::Kind::Text, 5}, {PrintedItem::Kind::Text, 6},
        {PrintedItem::Kind::Line, 9}, {PrintedItem::Kind::Text, 9}, {PrintedItem::Kind::Text, 10}};
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].kind, rows[i].first);
        EXPECT_NEAR(items[i].from.y(), kMarginPx + rows[i].second * line, 1e-6);
        // Every line starts at the margin, the rules too.
        EXPECT_NEAR(items[i].from.x(), kMarginPx, 1e-6);
    }
    for (const PrintedItem& rule : lines(page)) {
        EXPECT_EQ(rule.to.y(), rule.from.y());
        EXPECT_NEAR(rule.to.x(), kWidthPx, 1e-6) << "no right margin before any label sheet";
    }
    EXPECT_EQ(t.ctx.LeftMargin, 400);
    EXPECT_FALSE(t.dialogs.busy);
    EXPECT_TRUE(t.dialogs.shown.empty());
}

TEST(LoanList, EmptyListAndUnknownBorrowerPrintTheLabelsAlone) {
    TestContext t;
    DeskState desk;
    desk.actionCaption = "Restitution de documents";
    PrintLoanList(t.ctx, desk);
    ASSERT_EQ(t.printer.jobs().size(), 1u);
    EXPECT_EQ(texts(t.printer.jobs()[0]),
              QStringList({"Restitution de documents", "07/03/2026 10:30",
                           "Emprunteur : ", "Matricule : ", "Nom et Prénom : "}));
    EXPECT_EQ(lines(t.printer.jobs()[0]).size(), 2u);
}

TEST(LoanList, PrintingTwicePrintsTheSamePageTwice) {
    TestContext t;
    const DeskState desk = loanOfTwoDocuments();
    PrintLoanList(t.ctx, desk);
    PrintLoanList(t.ctx, desk);
    ASSERT_EQ(t.printer.jobs().size(), 2u);
    EXPECT_EQ(texts(t.printer.jobs()[1]), texts(t.printer.jobs()[0]));
    EXPECT_EQ(t.printer.jobs()[1].items.size(), t.printer.jobs()[0].items.size());
}

TEST(LoanList, LongListGoesOnToTheNextSheet) {
    TestContext t;
    DeskState desk = loanOfTwoDocuments();
    desk.handledDocuments.clear();
    for (int i = 1; i <= 120; ++i)
        desk.handledDocuments << QStringLiteral("%1 - Document").arg(i, 5, 10, QLatin1Char('0'));
    PrintLoanList(t.ctx, desk);
    ASSERT_EQ(t.printer.jobs().size(), 1u);
    const PrintedJob& job = t.printer.jobs()[0];
    EXPECT_GE(job.sheets, 2);
    EXPECT_EQ(texts(job).size(), 5 + 120);
    EXPECT_EQ(texts(job).last(), "00120 - Document");
    EXPECT_EQ(job.items.back().sheet, job.sheets);
}

TEST(DrawRule, FromLeftToRightMarginThenBackToTheLeft) {
    TestContext t;
    t.ctx.LeftMargin = 720;
    t.ctx.RightMargin = 1440;
    t.printer.setX(3000);
    t.printer.setY(2400);
    DrawRule(t.ctx.printer, t.ctx.LeftMargin, t.ctx.RightMargin);
    EXPECT_DOUBLE_EQ(t.printer.x(), 720);
    EXPECT_DOUBLE_EQ(t.printer.y(), 2400);

    // In pixels once a label sheet has switched the unit.
    t.printer.setUnit(PrinterUnit::Pixels);
    t.ctx.LeftMargin = 50;
    t.ctx.RightMargin = 60;
    t.printer.setY(700);
    DrawRule(t.ctx.printer, t.ctx.LeftMargin, t.ctx.RightMargin);
    t.printer.endDocument();

    ASSERT_EQ(t.printer.jobs().size(), 1u);
    const std::vector<PrintedItem>& items = t.printer.jobs()[0].items;
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].from, QPointF(300, 1000)); // 720 and 2400 twips
    EXPECT_EQ(items[0].to, QPointF(kWidthPx - 600, 1000));
    EXPECT_EQ(items[1].from, QPointF(50, 700));
    EXPECT_EQ(items[1].to, QPointF(kWidthPx - 60, 700));
    EXPECT_EQ(items[1].colour, QColor(Qt::black));
}

// Fails every order once its first text is asked for, as a printer that goes
// away in the middle of a job.
class VanishingPrinter final : public PrinterSurface {
  public:
    void setUnit(PrinterUnit) override {}
    PrinterUnit unit() const override { return PrinterUnit::Twips; }
    void setOrientation(Orientation) override {}
    Orientation orientation() const override { return Orientation::Portrait; }
    double printableWidth() const override { return 11000; }
    double printableHeight() const override { return 16000; }
    double x() const override { return 0; }
    double y() const override { return 0; }
    void setX(double) override {}
    void setY(double) override {}
    double textWidth(const QString&) const override { return 0; }
    double textHeight() const override { return 0; }
    void setFullPage(bool) override {}
    QMarginsF unprintableMargins() const override { return {}; }
    void print(const QString&) override { fail(); }
    void printLine(const QString&) override { fail(); }
    void drawLine(double, double, double, double, const QColor&) override { fail(); }
    void setFontSize(double) override {}
    double fontSize() const override { return 10; }
    void setBold(bool) override {}
    bool bold() const override { return false; }
    void setItalic(bool) override {}
    bool italic() const override { return false; }
    void newPage() override {}
    void endDocument() override {
        ++ends;
        fail();
    }
    void fail() { throw makeError(ErrDeviceUnavailable); }
    int ends = 0;
};

TEST(LoanList, PrinterFailureGetsTheStandardMessage) {
    TestContext t;
    VanishingPrinter printer;
    AppContext ctx(t.dialogs, t.clock, t.files, printer);
    PrintLoanList(ctx, loanOfTwoDocuments());
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(t.dialogs.shown[0].caption, "La V.O.K.");
    EXPECT_TRUE(t.dialogs.shown[0].text.startsWith("Le logiciel a rencontré l'erreur : 68\n\n"));
    EXPECT_FALSE(t.dialogs.busy);
    // A failure in the surface's own letting go of the job is not told twice.
    EXPECT_EQ(printer.ends, 1);
}

// The print command read at the desk and the desk's "&Imprimer" print the
// same page from what the desk shows.
TEST(LoanList, FromTheReadingAndFromTheButton) {
    SchoolFolder school;
    SchoolFolder::insert(school.catalogue(), "vok",
                         {{{"inventaire", "00001"},
                           {"titre", "Le Petit Prince"},
                           {"emprunt", "O"},
                           {"emprunté", "N"}}});
    SchoolFolder::insert(
        school.pupilsFile(), "enfants",
        {{{"matricule", "00042"}, {"nomenfant", "Martin"}, {"prénomenfant", "Léa"}}});
    TestContext t;
    ASSERT_EQ(RunStartup(t.ctx, school.data(), {}), StartupResult::ShowMainWindow);
    t.ctx.loanLimits = {"0", "0", "15"};

    DeskState desk;
    for (const char* reading : {"EMPRUNT", "ECO-00042", "DOC-00001", "IMPRESSION"}) {
        desk.reading = reading;
        InterpretReading(t.ctx, desk);
    }
    ASSERT_EQ(t.printer.jobs().size(), 1u);
    const QStringList expected = {"Emprunt de documents",       "07/03/2026 10:30",
                                  "Emprunteur : école",         "Matricule : 00042",
                                  "Nom et Prénom : Léa Martin", "00001 - Le Petit Prince"};
    EXPECT_EQ(texts(t.printer.jobs()[0]), expected);
    EXPECT_EQ(desk.handledDocuments, QStringList({"00001 - Le Petit Prince"}))
        << "printing keeps the list";
    EXPECT_TRUE(desk.reading.isEmpty());

    LoanDeskWindow window(t.ctx);
    for (const char* reading : {"EMPRUNT", "ECO-00042"})
        window.read(reading);
    // The document lent above comes back: the desk's list holds its return.
    window.read("RESTITUTION");
    window.read("DOC-00001");
    auto* print = window.findChild<QPushButton*>("SSCommand7");
    ASSERT_NE(print, nullptr);
    print->click();
    ASSERT_EQ(t.printer.jobs().size(), 2u);
    EXPECT_EQ(texts(t.printer.jobs()[1]),
              QStringList({"Restitution de documents", "07/03/2026 10:30", "Emprunteur : école",
                           "Matricule : 00042", "Nom et Prénom : Léa Martin",
                           "00001 - Le Petit Prince"}));
}

} // namespace
