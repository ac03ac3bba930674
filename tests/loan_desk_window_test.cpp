// The loan desk and its choice windows as the librarian meets them: real
// windows on the offscreen platform, controls found by name, the reader's
// keystrokes sent as keys, and real catalogue, pupils and members files.

#include "desk/choice_lists.h"
#include "desk/document_list.h"
#include "desk/loan_desk_window.h"
#include "platform/centre_window.h"
#include "preview_driver.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "test_data.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace karvel;
using namespace karvel::test;

namespace {

Row document(const QString& number, const QString& title, const QString& author) {
    return {{"inventaire", number}, {"titre", title},  {"auteur", author}, {"éditeur", "Gallimard"},
            {"emprunt", "O"},       {"emprunté", "N"}, {"cumul", "000"}};
}

Row pupil(const QString& number, const QString& surname, const QString& firstName,
          const QString& classNumber) {
    return {{"matricule", number},
            {"nomenfant", surname},
            {"prénomenfant", firstName},
            {"classe", classNumber},
            {"niveau", "CM"}};
}

Row member(const QString& number, const QString& surname, const QString& firstName,
           const QString& mayBorrow = "1") {
    return {{"matricule", number},
            {"nom", surname},
            {"prénom", firstName},
            {"emprunt", mayBorrow},
            {"datedernieremprunt", "01/01/2026"}};
}

// Every window but the main one is centred, 500 twips high, when it is made.
void expectCentred(const QWidget* window) {
    const QScreen* screen = window->screen();
    EXPECT_EQ(window->pos(),
              centredPosition(screen->geometry(), window->size(), screen->logicalDotsPerInchY()))
        << window->objectName().toStdString();
}

// A small school bound as start-up binds it, with no loan limits.
class DeskWindowTest : public ::testing::Test {
  protected:
    explicit DeskWindowTest(bool withPupils = true) : school(withPupils) {
        SchoolFolder::insert(school.catalogue(), "vok",
                             {document("00003", "Astérix le Gaulois", "Goscinny"),
                              document("00001", "Le Petit Prince", "Saint-Exupéry"),
                              document("00002", "Tintin, au Tibet", "Hergé")});
        SchoolFolder::insert(school.members(), "membres",
                             {member("00007", "Durand", "Anne"), member("00008", "dupont", "Zoé"),
                              member("00009", "Dupont", "Jean", "N"),
                              member("00010", "Bernard", "Paul")});
        if (withPupils) {
            SchoolFolder::insert(school.pupilsFile(), "équipe",
                                 {{{"équipenuméro", "09"},
                                   {"équipeniveau", "CM1"},
                                   {"équipeinstituteur", "M. Garnier"}},
                                  {{"équipenuméro", "02"},
                                   {"équipeniveau", "CP"},
                                   {"équipeinstituteur", "Mme Lefèvre"}}});
            SchoolFolder::insert(
                school.pupilsFile(), "enfants",
                {pupil("00042", "Martin", "Léa", "09"), pupil("00043", "Dubois", "Tom", "09"),
                 pupil("00044", "Aubert", "Eva", "09"), pupil("00045", "Martin", "Ali", "09"),
                 pupil("00050", "Zidane", "Noé", "02")});
        }
        EXPECT_EQ(RunStartup(t.ctx, school.data(), {}), StartupResult::ShowMainWindow);
        t.ctx.loanLimits = {"0", "0", "15"};
        t.dialogs.shown.clear();
    }

