// Documents and external members added and edited by hand: numbers never
// given twice, even by two desks; edits that leave the desk's fields alone
// and never overwrite another desk's change; the widths typed in the window;
// the labels of the documents added; and the desk lending what was added.

#include "catalogue/record_form.h"
#include "catalogue/record_form_window.h"
#include "loan_desk_fixture.h"
#include "page_scan.h"
#include "platform/painter_printer.h"
#include "platform/sqlite_db.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace karvel;
using namespace karvel::test;

namespace {

class CatalogueTest : public LoanDeskTest {
  protected:
    // What another desk on the same folder does meanwhile.
    void elsewhere(const QString& file, const QString& sql) const {
        Database db(file);
        db.exec(sql);
    }
};

// The catalogue's largest number is 00123 and the members' 00042.
TEST_F(CatalogueTest, NewRecordsTakeNumbersNoDeskHasGivenAndCanBorrowAtOnce) {
    // The document view is open on the catalogue before anything is added.
    read({"EMPRUNT", "EXT-00007", "DOC-00001"});
    ASSERT_EQ(doc("00001", "emprunté"), "O");

    RecordForm documents(t.ctx, documentForm());
    EXPECT_EQ(documents.number(), "00124");
    EXPECT_EQ(documents.value("dateacquisition"), "07/03/2026");
    documents.setValue("titre", "  Le Horla  ");
    documents.setValue("motsclés", "nouvelles\nfantastique");
    documents.setValue("dateacquisition", "1/3/26");
    ASSERT_TRUE(documents.save());
    // The form's values as the program writes them; the desk's fields at their start.
    for (const auto& [field, value] :
         std::vector<std::pair<QString, QString>>{{"titre", "Le Horla"},
                                                  {"motsclés", "nouvelles\nfantastique"},
                                                  {"dateacquisition", "01/03/2026"},
                                                  {"emprunt", "O"},
                                                  {"emprunté", "N"},
                                                  {"cumul", "000"},
                                                  {"emprunteur", ""},
                                                  {"catégorieemprunteur", ""},
                                                  {"dateemprunt", ""}})
        EXPECT_EQ(doc("00124", field), value) << field.toStdString();
    // The next of the pile: the date is kept, the title is not.
    EXPECT_EQ(documents.number(), "00125");
    EXPECT_EQ(documents.value("dateacquisition"), "01/03/2026");
    EXPECT_EQ(documents.value("titre"), "");

    // Another desk adds 00125 between the proposal and the save.
    SchoolFolder::insert(school.catalogue(), "vok", {book("00125", "Ailleurs", "N")});
    documents.setValue("titre", "Bel-Ami");
    ASSERT_TRUE(documents.save());
    EXPECT_EQ(doc("00125", "titre"), "Ailleurs");
    EXPECT_EQ(doc("00126", "titre"), "Bel-Ami");
    EXPECT_EQ(texts(), QStringList{"Le numéro 00125 a été pris par un autre poste entre-temps : "
                                   "le document est enregistré sous le numéro 00126."});
    EXPECT_EQ(documents.added(), (QStringList{"00124", "00126"}));

    // No title: refused, nothing written, the number stays proposed.
    documents.setValue("titre", "   ");
    EXPECT_FALSE(documents.save());
    EXPECT_EQ(documents.number(), "00127");
    EXPECT_EQ(doc("00127", "titre"), "<absent>");
    documents.setValue("titre", "Une vie");
    documents.setValue("dateacquisition", "31/02/2026");
    EXPECT_FALSE(documents.save());
    EXPECT_EQ(texts(), (QStringList{"Le titre du document est obligatoire.",
                                    "La date doit s'écrire sous la forme jj/mm/aaaa."}));

    RecordForm members(t.ctx, memberForm());
    EXPECT_EQ(members.number(), "00043");
    members.setValue("nom", "Maupassant");
    members.setValue("prénom", "Guy");
    ASSERT_TRUE(members.save());
    EXPECT_EQ(member("00043", "emprunt"), "1");
    EXPECT_EQ(member("00043", "dateadhésion"), "07/03/2026");
    EXPECT_EQ(member("00043", "datedernieremprunt"), "");

    // The desk lends the new document to the new member at once.
    read({"EXT-00043", "DOC-00124"});
    EXPECT_EQ(desk.borrowerName, "Guy Maupassant");
    EXPECT_EQ(doc("00124", "emprunté"), "O");
    EXPECT_EQ(doc("00124", "emprunteur"), "00043");
    EXPECT_EQ(doc("00124", "cumul"), "001");
    EXPECT_EQ(member("00043", "datedernieremprunt"), "07/03/2026");
    EXPECT_EQ(texts(), QStringList{});
}

TEST_F(CatalogueTest, AnEditWritesOnlyItsFieldsAndNeverOverAnotherDesksChange) {
    RecordForm documents(t.ctx, documentForm());
    // 00009 is lent to pupil 00042; its number read from its label.
    ASSERT_TRUE(documents.open("doc-00009"));
    EXPECT_TRUE(documents.editing());
    EXPECT_EQ(documents.value("titre"), "Le Lion");
    documents.setValue("titre", "Le Lion et le Rat");
    // Meanwhile another desk takes the document back and corrects its publisher.
    elsewhere(school.catalogue(), "UPDATE vok SET \"emprunté\" = 'N', emprunteur = '', "
                                  "\"catégorieemprunteur\" = '', \"éditeur\" = 'Hachette' "
                                  "WHERE inventaire = '00009'");
    ASSERT_TRUE(documents.save());
    EXPECT_EQ(doc("00009", "titre"), "Le Lion et le Rat");
    EXPECT_EQ(doc("00009", "éditeur"), "Hachette");
    EXPECT_EQ(doc("00009", "emprunté"), "N");
    EXPECT_EQ(doc("00009", "cumul"), "009");
    EXPECT_FALSE(documents.editing());

    // Both desks change the title: the second save is refused and shows the first.
    ASSERT_TRUE(documents.open("9"));
    documents.setValue("titre", "Le Lion amoureux");
    elsewhere(school.catalogue(),
              "UPDATE vok SET titre = 'Le Lion (Esope)' WHERE inventaire = '00009'");
    EXPECT_FALSE(documents.save());
    EXPECT_EQ(texts(), QStringList{"Ce document a été modifié sur un autre poste depuis que vous "
                                   "l'avez ouvert : rien n'a été enregistré. Il est affiché tel "
                                   "qu'il est maintenant."});
    EXPECT_EQ(doc("00009", "titre"), "Le Lion (Esope)");
    EXPECT_EQ(documents.value("titre"), "Le Lion (Esope)");
    EXPECT_TRUE(documents.editing());

    EXPECT_FALSE(documents.open("DOC-00777"));
    EXPECT_EQ(texts(), QStringList{"Pas de document avec ce numéro : 00777"});

    // A member whose permission is empty may borrow: the box shows it ticked,
    // and saving another field leaves the permission as the file had it.
    RecordForm members(t.ctx, memberForm());
    ASSERT_TRUE(members.open("EXT-00042"));
    members.setValue("emprunt", "1");
    members.setValue("ville", "Rouen");
    ASSERT_TRUE(members.save());
    EXPECT_EQ(member("00042", "ville"), "Rouen");
    EXPECT_EQ(member("00042", "emprunt"), "");
    EXPECT_EQ(member("00042", "datedernieremprunt"), "01/01/2026");
    ASSERT_TRUE(members.open("00008"));
    members.setValue("emprunt", "1");
    ASSERT_TRUE(members.save());
    EXPECT_EQ(member("00008", "emprunt"), "1");
}

TEST_F(CatalogueTest, TheWindowHoldsNoMoreThanEachFieldsWidth) {
    struct Row {
        int row;
        const FormDefinition& definition;
        const char* control;
        int width; // the column's width; 0: no limit
    };
    const Row rows[] = {
        {1, documentForm(), "titre", 50},   {2, documentForm(), "auteur", 30},
        {3, documentForm(), "editeur", 30}, {4, documentForm(), "dewey", 3},
        {5, documentForm(), "casier", 15},  {6, documentForm(), "isbn", 20},
        {7, documentForm(), "prix", 8},     {8, documentForm(), "dateacquisition", 10},
        {9, memberForm(), "nom", 20},       {10, memberForm(), "prenom", 20},
        {11, memberForm(), "adresse", 30},  {12, memberForm(), "codepostal", 5},
        {13, memberForm(), "ville", 20},    {14, memberForm(), "telephone", 15},
        {15, memberForm(), "adhesion", 15}, {16, memberForm(), "observations", 50},
    };
    const QString typed(60, QChar('w'));
    for (const Row& r : rows) {
        RecordFormWindow window(t.ctx, r.definition);
        auto* field = window.findChild<QLineEdit*>(r.control);
        ASSERT_TRUE(field) << "row " << r.row;
        field->clear();
        QTest::keyClicks(field, typed);
        EXPECT_EQ(field->text().size(), r.width) << "row " << r.row;
    }

    // Keywords take any length; a pile goes through the save button.
    RecordFormWindow window(t.ctx, documentForm());
    auto* keywords = window.findChild<QPlainTextEdit*>("motscles");
    QTest::keyClicks(keywords, QString(300, QChar('x')));
    QTest::keyClicks(window.findChild<QLineEdit*>("titre"), "Candide");
    window.findChild<QCheckBox*>("emprunt")->setChecked(false);
    window.findChild<QPushButton*>("enregistrer")->click();
    EXPECT_EQ(doc("00124", "motsclés").size(), 300);
    EXPECT_EQ(doc("00124", "emprunt"), "N");
    EXPECT_EQ(window.findChild<QLabel*>("legende")->text(), "Nouveau document : numéro 00125");
    EXPECT_FALSE(window.findChild<QCheckBox*>("emprunt")->isChecked());

    // A reading in the number field opens the document for editing.
    QTest::keyClicks(window.findChild<QLineEdit*>("numero"), "DOC-00001");
    QTest::keyClick(window.findChild<QLineEdit*>("numero"), Qt::Key_Return);
    EXPECT_EQ(window.findChild<QLineEdit*>("titre")->text(), "Le Petit Prince");
    EXPECT_EQ(window.findChild<QLabel*>("legende")->text(), "Document numéro 00001");
}

TEST_F(CatalogueTest, TheLabelsOfTheDocumentsAddedScan) {
    QTemporaryDir dir;
    const QString file = dir.path() + "/etiquettes.pdf";
    PdfPrinter pdf{t.dialogs, t.files, t.clock, [&] { return PdfTarget{file, false}; }};
    AppContext ctx{t.dialogs, t.clock, t.files, pdf};
    place(ctx);
    RecordForm documents(ctx, documentForm());
    documents.printLabels([](int) {});
    EXPECT_EQ(texts(), QStringList{"Aucun document n'a été ajouté dans cette fenêtre."});
    for (const char* title : {"Zadig", "Micromégas", "L'Ingénu"}) {
        documents.setValue("titre", title);
        ASSERT_TRUE(documents.save());
    }
    documents.printLabels([](int) {});
    const QImage page = rasterise(file, 300, 1);
    ASSERT_FALSE(page.isNull());
    QStringList scanned = scan(page, page.rect());
    scanned.sort();
    EXPECT_EQ(scanned, (QStringList{"DOC-00124", "DOC-00125", "DOC-00126"}));
}

} // namespace

