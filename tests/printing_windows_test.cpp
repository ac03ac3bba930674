// The printing windows on the offscreen platform, driven through their
// controls as a user would: the layout window's save and defaults, the
// enabling rules of the label and card windows, the gauge during a job, and
// the preview of a job.

#include "data/settings.h"
#include "page_scan.h"
#include "platform/painter_printer.h"
#include "platform/print_preview.h"
#include "preview_driver.h"
#include "printing/card_window.h"
#include "printing/label_sheet_window.h"
#include "printing/layout_window.h"
#include "printing/printing_windows.h"
#include "test_data.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace karvel;
using namespace karvel::test;

namespace {

template <typename T> T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromUtf8(name));
    if (!found)
        ADD_FAILURE() << "no control " << name << " in " << window.objectName().toStdString();
    return found;
}

// Replaces a field's text by typing, so the window hears it as the user's.
void type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

QStringList fileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {"<absent>"};
    return QString::fromUtf8(file.readAll()).split("\r\n");
}

struct PrintingWindowsTest : ::testing::Test {
    SchoolFolder school;
    TestContext t;
    PrintingWindows windows{t.ctx};

    PrintingWindowsTest() {
        t.ctx.dataFolder = school.data();
        t.ctx.pupilsFolder = school.pupils();
        LoadSettings(t.ctx); // first run: KARVEL.INI with the defaults
    }
    QString settingsFile() const { return school.data() + "/KARVEL.INI"; }
};

TEST_F(PrintingWindowsTest, LayoutWindowSavesAndRestores) {
    LayoutWindow& form6 = windows.layoutWindow();
    EXPECT_EQ(form6.objectName(), "Form6");
    EXPECT_EQ(form6.windowTitle(), "KarVel - Réglages des marges et Mise en page");
    EXPECT_FALSE(form6.isVisible());
    form6.show();
    auto* top = child<QLineEdit>(form6, "Text1");
    auto* save = child<QPushButton>(form6, "SSCommand2");
    ASSERT_TRUE(top && save);
    EXPECT_EQ(save->text(), "Sauvegarder et &Quitter");
    EXPECT_EQ(top->text(), "0");

    // Typing is the live setting; a blank margin is refused and the saved
    // values come back.
    type(top, "12");
    EXPECT_EQ(t.ctx.layout.topMargin, "12");
    type(top, "");
    EXPECT_EQ(t.ctx.layout.topMargin, "");
    save->click();
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].text,
              "Paramétrage incorrect... Les anciennes valeurs sont récupérées comme paramètres.");
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Information);
    EXPECT_EQ(top->text(), "0");
    EXPECT_EQ(t.ctx.layout.topMargin, "0");
    EXPECT_TRUE(form6.isVisible());

    // Columns go on line 8 and rows on line 9; an amplitude of 10 is saved
    // as typed and only refused when printing.
    type(child<QLineEdit>(form6, "Text9"), "3");
    type(child<QLineEdit>(form6, "Text8"), "5");
    type(child<QLineEdit>(form6, "Text7"), "10");
    type(child<QLineEdit>(form6, "Text3"), "7,5");
    save->click();
    EXPECT_FALSE(form6.isVisible());
    EXPECT_EQ(fileLines(settingsFile()).mid(0, 9),
              QStringList({"\"0\"", "\"0\"", "\"7,5\"", "\"0\"", "\"210\"", "\"297\"", "\"10\"",
                           "\"3\"", "\"5\""}));
    t.dialogs.shown.clear();
    PrintLabelSheets(t.ctx, {LabelKind::Documents, NumberChoice::List, {}, {}, "1"}, [](int) {});
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(t.dialogs.shown[0].text.endsWith("comprise entre 2 et 9"));
}

TEST_F(PrintingWindowsTest, LayoutWindowDefaults) {
    LayoutWindow& form6 = windows.layoutWindow();
    form6.show();
    auto* defaults = child<QPushButton>(form6, "SSCommand1");
    auto* width = child<QLineEdit>(form6, "Text5");
    ASSERT_TRUE(defaults && width);
    EXPECT_EQ(defaults->toolTip(),
              "Cliquez pour revenir aux valeurs par défaut du logiciel KarVel");
    type(width, "100");
    type(child<QLineEdit>(form6, "Text8"), "12");

    t.dialogs.answers = {AnswerNo};
    defaults->click();
    EXPECT_EQ(t.dialogs.shown.back().text,
              "Voulez-vous reprendre les valeurs par défaut proposées par le logiciel?");
    EXPECT_EQ(t.dialogs.shown.back().buttons, Buttons::YesNo);
    EXPECT_EQ(t.ctx.answer, AnswerNo);
    EXPECT_EQ(width->text(), "100");

    t.dialogs.answers = {AnswerYes};
    defaults->click();
    EXPECT_EQ(width->text(), "210");
    EXPECT_EQ(child<QLineEdit>(form6, "Text8")->text(), "8");
    EXPECT_EQ(t.ctx.layout, LayoutFields{});
    // The defaults are only offered; saving writes them.
    EXPECT_EQ(fileLines(settingsFile()).at(4), "\"210\"");
    child<QPushButton>(form6, "SSCommand2")->click();
    EXPECT_EQ(fileLines(settingsFile()).mid(0, 9),
              QStringList({"\"0\"", "\"0\"", "\"0\"", "\"0\"", "\"210\"", "\"297\"", "\"4\"",
                           "\"2\"", "\"8\""}));
}