    LoanDeskWindow& desk() {
        if (!desk_) {
            desk_ = std::make_unique<LoanDeskWindow>(t.ctx);
            desk_->open();
            EXPECT_TRUE(QTest::qWaitForWindowActive(desk_.get()));
        }
        return *desk_;
    }
    template <typename T = QWidget> T* control(QWidget* window, const char* name) {
        auto* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    template <typename T = QWidget> T* control(const char* name) {
        return control<T>(&desk(), name);
    }
    QLineEdit* reading() { return control<QLineEdit>("Text1"); }
    QString text(const char* name) {
        if (auto* field = desk().findChild<QLineEdit*>(QString::fromLatin1(name)))
            return field->text();
        return control<QLabel>(name)->text();
    }
    QStringList items(QListWidget* list) {
        QStringList lines;
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines;
    }
    // As the reader does it: the characters, then Enter.
    void scan(const QString& code) {
        QTest::keyClicks(reading(), code);
        QTest::keyClick(reading(), Qt::Key_Return);
    }
    void click(QWidget* window, const char* name) { control<QPushButton>(window, name)->click(); }
    QString doc(const QString& number, const QString& field) const {
        return SchoolFolder::value(school.catalogue(), "vok", "inventaire", number, field);
    }
    QByteArray journal() const {
        QFile file(school.data() + "/26-03-07.JNL");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList messages() {
        QStringList texts;
        for (const ShownMessage& m : t.dialogs.shown)
            texts << m.text;
        t.dialogs.shown.clear();
        return texts;
    }

    // Form3 opened from the desk, with the class of row `classRow` chosen.
    QWidget* borrowersOfClass(int classRow) {
        click(&desk(), "SSCommand5");
        QWidget* form3 = desk().findChild<QWidget*>("Form3");
        if (form3)
            control<QListWidget>(form3, "List1")->setCurrentRow(classRow);
        return form3;
    }

    SchoolFolder school;
    TestContext t;
    std::unique_ptr<LoanDeskWindow> desk_;
};

TEST_F(DeskWindowTest, ControlsCaptionsAndHints) {
    EXPECT_EQ(desk().objectName(), "Form2");
    EXPECT_EQ(desk().windowTitle(),
              "KarVel pour La VOK - Gestion des Prêts par lecture de codes-barres");
    QStringList frames;
    for (const QGroupBox* frame : desk().findChildren<QGroupBox*>())
        frames << frame->title();
    EXPECT_EQ(frames, QStringList({"Lecture du code-barres", "Analyse de la lecture du code-barres",
                                   "Visualisation de la lecture des codes-barres"}));
    EXPECT_EQ(text("Label7"), "Lecture du code-barres");
    QStringList headings;
    for (const QLabel* label : desk().findChildren<QLabel*>("Label8"))
        headings << QString::number(label->property("index").toInt()) + ' ' + label->text();
    EXPECT_EQ(headings, QStringList({"0 Action sur la base de données", "1 Emprunteur identifié",
                                     "2 Liste des documents"}));
    for (const char* name : {"Text2", "Text3", "Text4"})
        control<QLineEdit>(name);
    for (const char* name : {"Label4", "Label5", "Label6", "Label9"})
        control<QLabel>(name);
    control<QListWidget>("List1");

    // Name, caption, hint.
    const std::vector<std::array<QString, 3>> buttons = {
        {"SSCommand3", "", "Cliquez pour valider le code-barres"},
        {"SSCommand4", "Action", "Cliquez pour sélectionner manuellement l'action à effectuer"},
        {"SSCommand5", "Emprunteur",
         "Cliquez pour sélectionner manuellement l'emprunteur concerné"},
        {"SSCommand6", "Documents", "Cliquez pour sélectionner manuellement le document concerné"},
        {"SSCommand7", "&Imprimer", "Cliquez pour imprimer"},
        {"SSCommand2", "&Quitter", "Cliquez pour quitter la gestion des prêts"},
        {"SSCommand1", "&Nouvelle lecture de codes-barres",
         "Cliquez pour effectuer une nouvelle lecture de codes-barres"},
    };
    for (const auto& [name, caption, hint] : buttons) {
        const auto* button = control<QPushButton>(name.toLatin1().constData());
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), caption) << name.toStdString();
        EXPECT_EQ(button->toolTip(), hint) << name.toStdString();
    }
    EXPECT_FALSE(control<QPushButton>("SSCommand3")->icon().isNull()) << "a picture, no caption";
    EXPECT_TRUE(reading()->hasFocus());
    expectCentred(&desk());
}

TEST_F(DeskWindowTest, TypedLettersBecomeCapitals) {
    QTest::keyClicks(reading(), "emprunt");
    EXPECT_EQ(reading()->text(), "EMPRUNT");
    EXPECT_EQ(reading()->cursorPosition(), 7);

    // A letter typed inside the text, and one whose capital is two letters:
    // the cursor stays after what was typed.
    reading()->setText("DOC-12");
    reading()->setCursorPosition(3);
    QTest::keyClicks(reading(), "aß");
    EXPECT_EQ(reading()->text(), "DOCASS-12");
    EXPECT_EQ(reading()->cursorPosition(), 6);
    QTest::keyClicks(reading(), "x");
    EXPECT_EQ(reading()->text(), "DOCASSX-12");
}

TEST_F(DeskWindowTest, ScannedLoanEndToEnd) {
    scan("emprunt");
    EXPECT_EQ(text("Text2"), "EMPRUNT");
    EXPECT_EQ(text("Label4"), "Emprunt de documents");
    EXPECT_EQ(reading()->text(), "");

    scan("eco-00042");
    EXPECT_EQ(text("Text3"), "ECO-00042");
    EXPECT_EQ(text("Label5"), "école");
    EXPECT_EQ(text("Label6"), "00042");
    EXPECT_EQ(text("Label9"), "Léa Martin");

    scan("doc-00001");
    scan("2");
    EXPECT_EQ(doc("00001", "emprunté"), "O");
    EXPECT_EQ(doc("00001", "emprunteur"), "00042");
    EXPECT_EQ(doc("00001", "catégorieemprunteur"), "école");
    EXPECT_EQ(doc("00001", "dateemprunt"), "07/03/2026");
    EXPECT_EQ(doc("00002", "emprunté"), "O") << "a number typed by hand is padded";
    EXPECT_EQ(text("Text4"), "00002");
    EXPECT_EQ(items(control<QListWidget>("List1")),
              QStringList({"00001 - Le Petit Prince", "00002 - Tintin, au Tibet"}));
    EXPECT_TRUE(journal().contains("\"Document : 00002 - Tintin, au Tibet - Gallimard\"\r\n"));
    EXPECT_EQ(reading()->text(), "");
    EXPECT_TRUE(reading()->hasFocus());
    EXPECT_TRUE(messages().isEmpty());
}

// "Aperçu" shows the list's page without sending it; its "Imprimer" sends it once.
TEST_F(DeskWindowTest, ListPreviewedThenPrinted) {
    scan("emprunt");
    scan("eco-00042");
    scan("doc-00001");
    int pages = -1;
    whenPreviewShows("Imprimer", [&](int n) {
        pages = n;
        // A reading made meanwhile does not print: its Enter answers nothing.
        QWidget* preview = QApplication::activeModalWidget();
        ASSERT_NE(preview, nullptr);
        QTest::keyClicks(preview, "DOC-00002");
        QTest::keyClick(preview, Qt::Key_Return);
        EXPECT_TRUE(preview->isVisible());
        EXPECT_TRUE(t.printer.jobs().empty());
    });
    click(&desk(), "SSCommand8");
    EXPECT_EQ(pages, 1);
    ASSERT_EQ(t.printer.jobs().size(), 1u);
    EXPECT_EQ(t.printer.jobs()[0].sheets, 1);
    EXPECT_EQ(t.printer.jobs()[0].items.back().text, "00001 - Le Petit Prince");
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return reading()->hasFocus(); }, 2000))
        << "the reader can scan again";
}

