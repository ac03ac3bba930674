// The main window and the quit window as the user meets them: real windows on
// the offscreen platform, controls found by name, dialogs answered by script.

#include "catalogue/record_form_window.h"
#include "common/text.h"
#include "platform/centre_window.h"
#include "platform/qt_sounds.h"
#include "printing/label_sheet_window.h"
#include "printing/printing_windows.h"
#include "scripted_desktop.h"
#include "shell/main_window.h"
#include "test_data.h"
#include "user_settings.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace karvel;

namespace {

// Never changes the printer: every order fails as an absent printer would.
class AbsentPrinter final : public PrinterSurface {
  public:
    void setUnit(PrinterUnit) override {}
    PrinterUnit unit() const override { return PrinterUnit::Twips; }
    void setOrientation(Orientation) override { throw makeError(ErrDeviceUnavailable); }
    Orientation orientation() const override { return Orientation::Portrait; }
    double printableWidth() const override { return 0; }
    double printableHeight() const override { return 0; }
    double x() const override { return 0; }
    double y() const override { return 0; }
    void setX(double) override {}
    void setY(double) override {}
    double textWidth(const QString&) const override { return 0; }
    double textHeight() const override { return 0; }
    void setFullPage(bool) override {}
    QMarginsF unprintableMargins() const override { return {}; }
    void print(const QString&) override {}
    void printLine(const QString&) override {}
    void drawLine(double, double, double, double, const QColor&) override {}
    void setFontSize(double) override {}
    double fontSize() const override { return 0; }
    void setBold(bool) override {}
    bool bold() const override { return false; }
    void setItalic(bool) override {}
    bool italic() const override { return false; }
    void newPage() override {}
    void endDocument() override { throw makeError(ErrDeviceUnavailable); }
};

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        t.ctx.desktop = &desktop;
        t.ctx.dataFolder = dir.path();
    }

    MainWindow& window() {
        if (!window_)
            window_ = std::make_unique<MainWindow>(
                t.ctx,
                QuitActions{[this] { events.push_back("backups"); },
                            [this](int code) { events.push_back("end " + std::to_string(code)); }});
        return *window_;
    }
    QAction* action(const QString& name) {
        auto* found = window().findChild<QAction*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QWidget* quitter() { return window().findChild<QWidget*>(QStringLiteral("quitter")); }
    QPushButton* quitButton(const char* name) {
        return quitter()->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    test::TestContext t;
    ScriptedDesktop desktop;
    QTemporaryDir dir;
    std::vector<std::string> events;
    std::unique_ptr<MainWindow> window_; // last: goes before the context it uses
};

TEST_F(MainWindowTest, MenuBarFollowsTheTable) {
    // Name, caption ("-" for a separator); "(off)" marks the entries that wait
    // for the printing windows and the sounds (usePrintingWindows, useSounds).
    const std::vector<std::string> expected = {
        "menufichierindex0 &Fichier",
        "  menufichierindex1 &Quitter",
        "menugestionindex0 &Gestion des prêts",
        "  menugestionindex1 &Gestion des prêts par lecture des codes-barres",
        "  menugestionindex2 -",
        "  menugestionindex3 &Sons à chaque lecture (off)",
        "  menugestionindex4 -",
        "  menugestionindex5 Documents en &retard",
        "  menugestionindex6 &Importer les élèves…",
        "menuéditionindex0 &Edition des Codes-Barres et Cartes",
        "  menuéditionindex1 Edition des &Codes-barres (off)",
        "  menuéditionindex2 -",
        "  menuéditionindex3 Edition des cartes d'&Emprunteurs (off)",
        "  menuéditionindex4 -",
        "  menuéditionindex5 Configuration de l'&Impression : format portrait",
        "  menuéditionindex6 Configuration de l'&Impression : format paysage",
        "  menuFichesSeparateur -",
        "  menuNouveauxDocuments &Nouveaux documents",
        "  menuNouveauxAdherents Adhérents e&xtérieurs",
        "menuinventaireindex0 &Inventaire",
        "  menuinventaireindex1 &Inventaire des documents par lecture des codes-barres",
        "menuaideindex0 &?",
        "  menuaideindex1 &Aide",
        "  menuaideindex2 -",
        "  menuaideindex3 &Informations générales sur les codes-barres",
        "  menuaideindex4 -",
        "  menuaideindex6 Info &Version",
    };
    std::vector<std::string> actual;
    for (QAction* top : window().menuBar()->actions()) {
        ASSERT_NE(top->menu(), nullptr);
        actual.push_back((top->menu()->objectName() + ' ' + top->text()).toStdString());
        for (QAction* entry : top->menu()->actions()) {
            const QString caption = entry->isSeparator() ? QStringLiteral("-") : entry->text();
            const QString off = entry->isEnabled() ? QString() : QStringLiteral(" (off)");
            actual.push_back(("  " + entry->objectName() + ' ' + caption + off).toStdString());
        }
    }
    EXPECT_EQ(actual, expected);

    PrintingWindows printing(t.ctx);
    window().usePrintingWindows(printing);
    window().show();
    ASSERT_TRUE(action(QStringLiteral("menuéditionindex1"))->isEnabled());
    action(QStringLiteral("menuéditionindex1"))->trigger();
    EXPECT_TRUE(printing.labelSheetWindow().isVisible());

    // A form opens inside the frame, made once and shown again.
    test::SchoolFolder school;
    t.ctx.dataFolder = school.data();
    for (int i = 0; i < 2; ++i)
        action(QStringLiteral("menuNouveauxDocuments"))->trigger();
    const auto forms = window().findChildren<RecordFormWindow*>();
    ASSERT_EQ(forms.size(), 1);
    EXPECT_EQ(forms[0]->objectName(), "NouveauxDocuments");
    EXPECT_TRUE(forms[0]->isVisible());
    EXPECT_TRUE(qobject_cast<QMdiSubWindow*>(forms[0]->parentWidget()));
    window_.reset(); // the frame goes before the windows it holds, as in the program
}

TEST_F(MainWindowTest, FillsTheScreen) {
    window().show();
    // Maximised where the desktop can, the screen's size where it cannot
    // (the offscreen platform ignores the state).
    EXPECT_TRUE(window().windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(window().size(), window().screen()->availableGeometry().size());
}

TEST_F(MainWindowTest, ClosingOnlyShowsTheQuitWindow) {
    window().show();
    ASSERT_NE(quitter(), nullptr);
    EXPECT_FALSE(quitter()->isVisible());

    EXPECT_FALSE(window().close());
    // As the window manager or a session ending would ask.
    QCloseEvent event;
    QCoreApplication::sendEvent(&window(), &event);
    EXPECT_FALSE(event.isAccepted());

    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(quitter()->isVisible());
    EXPECT_FALSE(quitter()->isModal());
    const QScreen* screen = quitter()->screen();
    // Centred when it was made, before it had a frame.
    EXPECT_EQ(quitter()->pos(), centredPosition(screen->geometry(), quitter()->size(),
                                                screen->logicalDotsPerInchY()));
    EXPECT_TRUE(events.empty());
}

TEST_F(MainWindowTest, NotNowHidesTheQuitWindowAndQuitShowsItAgain) {
    window().show();
    action("menufichierindex1")->trigger();
    ASSERT_TRUE(quitter()->isVisible());

    QTest::mouseClick(quitButton("Commande2"), Qt::LeftButton);
    EXPECT_FALSE(quitter()->isVisible());
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(t.dialogs.shown.empty());

    action("menufichierindex1")->trigger();
    EXPECT_TRUE(quitter()->isVisible());
}

TEST_F(MainWindowTest, ConfirmingMakesTheBackupsThenEnds) {
    window().show();
    action("menufichierindex1")->trigger();
    QTest::mouseClick(quitButton("Commande1"), Qt::LeftButton);
    EXPECT_EQ(events, (std::vector<std::string>{"backups", "end 0"}));
}

TEST_F(MainWindowTest, SoundsEntryShowsAndSwitchesTheUsersChoice) {
    test::UserSettingsFolder settings;
    QtSounds sounds;
    sounds.setEnabled(false);
    window().useSounds(sounds);
    QAction* entry = action(QStringLiteral("menugestionindex3"));
    EXPECT_TRUE(entry->isEnabled());
    EXPECT_TRUE(entry->isCheckable());
    EXPECT_FALSE(entry->isChecked());

    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_TRUE(sounds.enabled());
    entry->trigger();
    EXPECT_FALSE(sounds.enabled());
    // Kept for the next run.
    EXPECT_FALSE(QtSounds().enabled());
}

TEST_F(MainWindowTest, NoToTheOrientationQuestionChangesNothing) {
    QAction* portrait = action(QStringLiteral("menuéditionindex5"));
    QAction* landscape = action(QStringLiteral("menuéditionindex6"));
    EXPECT_FALSE(portrait->isChecked());
    EXPECT_FALSE(landscape->isChecked());

    t.dialogs.answers = {AnswerYes, AnswerNo};
    landscape->trigger();
    portrait->trigger();

    EXPECT_EQ(t.printer.orientation(), Orientation::Landscape);
    EXPECT_FALSE(portrait->isChecked());
    EXPECT_TRUE(landscape->isChecked());
    EXPECT_EQ(t.ctx.answer, AnswerNo);
    ASSERT_EQ(t.dialogs.shown.size(), 2u);
    EXPECT_EQ(t.dialogs.shown[0].text,
              "Voulez-vous que «KarVel» mette l'imprimante en format paysage ?");
    const ShownMessage& question = t.dialogs.shown[1];
    EXPECT_EQ(question.icon, Icon::Question);
    EXPECT_EQ(question.buttons, Buttons::YesNo);
    EXPECT_EQ(question.caption, "KarVel pour La V.O.K.");
    EXPECT_EQ(question.text, "Voulez-vous que «KarVel» mette l'imprimante en format portrait ?");
}

TEST_F(MainWindowTest, PortraitTwiceStaysChecked) {
    QAction* portrait = action(QStringLiteral("menuéditionindex5"));
    QAction* landscape = action(QStringLiteral("menuéditionindex6"));
    t.dialogs.answers = {AnswerYes, AnswerYes, AnswerYes};
    landscape->trigger();
    portrait->trigger();
    portrait->trigger();

    EXPECT_EQ(t.printer.orientation(), Orientation::Portrait);
    EXPECT_TRUE(portrait->isChecked());
    EXPECT_FALSE(landscape->isChecked());
    EXPECT_EQ(t.ctx.answer, AnswerYes);
    // Setting the orientation sends an empty document: no sheet comes out.
    EXPECT_TRUE(t.printer.jobs().empty());
}

TEST_F(MainWindowTest, AbsentPrinterGivesTheStandardMessageAndNoCheck) {
    AbsentPrinter printer;
    AppContext ctx(t.dialogs, t.clock, t.files, printer);
    MainWindow window(ctx, QuitActions{});
    t.dialogs.answers = {AnswerYes};
    window.findChild<QAction*>(QStringLiteral("menuéditionindex5"))->trigger();

    EXPECT_FALSE(window.findChild<QAction*>(QStringLiteral("menuéditionindex5"))->isChecked());
    ASSERT_EQ(t.dialogs.shown.size(), 2u);
    EXPECT_EQ(t.dialogs.shown[1].icon, Icon::Exclamation);
    EXPECT_EQ(t.dialogs.shown[1].caption, "La V.O.K.");
    EXPECT_TRUE(t.dialogs.shown[1].text.startsWith("Le logiciel a rencontré l'erreur : 68\n\n"));
}

TEST_F(MainWindowTest, VersionBox) {
    action(QStringLiteral("menuaideindex6"))->trigger();
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    const ShownMessage& box = t.dialogs.shown[0];
    EXPECT_EQ(box.icon, Icon::Information);
    EXPECT_EQ(box.caption, "KarVel pour La V.O.K. - Info version");
    // clang-format off
    EXPECT_EQ(box.text, "Vous utilisez actuellement la version 32 bits du 13/09/2011.\n\nNuméro de version : v.2.1.6\n\nVous devez toujours préférer la version la plus récente. Même si celle-ci ne vous semble pas disposer de nouvelles fonctionnalités, elle aura certainement subi quelques modifications ou corrections internes, quelques optimisations du programme...");
    // clang-format on
}

TEST_F(MainWindowTest, DocumentsOpenFromAFolderWithASpaceWhateverTheirCase) {
    const QString folder = dir.path() + "/Ecole du Parc/LAVOK";
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"HelpKV.RTF", "KARVEL.rtf"}) {
        QFile file(folder + '/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    t.ctx.dataFolder = folder;

    action(QStringLiteral("menuaideindex1"))->trigger();
    action(QStringLiteral("menuaideindex3"))->trigger();

    EXPECT_EQ(desktop.opened,
              (std::vector<QString>{folder + "/HelpKV.RTF", folder + "/KARVEL.rtf"}));
    ASSERT_EQ(t.dialogs.shown.size(), 2u);
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Information);
    // clang-format off
    EXPECT_EQ(t.dialogs.shown[0].text, "L'aide s'ouvre dans le lecteur de documents RTF du bureau (LibreOffice Writer, AbiWord...)...");
    EXPECT_EQ(t.dialogs.shown[1].text, "Les informations générales s'ouvrent dans le lecteur de documents RTF du bureau (LibreOffice Writer, AbiWord...)...");
    // clang-format on
}

TEST_F(MainWindowTest, HelpFailuresGoThroughExplainError) {
    // No file: explained, after the notice.
    action(QStringLiteral("menuaideindex1"))->trigger();
    ASSERT_EQ(t.dialogs.shown.size(), 2u);
    EXPECT_EQ(t.dialogs.shown[1].icon, Icon::Critical);
    EXPECT_EQ(t.dialogs.shown[1].caption, "KarVel pour La V.O.K.");
    EXPECT_EQ(t.dialogs.shown[1].text, "Fichier introuvable : " + dir.path() + "/helpkv.rtf");

    // No folder: error 76, which is not shown.
    t.dialogs.shown.clear();
    t.ctx.dataFolder = dir.path() + "/gone";
    action(QStringLiteral("menuaideindex3"))->trigger();
    EXPECT_EQ(t.dialogs.shown.size(), 1u);

    // Nothing to read rich text with.
    t.dialogs.shown.clear();
    t.ctx.dataFolder = dir.path();
    QFile(dir.path() + "/helpkv.rtf").open(QIODevice::WriteOnly);
    desktop.failure = KarvelError(ErrNoViewer, kNoViewerDescription);
    action(QStringLiteral("menuaideindex1"))->trigger();
    ASSERT_EQ(t.dialogs.shown.size(), 2u);
    EXPECT_EQ(t.dialogs.shown[1].text, kNoViewerDescription) << "said plainly, without a number";

    EXPECT_TRUE(desktop.opened.empty());
    EXPECT_TRUE(events.empty());
}

} // namespace