TEST_F(PrintingWindowsTest, LabelWindowControlsAndGauge) {
    LabelSheetWindow& form1 = windows.labelSheetWindow();
    form1.show();
    EXPECT_EQ(form1.windowTitle(), "KarVel pour La VOK - Edition des Codes-Barres");
    EXPECT_FALSE(windows.layoutWindow().isVisible()); // loaded, hidden
    auto* documents = child<QRadioButton>(form1, "Option1index2");
    auto* commands = child<QRadioButton>(form1, "Option1index0");
    auto* series = child<QRadioButton>(form1, "Option2index0");
    auto* list = child<QRadioButton>(form1, "Option2index1");
    auto* start = child<QLineEdit>(form1, "Text1");
    auto* end = child<QLineEdit>(form1, "Text2");
    auto* items = child<QLineEdit>(form1, "Text7");
    auto* gauge = child<QProgressBar>(form1, "thermomètre");
    ASSERT_TRUE(documents && commands && series && list && start && end && items && gauge);
    EXPECT_FALSE(form1.findChild<QRadioButton*>("Option1index1")); // there is no index 1
    EXPECT_TRUE(documents->isChecked());
    EXPECT_TRUE(series->isChecked());
    EXPECT_TRUE(start->isEnabled() && end->isEnabled());
    EXPECT_FALSE(items->isEnabled());
    EXPECT_FALSE(child<QGroupBox>(form1, "Frame3")->isEnabled());

    list->click();
    EXPECT_TRUE(documents->isChecked()); // the two choices are apart
    EXPECT_FALSE(start->isEnabled() || end->isEnabled());
    EXPECT_TRUE(items->isEnabled());
    series->click();
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(items->isEnabled());

    commands->click();
    EXPECT_TRUE(series->isHidden() && list->isHidden());
    EXPECT_TRUE(child<QGroupBox>(form1, "Frame2")->isHidden());
    EXPECT_TRUE(child<QGroupBox>(form1, "Frame3")->isHidden());
    child<QRadioButton>(form1, "Option1index4")->click();
    EXPECT_FALSE(series->isHidden() || list->isHidden());

    std::vector<int> moves;
    QObject::connect(gauge, &QProgressBar::valueChanged, [&](int v) { moves.push_back(v); });
    type(start, "1");
    type(end, "4");
    t.dialogs.answers = {AnswerYes};
    child<QPushButton>(form1, "SSCommand1")->click();
    EXPECT_EQ(moves, (std::vector<int>{33, 66, 100, 0}));
    ASSERT_EQ(t.printer.jobs().size(), 1u);
    EXPECT_EQ(t.dialogs.shown.back().text,
              "L'impression des codes-barres ADHERENTS EXTERIEURS est lancée... Patientez");

    child<QPushButton>(form1, "SSCommand3")->click();
    EXPECT_TRUE(windows.layoutWindow().isVisible());
    child<QPushButton>(form1, "SSCommand2")->click();
    EXPECT_FALSE(form1.isVisible());
    // Shown again from the menu, with what it held.
    windows.showLabelSheets();
    EXPECT_TRUE(form1.isVisible());
    EXPECT_EQ(end->text(), "4");
}