TEST_F(DeskWindowTest, EnterAndTheButtonDoTheSameOnce) {
    // A document before any action is refused with one message, whichever way
    // the reading is validated.
    const QString refusal =
        "Procédure impossible ... La commande n'est pas connue : EMPRUNT ou RESTITUTION";
    scan("DOC-00001");
    EXPECT_EQ(messages(), QStringList({refusal}));
    QTest::keyClicks(reading(), "DOC-00001");
    click(&desk(), "SSCommand3");
    EXPECT_EQ(messages(), QStringList({refusal}));
    EXPECT_EQ(reading()->text(), "");

    // Keypad Enter too.
    QTest::keyClicks(reading(), "r");
    QTest::keyClick(reading(), Qt::Key_Enter);
    EXPECT_EQ(text("Text2"), "RESTITUTION");
}

TEST_F(DeskWindowTest, NewReadingEmptiesTheDeskOnly) {
    for (const char* code : {"EMPRUNT", "ECO-00042", "DOC-00001"})
        scan(code);
    const QByteArray journalBefore = journal();
    ASSERT_FALSE(journalBefore.isEmpty());

    click(&desk(), "SSCommand1");
    for (const char* name :
         {"Text1", "Text2", "Text3", "Text4", "Label4", "Label5", "Label6", "Label9"})
        EXPECT_EQ(text(name), "") << name;
    EXPECT_EQ(control<QListWidget>("List1")->count(), 0);
    EXPECT_TRUE(reading()->hasFocus());
    EXPECT_EQ(journal(), journalBefore);
    EXPECT_EQ(doc("00001", "emprunté"), "O");
    EXPECT_EQ(doc("00001", "emprunteur"), "00042");
    EXPECT_EQ(t.ctx.desk.CurrentAction, "Emprunt d'un document") << "outlives the desk's fields";
}