TEST_F(CatalogueTest, TypingNotSavedIsDroppedOnlyWhenTheUserSaysSo) {
    RecordFormWindow window(t.ctx, documentForm());
    auto* title = window.findChild<QLineEdit*>("titre");
    auto* number = window.findChild<QLineEdit*>("numero");
    // Nothing typed: a new form asks nothing.
    window.findChild<QPushButton*>("nouveau")->click();
    EXPECT_TRUE(t.dialogs.shown.empty());

    // No keeps the typing, for a new form, another record and the quit button.
    QTest::keyClicks(title, "Candide");
    t.dialogs.answers = {AnswerNo, AnswerNo, AnswerNo};
    window.findChild<QPushButton*>("nouveau")->click();
    QTest::keyClicks(number, "DOC-00001");
    QTest::keyClick(number, Qt::Key_Return);
    window.findChild<QPushButton*>("quitter")->click();
    const QString question =
        "Les modifications de cette fiche ne sont pas enregistrées.\n\nVoulez-vous les abandonner ?";
    ASSERT_EQ(t.dialogs.shown.size(), 3u);
    EXPECT_EQ(t.dialogs.shown[0].text, question);
    EXPECT_EQ(title->text(), "Candide");

    // Yes drops it and opens the record asked for.
    t.dialogs.answers = {AnswerYes};
    QTest::keyClick(number, Qt::Key_Return);
    EXPECT_EQ(title->text(), "Le Petit Prince");

    // A save refused (no title) leaves the typing unsaved: leaving still asks.
    window.findChild<QPushButton*>("nouveau")->click();
    QTest::keyClicks(window.findChild<QLineEdit*>("auteur"), "Voltaire");
    t.dialogs.shown.clear();
    t.dialogs.answers = {AnswerOk, AnswerNo};
    window.findChild<QPushButton*>("enregistrer")->click();
    window.findChild<QPushButton*>("nouveau")->click();
    ASSERT_EQ(t.dialogs.shown.size(), 2u);
    EXPECT_EQ(t.dialogs.shown[1].text, question);
    EXPECT_EQ(window.findChild<QLineEdit*>("auteur")->text(), "Voltaire");
}