TEST_F(PrintingWindowsTest, CardWindowStartsWithoutKindAndTicked) {
    SchoolFolder::insert(
        school.pupilsFile(), "enfants",
        {{{"matricule", "00018"}, {"nomenfant", "MARTIN"}, {"prénomenfant", "Léa"}}});
    CardWindow& form7 = windows.cardWindow();
    form7.show();
    EXPECT_EQ(form7.objectName(), "Form7");
    auto* pupils = child<QRadioButton>(form7, "Option1index3");
    auto* members = child<QRadioButton>(form7, "Option1index4");
    auto* names = child<QCheckBox>(form7, "Check1");
    ASSERT_TRUE(pupils && members && names);
    EXPECT_FALSE(pupils->isChecked() || members->isChecked());
    EXPECT_TRUE(names->isChecked());
    EXPECT_TRUE(child<QRadioButton>(form7, "Option2index0")->isChecked());

    child<QRadioButton>(form7, "Option2index1")->click();
    type(child<QLineEdit>(form7, "Text7"), "18");
    auto* print = child<QPushButton>(form7, "SSCommand1");
    print->click(); // no kind: nothing
    EXPECT_TRUE(t.printer.jobs().empty());
    EXPECT_TRUE(t.dialogs.shown.empty());

    pupils->click();
    child<QSpinBox>(form7, "firstLabel")->setValue(2); // the first card is used
    print->click();
    ASSERT_EQ(t.printer.jobs().size(), 1u);
    QStringList texts;
    for (const PrintedItem& item : t.printer.jobs()[0].items)
        if (item.kind == PrintedItem::Kind::Text && item.text.size() > 1)
            texts << item.text;
    EXPECT_EQ(texts, QStringList({"CARTE D'EMPRUNTEUR", "NOM : Léa MARTIN"}));
    EXPECT_GT(t.printer.jobs()[0].items.front().from.x(), t.printer.printableWidth() / 2)
        << "printed in the second column";
}

// "Aperçu" shows the pages the printer would print, asks what printing asks,
// announces nothing, and its "Imprimer" sends exactly one job.
TEST_F(PrintingWindowsTest, LabelSheetsPreviewedAsPrintedThenPrinted) {
    LabelSheetWindow& form1 = windows.labelSheetWindow();
    form1.show();
    auto* preview = child<QPushButton>(form1, "SSCommand4");
    preview->click(); // no series: refused, and no preview window to answer
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    t.dialogs.shown.clear();

    type(child<QLineEdit>(form1, "Text1"), "1");
    type(child<QLineEdit>(form1, "Text2"), "20");
    t.dialogs.answers = {AnswerYes, AnswerYes}; // not a multiple of 16, twice
    int pages = -1;
    size_t shown = 0;
    whenPreviewShows("Imprimer", [&](int n) {
        pages = n;
        shown = t.dialogs.shown.size();
        EXPECT_TRUE(t.printer.jobs().empty());
        EXPECT_EQ(t.printer.unit(), PrinterUnit::Twips) << "the printer keeps its state";
    });
    preview->click();
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(shown, 1u) << "the question, and no completion for a preview";
    ASSERT_EQ(t.printer.jobs().size(), 1u);
    EXPECT_EQ(t.printer.jobs()[0].sheets, 2);
    ASSERT_EQ(t.dialogs.shown.size(), 3u);
    EXPECT_TRUE(t.dialogs.shown[2].text.endsWith("est lancée... Patientez"));

    // The preview's pages, painted on a PDF file, carry the labels the job
    // printed, sheet by sheet, and every symbol reads.
    QTemporaryDir dir;
    const QString file = dir.filePath("apercu.pdf");
    {
        QPrinter sheets(QPrinter::HighResolution);
        sheets.setOutputFormat(QPrinter::PdfFormat);
        sheets.setPageLayout(fullPageLayout(QPageSize(QPageSize::A4), Orientation::Portrait));
        sheets.setOutputFileName(file);
        t.dialogs.answers = {AnswerYes};
        PaintPreview(t.ctx, sheets, [&] { PrintLabelSheets(t.ctx, form1.request(), [](int) {}); });
    }
    QStringList expected[2];
    for (int n = 1; n <= 20; ++n)
        expected[n > 16] << QStringLiteral("DOC-%1").arg(n, 5, 10, QLatin1Char('0'));
    for (int page : {1, 2}) {
        const QImage image = rasterise(file, 300, page);
        ASSERT_FALSE(image.isNull());
        QStringList read = scan(image, image.rect());
        read.sort();
        EXPECT_EQ(read, expected[page - 1]) << "page " << page;
    }
}

TEST_F(PrintingWindowsTest, CardsPreviewedThenPrintedOrLeft) {
    CardWindow& form7 = windows.cardWindow();
    form7.show();
    child<QRadioButton>(form7, "Option1index3")->click();
    child<QRadioButton>(form7, "Option2index1")->click();
    type(child<QLineEdit>(form7, "Text7"), "18");
    int pages = -1;
    whenPreviewShows("Fermer", [&](int n) { pages = n; });
    child<QPushButton>(form7, "SSCommand4")->click();
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(t.printer.jobs().empty() && t.dialogs.shown.empty()) << "Fermer prints nothing";

    whenPreviewShows("Imprimer", [&](int) {});
    child<QPushButton>(form7, "SSCommand4")->click();
    ASSERT_EQ(t.printer.jobs().size(), 1u);
    EXPECT_EQ(t.printer.jobs()[0].sheets, 1);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(t.dialogs.shown[0].text.endsWith("est lancée... Patientez"));
}

} // namespace