TEST_F(DeskWindowTest, QuitAndCloseBoxHideAnEmptiedDesk) {
    scan("EMPRUNT");
    click(&desk(), "SSCommand2");
    EXPECT_FALSE(desk().isVisible());
    desk().open();
    EXPECT_EQ(text("Text2"), "") << "each opening starts with an empty desk";

    scan("RESTITUTION");
    const QPointer<QWidget> window(&desk());
    EXPECT_TRUE(desk().close());
    ASSERT_FALSE(window.isNull()) << "hidden, not destroyed";
    EXPECT_FALSE(desk().isVisible());
    EXPECT_EQ(text("Text2"), "");
}

TEST_F(DeskWindowTest, ActionChoice) {
    click(&desk(), "SSCommand4");
    auto* form5 = desk().findChild<QWidget*>("Form5");
    ASSERT_NE(form5, nullptr);
    EXPECT_TRUE(form5->isVisible());
    EXPECT_EQ(form5->windowTitle(), "KarVel - choix de l'action");
    expectCentred(form5);
    QStringList buttons;
    for (const char* name : {"SSCommand1", "SSCommand2", "SSCommand3"}) {
        const auto* button = control<QPushButton>(form5, name);
        buttons << button->text() + " | " + button->toolTip();
    }
    EXPECT_EQ(buttons,
              QStringList({"&Emprunt | Action : EMPRUNT", "&Restitution | Action : RESTITUTION",
                           "&Impression | Action : IMPRESSION"}));

    click(form5, "SSCommand2");
    EXPECT_FALSE(form5->isVisible());
    EXPECT_EQ(text("Text2"), "RESTITUTION");
    EXPECT_EQ(reading()->text(), "");

    click(&desk(), "SSCommand4");
    click(form5, "SSCommand3");
    EXPECT_EQ(t.printer.jobs().size(), 1u);
    EXPECT_EQ(text("Text2"), "RESTITUTION") << "printing leaves the action";
}

TEST_F(DeskWindowTest, ClassListEndsWithTheExternalMembers) {
    click(&desk(), "SSCommand5");
    QWidget* form3 = desk().findChild<QWidget*>("Form3");
    ASSERT_NE(form3, nullptr);
    EXPECT_TRUE(form3->isVisible());
    EXPECT_EQ(form3->windowTitle(), "KarVel - Choix de l'emprunteur");
    expectCentred(form3);
    EXPECT_EQ(items(control<QListWidget>(form3, "List1")),
              QStringList({"02 - CP - Mme Lefèvre", "09 - CM1 - M. Garnier", "XX - Extérieurs"}));
    EXPECT_EQ(control<QListWidget>(form3, "List1")->currentRow(), 0);
    EXPECT_EQ(items(control<QListWidget>(form3, "List2")), QStringList({"00050 - Zidane Noé"}))
        << "the first class stands chosen, its pupils listed";
    EXPECT_EQ(control<QPushButton>(form3, "SSCommand1")->toolTip(),
              "Cliquez pour accepter la sélection");
    EXPECT_EQ(control<QPushButton>(form3, "SSCommand2")->toolTip(), "Cliquez pour quitter");

    // Opened again, the list is built again, not added to.
    SchoolFolder::insert(
        school.pupilsFile(), "équipe",
        {{{"équipenuméro", "11"}, {"équipeniveau", "CM2"}, {"équipeinstituteur", "M. Mercier"}}});
    click(form3, "SSCommand2");
    EXPECT_FALSE(form3->isVisible());
    click(&desk(), "SSCommand5");
    EXPECT_EQ(items(control<QListWidget>(form3, "List1")),
              QStringList({"02 - CP - Mme Lefèvre", "09 - CM1 - M. Garnier",
                           "11 - CM2 - M. Mercier", "XX - Extérieurs"}));
}

TEST_F(DeskWindowTest, ExternalMembersSortedAndAcceptedAsTheirCard) {
    QWidget* form3 = borrowersOfClass(2);
    auto* list2 = control<QListWidget>(form3, "List2");
    EXPECT_TRUE(list2->isVisible());
    EXPECT_EQ(items(list2), QStringList({"00010 - Bernard Paul", "00009 - Dupont Jean",
                                         "00008 - dupont Zoé", "00007 - Durand Anne"}));
    EXPECT_EQ(t.ctx.desk.BorrowerCategory, "extérieur");
    EXPECT_EQ(form3->focusWidget(), control(form3, "Text1")) << "ready for a search";

    // Jean Dupont may not borrow: refused as his card would be.
    list2->setCurrentRow(1);
    click(form3, "SSCommand1");
    EXPECT_FALSE(form3->isVisible());
    EXPECT_FALSE(list2->isVisible());
    EXPECT_EQ(messages(), QStringList({"Jean Dupont n'est pas autorisé(e) à emprunter "
                                       "actuellement...\n\nDésolé... Procédure interrompue!!!"}));
    EXPECT_EQ(text("Text3"), "") << "the desk is reset";

    // Accepted by a double click, which reads EXT- and the number.
    form3 = borrowersOfClass(2);
    QListWidgetItem* anne = list2->item(3);
    list2->setCurrentItem(anne);
    emit list2->itemDoubleClicked(anne);
    EXPECT_EQ(text("Text3"), "EXT-00007");
    EXPECT_EQ(text("Label5"), "extérieur");
    EXPECT_EQ(text("Label9"), "Anne Durand");
    EXPECT_FALSE(form3->isVisible());
    EXPECT_TRUE(reading()->hasFocus());
}

TEST_F(DeskWindowTest, PupilsOfAClassAcceptedAsTheirCard) {
    QWidget* form3 = borrowersOfClass(1);
    auto* list2 = control<QListWidget>(form3, "List2");
    EXPECT_EQ(items(list2), QStringList({"00044 - Aubert Eva", "00043 - Dubois Tom",
                                         "00045 - Martin Ali", "00042 - Martin Léa"}));
    // Nothing selected: accepting does nothing.
    list2->clearSelection();
    click(form3, "SSCommand1");
    EXPECT_TRUE(form3->isVisible());

    list2->setCurrentRow(3);
    click(form3, "SSCommand1");
    EXPECT_EQ(text("Text3"), "ECO-00042");
    EXPECT_EQ(text("Label9"), "Léa Martin");
}

TEST_F(DeskWindowTest, SearchFromTheNameWhateverTheCase) {
    QWidget* form3 = borrowersOfClass(2);
    auto* list2 = control<QListWidget>(form3, "List2");
    auto* search = control<QLineEdit>(form3, "Text1");

    QTest::keyClicks(search, "DUP");
    EXPECT_EQ(list2->currentRow(), 1);
    EXPECT_TRUE(list2->item(1)->isSelected());
    search->setText("dupont z");
    EXPECT_EQ(list2->currentRow(), 2) << "the lower-case surname matches";
    search->setText("dur");
    EXPECT_EQ(list2->currentRow(), 3);
    // No match and a blank search leave the list as it was.
    search->setText("Martin");
    EXPECT_EQ(list2->currentRow(), 3);
    search->setText("   ");
    EXPECT_EQ(list2->currentRow(), 3);
}

TEST(FindBorrowerLine, ComparesFromTheNinthCharacter) {
    const QStringList lines = {"00010 - Bernard Paul", "00009 - Dupont Jean", "00008 - dupont Zoé",
                               "00777 - Dup", "00011 - Dup Léo"};
    EXPECT_EQ(FindBorrowerLine(lines, "dUp"), 1);
    EXPECT_EQ(FindBorrowerLine(lines, "Dupont Z"), 2);
    // Not trimmed, and a name shorter than the search does not match.
    EXPECT_EQ(FindBorrowerLine(lines, "Dup "), 4);
    EXPECT_EQ(FindBorrowerLine(lines, "00009"), -1) << "not the number";
    EXPECT_EQ(FindBorrowerLine(lines, " "), -1);
    EXPECT_EQ(FindBorrowerLine(lines, ""), -1);
}

TEST(BorrowerReading, PrefixOfTheKindListed) {
    EXPECT_EQ(BorrowerReading("école", "00042 - Martin Léa"), "ECO-00042");
    EXPECT_EQ(BorrowerReading("extérieur", "00007 - Durand Anne"), "EXT-00007");
    EXPECT_EQ(BorrowerReading("", "00007 - Durand Anne"), "");
    EXPECT_EQ(DocumentReading("00123 - Atlas - Collectif"), "DOC-00123");
}

class NoPupilsDeskTest : public DeskWindowTest {
  protected:
    NoPupilsDeskTest() : DeskWindowTest(false) {}
};

TEST_F(NoPupilsDeskTest, OnlyTheExternalMembers) {
    EXPECT_EQ(ClassEntries(t.ctx), QStringList({"XX - Extérieurs"}));
    QWidget* form3 = borrowersOfClass(0);
    ASSERT_NE(form3, nullptr);
    EXPECT_EQ(items(control<QListWidget>(form3, "List1")), QStringList({"XX - Extérieurs"}));
    EXPECT_EQ(control<QListWidget>(form3, "List2")->count(), 4);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(DeskWindowTest, DocumentListBuiltOnce) {
    click(&desk(), "SSCommand6");
    auto* form4 = desk().findChild<QWidget*>("Form4");
    ASSERT_NE(form4, nullptr);
    EXPECT_TRUE(form4->isVisible());
    EXPECT_EQ(form4->windowTitle(), "KarVel - Liste des Documents");
    expectCentred(form4);
    auto* list2 = control<QListView>(form4, "List2");
    QStringList lines;
    for (int row = 0; row < list2->model()->rowCount(); ++row)
        lines << list2->model()->index(row, 0).data().toString();
    const QStringList expected = {"00001 - Le Petit Prince - Saint-Exupéry",
                                  "00002 - Tintin, au Tibet - Hergé",
                                  "00003 - Astérix le Gaulois - Goscinny"};
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(t.dialogs.busy);

    // Opened again after a document was added: the list is the one built first.
    SchoolFolder::insert(school.catalogue(), "vok", {document("00004", "Bambi", "Salten")});
    form4->hide();
    click(&desk(), "SSCommand6");
    EXPECT_TRUE(form4->isVisible());
    EXPECT_EQ(list2->model()->rowCount(), 3);

    // A double click reads the document's label.
    for (const char* code : {"EMPRUNT", "ECO-00043"})
        scan(code);
    click(&desk(), "SSCommand6");
    const QModelIndex tintin = list2->model()->index(1, 0);
    list2->setCurrentIndex(tintin);
    emit list2->doubleClicked(tintin);
    EXPECT_FALSE(form4->isVisible());
    EXPECT_EQ(text("Text4"), "00002");
    EXPECT_EQ(doc("00002", "emprunteur"), "00043");
    EXPECT_TRUE(reading()->hasFocus());
}

// Typing above the list narrows it to the titles and authors holding the
// text; a document on loan is marked; a choice from the narrowed list reads
// that document's label, and the reading field has the focus again.
TEST_F(DeskWindowTest, DocumentSearchNarrowsTheListAndMarksLoans) {
    for (const char* code : {"EMPRUNT", "ECO-00043", "DOC-00002"})
        scan(code);
    click(&desk(), "SSCommand6");
    auto* form4 = desk().findChild<QWidget*>("Form4");
    ASSERT_NE(form4, nullptr);
    auto* list2 = control<QListView>(form4, "List2");
    auto* search = control<QLineEdit>(form4, "Text1");
    const auto shown = [&] {
        QStringList lines;
        for (int row = 0; row < list2->model()->rowCount(); ++row)
            lines << list2->model()->index(row, 0).data().toString();
        return lines;
    };
    const auto onLoan = [&](int row) {
        return list2->model()->index(row, 0).data(DocumentList::OnLoanRole).toBool();
    };
    EXPECT_FALSE(onLoan(0));
    EXPECT_TRUE(onLoan(1)) << "Tintin was just lent";

    QTest::keyClicks(search, "HERGE");
    EXPECT_EQ(shown(), QStringList({"00002 - Tintin, au Tibet - Hergé"}));
    EXPECT_TRUE(onLoan(0));
    search->setText("  le ");
    EXPECT_EQ(shown(), QStringList({"00001 - Le Petit Prince - Saint-Exupéry",
                                    "00003 - Astérix le Gaulois - Goscinny"}))
        << "blanks around the text do not count";
    search->setText("zzz");
    EXPECT_TRUE(shown().isEmpty());
    search->clear();
    EXPECT_EQ(shown().size(), 3);

    search->setText("petit");
    list2->setCurrentIndex(list2->model()->index(0, 0));
    emit list2->doubleClicked(list2->currentIndex());
    EXPECT_FALSE(form4->isVisible());
    EXPECT_EQ(doc("00001", "emprunteur"), "00043");
    EXPECT_TRUE(reading()->hasFocus());
    EXPECT_TRUE(messages().isEmpty());
}

// Lines are read a block at a time as they are drawn: every row shows its own
// document, across blocks and after a search dropped the blocks kept.
TEST(DocumentList, LinesReadByBlocksInCatalogueOrder) {
    SchoolFolder school;
    TestContext t;
    std::vector<Row> documents;
    for (int i = 300; i >= 1; --i)
        documents.push_back(document(QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')),
                                     i % 7 ? "Album" : "Conte", QString::number(i)));
    SchoolFolder::insert(school.catalogue(), "vok", documents);
    DocumentView& view = t.ctx.views.documentsView;
    view.bind(school.catalogue());
    DocumentList list(view);
    list.fill();
    ASSERT_EQ(list.rowCount(), 300);
    for (int row : {299, 0, 63, 64, 200, 1})
        EXPECT_EQ(list.index(row).data().toString(), QStringLiteral("%1 - %2 - %3")
                                                         .arg(row + 1, 5, 10, QLatin1Char('0'))
                                                         .arg((row + 1) % 7 ? "Album" : "Conte")
                                                         .arg(row + 1));
    list.fill("conte");
    ASSERT_EQ(list.rowCount(), 42);
    EXPECT_EQ(list.index(41).data().toString(), "00294 - Conte - 294");
    EXPECT_EQ(list.readLine(5), "00042 - Conte - 42");
    EXPECT_EQ(list.readLine(42), "");
}

TEST(MainWindowDesk, OpenedAtStartAndFromTheMenu) {
    TestContext t;
    MainWindow window(t.ctx, QuitActions{[] {}, [](int) {}});
    LoanDeskWindow& desk = window.loanDesk();
    auto* reading = desk.findChild<QLineEdit*>("Text1");
    ASSERT_NE(reading, nullptr);
    const auto readyToRead = [&] { return desk.isVisible() && reading->hasFocus(); };

    window.show();
    EXPECT_TRUE(QTest::qWaitFor(readyToRead, 2000)) << "the reader can scan at once";

    desk.findChild<QPushButton*>("SSCommand2")->click();
    EXPECT_FALSE(desk.isVisible());
    // The user comes back to the main window.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_TRUE(window.loanDeskAction()->isEnabled());
    window.loanDeskAction()->trigger();
    EXPECT_TRUE(QTest::qWaitFor(readyToRead, 2000));
    // Showing the main window again does not open the desk a second time.
    desk.hide();
    window.hide();
    window.show();
    QTest::qWait(20);
    EXPECT_FALSE(desk.isVisible());
}

} // namespace
