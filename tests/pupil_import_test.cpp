// The pupils of a new school year, imported from the office's spreadsheet
// into a school's real pupils file: the CSV reader's guesses, then a
// September file with pupils who stay, move, leave and arrive.

#include "loan_desk_fixture.h"
#include "school_year/pupil_file.h"
#include "school_year/pupil_import.h"
#include "shell/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace karvel;
using namespace karvel::school_year;
using namespace karvel::test;

namespace {

TEST(PupilFileReader, SeparatorEncodingHeaderAndQuotes) {
    struct Case {
        int row;
        QByteArray bytes;
        char separator;
        int rows;
        QStringList first; // surname, first name, class, level, teacher of the first pupil
        int lastLine;
        bool hasLevel;
    };
    const QByteArray latin =
        QStringLiteral("NOM\tPRENOM\tCLASSE\tNiveau\nLefèvre\tÉloïse\t02\tCP\n").toLatin1();
    const Case cases[] = {
        {1,
         "Nom;Prénom;Classe\nMartin;Léa;CM1\n",
         ';',
         1,
         {"Martin", "Léa", "CM1", "", ""},
         2,
         false},
        // Windows-1252, tabs, a header in capitals without its accent.
        {2, latin, '\t', 1, {"Lefèvre", "Éloïse", "02", "CP", ""}, 2, true},
        // Commas, quoted separators and doubled quotes.
        {3,
         "nom,prénom,classe,enseignant\n\"Dupont, jr\",\"Jean \"\"Jo\"\"\",CM1,\"Mme Roux; CM1\"\n",
         ',',
         1,
         {"Dupont, jr", "Jean \"Jo\"", "CM1", "", "Mme Roux; CM1"},
         2,
         false},
        // A byte order mark, CR LF, columns in another order, an unknown
        // column, a blank line and a line end inside quotes: the next pupil
        // is on line 5.
        {4,
         "\xEF\xBB\xBF"
         "Classe;Adresse;NOM;prenom\r\n01;\"3 rue\r\ndes Écoles\";Roux;Inès\r\n\r\n02;;Blanc;Paul\r\n",
         ';',
         2,
         {"Roux", "Inès", "01", "", ""},
         5,
         false},
        // Extra blanks go; a short line leaves the columns it lacks empty.
        {5,
         "nom;prénom;classe;niveau\n  Petit   Jean ; Tom\n",
         ';',
         1,
         {"Petit Jean", "Tom", "", "", ""},
         2,
         true},
        // A quote inside an unquoted field is a character, not a quoted field.
        {6,
         "nom;prénom;classe\nDupont;Jean \"Jo\";CM1\nRoux;Inès;01\n",
         ';',
         2,
         {"Dupont", "Jean \"Jo\"", "CM1", "", ""},
         3,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row));
        const PupilFile file = parsePupilFile(c.bytes);
        EXPECT_EQ(file.refusal, QString());
        EXPECT_EQ(file.separator, QLatin1Char(c.separator));
        ASSERT_EQ(int(file.rows.size()), c.rows);
        const PupilRow& first = file.rows.front();
        EXPECT_EQ((QStringList{first.surname, first.firstName, first.classNumber, first.level,
                               first.teacher}),
                  c.first);
        EXPECT_EQ(file.rows.back().line, c.lastLine);
        EXPECT_EQ(file.has(Column::Level), c.hasLevel);
        EXPECT_FALSE(file.has(Column::Cycle));
    }
    // No column named "nom": nothing to import.
    EXPECT_FALSE(parsePupilFile("élève;classe\nMartin;CM1\n").refusal.isEmpty());
    EXPECT_FALSE(parsePupilFile("").refusal.isEmpty());
}

// The school of the loan desk's tests (Martin Léa, 00042, holds "Le Lion";
// Petit Tom, 00043, holds nothing) with two classes and three more pupils.
class PupilImportTest : public LoanDeskTest {
  protected:
    PupilImportTest() {
        SchoolFolder::insert(school.pupilsFile(), "équipe",
                             {{{"équipenuméro", "01"},
                               {"équipeniveau", "GS"},
                               {"équipecycle", "1"},
                               {"équipeinstituteur", "Mme Durand"}},
                              {{"équipenuméro", "02"},
                               {"équipeniveau", "CP"},
                               {"équipecycle", "2"},
                               {"équipeinstituteur", "M. Bonnet"}}});
        SchoolFolder::insert(school.pupilsFile(), "enfants",
                             {{{"matricule", "00044"},
                               {"nomenfant", "DUPONT"},
                               {"prénomenfant", "Éloïse"},
                               {"classe", "01"},
                               {"niveau", "GS"}},
                              {{"matricule", "00045"},
                               {"nomenfant", "GARNIER"},
                               {"prénomenfant", "Hugo"},
                               {"classe", "02"}},
                              {{"matricule", "00046"},
                               {"nomenfant", "ROUX"},
                               {"prénomenfant", "Inès"},
                               {"classe", "01"}}});
    }
    QString pupil(const QString& number, const QString& field) const {
        return SchoolFolder::value(school.pupilsFile(), "enfants", "matricule", number, field);
    }
    QString classField(const QString& number, const QString& field) const {
        return SchoolFolder::value(school.pupilsFile(), "équipe", "équipenuméro", number, field);
    }
    // The September file, in Windows-1252 with semicolons and no cycle column.
    QString writeSeptemberFile() const {
        const QString path = school.root() + "/rentrée.csv";
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("Nom;Prénom;Classe;Niveau;Enseignant\r\n"
                                  "Dupont;Eloise;02;CP;M. Bonnet\r\n" // moves
                                  ";Sans Nom;01;GS;\r\n"              // line 3: bad
                                  "roux;INES;01;GS;Mme Durand\r\n"    // stays
                                  "Garnier;Hugo;CM1AB;CM1;\r\n"       // line 5: bad
                                  "Nguyen;Zoé;03;CE1;Mme Lefèvre\r\n" // arrives
                                  "Lefort;Jules;03;CE1;\r\n")         // arrives
                       .toLatin1());
        return path;
    }
};

TEST_F(PupilImportTest, SeptemberFileThroughTheWindow) {
    // The desk has its pupil view open on the file during the import.
    read({"EMPRUNT", "ECO-00044"});
    ASSERT_TRUE(t.ctx.views.pupilsView.isOpen());
    t.dialogs.shown.clear();
    MainWindow main(t.ctx, QuitActions{[] {}, [](int) {}});
    main.findChild<QAction*>("menugestionindex6")->trigger();
    auto* window = main.findChild<QWidget*>("ImportEleves");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisibleTo(&main));
    auto* path = window->findChild<QLineEdit*>("Text1");
    auto* plan = window->findChild<QPlainTextEdit*>("Text2");
    auto* removeAbsent = window->findChild<QCheckBox*>("Check1");
    auto* import = window->findChild<QPushButton*>("Commande3");
    path->setText(writeSeptemberFile());
    QTest::keyClick(path, Qt::Key_Return);
    removeAbsent->setChecked(true);
    const QString shown = plan->toPlainText();
    for (const char* line :
         {"Nouveaux élèves : 2", "Élèves qui changent de classe : 1",
          "Élèves absents du fichier : 2, dont 1 avec des documents en prêt",
          "Classes créées : 1, classes mises à jour : 0",
          "Les 1 élèves absents du fichier sans prêt en cours seront retirés.",
          "  00042 Martin Léa (classe CM1) : 1 document(s)", "  ligne 3 : nom absent",
          "  ligne 5 : classe « CM1AB » de plus de 4 caractères"})
        EXPECT_TRUE(shown.contains(QString::fromUtf8(line))) << line << "\n" << shown.toStdString();

    // No: nothing written, no copy made.
    const QByteArray before = contents(school.pupilsFile());
    t.dialogs.answers = {AnswerNo};
    QTest::mouseClick(import, Qt::LeftButton);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(t.dialogs.shown[0].text.endsWith(
        "sans les lignes fautives ? Une copie du fichier des élèves sera faite d'abord."));
    EXPECT_EQ(contents(school.pupilsFile()), before);
    EXPECT_FALSE(QFile::exists(school.data() + "/MAV_07.BAK"));

    t.dialogs.answers = {AnswerYes};
    QTest::mouseClick(import, Qt::LeftButton);
    ASSERT_EQ(t.dialogs.shown.size(), 3u);
    EXPECT_TRUE(t.dialogs.shown[2].text.startsWith(
        "Import terminé : 2 nouveaux élèves, 2 élèves changés de classe ou de niveau, 1 élèves retirés, 1 classes créées ou mises à jour."))
        << t.dialogs.shown[2].text.toStdString();

    // Those who stay keep their numbers and spellings, and take the file's
    // class and level (Roux Inès had none).
    EXPECT_EQ(pupil("00044", "prénomenfant"), "Éloïse");
    EXPECT_EQ(pupil("00044", "classe"), "02");
    EXPECT_EQ(pupil("00044", "niveau"), "CP");
    EXPECT_EQ(pupil("00046", "classe"), "01");
    EXPECT_EQ(pupil("00046", "niveau"), "GS");
    // A pupil with a document is kept; one on a bad line is left alone; the other goes.
    EXPECT_EQ(pupil("00042", "classe"), "CM1");
    EXPECT_EQ(pupil("00045", "classe"), "02");
    EXPECT_EQ(pupil("00043", "nomenfant"), "<absent>");
    // Arrivals numbered after the largest number, in the file's order.
    EXPECT_EQ(pupil("00047", "prénomenfant"), "Zoé");
    EXPECT_EQ(pupil("00047", "classe"), "03");
    EXPECT_EQ(pupil("00048", "nomenfant"), "Lefort");
    EXPECT_EQ(pupil("00048", "cycle"), "");
    EXPECT_EQ(classField("03", "équipeinstituteur"), "Mme Lefèvre");
    EXPECT_EQ(classField("03", "équipeniveau"), "CE1");
    EXPECT_EQ(classField("02", "équipeinstituteur"), "M. Bonnet");
    // The copy made first is the file as it was, with its note.
    const QString backup = school.data() + "/MAV_07.BAK";
    EXPECT_EQ(SchoolFolder::value(backup, "enfants", "matricule", "00043", "nomenfant"), "Petit");
    EXPECT_EQ(SchoolFolder::value(backup, "enfants", "matricule", "00047", "nomenfant"),
              "<absent>");
    EXPECT_TRUE(contents(school.data() + "/MAV_07.TXT").startsWith("\"Le fichier MAV_07.BAK"));

    // The window now shows that nothing is left to import.
    EXPECT_TRUE(
        plan->toPlainText().startsWith("Nouveaux élèves : 0\nÉlèves qui changent de classe : 0"))
        << plan->toPlainText().toStdString();

    // A pupil just imported borrows at once.
    read({"EMPRUNT", "ECO-00047", "DOC-00001"});
    EXPECT_EQ(doc("00001", "emprunteur"), "00047");
    EXPECT_EQ(doc("00001", "catégorieemprunteur"), "école");
    EXPECT_EQ(desk.borrowerName, "Zoé Nguyen");
}

TEST_F(PupilImportTest, AnotherDeskChangingThePupilsMeanwhileStopsTheImport) {
    const SchoolFolders folders{school.data(), school.pupils()};
    const PupilFile file = readPupilFile(writeSeptemberFile());
    const ImportPlan plan = preparePupilImport(folders, file);
    // Meanwhile another program gives Nguyen Zoé a number of its own.
    SchoolFolder::insert(school.pupilsFile(), "enfants",
                         {{{"matricule", "00050"},
                           {"nomenfant", "NGUYEN"},
                           {"prénomenfant", "Zoé"},
                           {"classe", "03"}}});
    const QByteArray before = contents(school.pupilsFile());
    EXPECT_THROW(applyPupilImport(t.files, QDate(2026, 9, 2), folders, file, {true, true}, plan),
                 KarvelError);
    EXPECT_EQ(contents(school.pupilsFile()), before);
    // Bad lines not skipped: nothing is even copied.
    EXPECT_EQ(
        applyPupilImport(t.files, QDate(2026, 9, 3), folders, file, {true, false}, plan).backup,
        QString());
    EXPECT_FALSE(QFile::exists(school.data() + "/MAV_03.BAK"));
}

TEST(PupilImportPlan, PupilsOfOneNameOnlyWhenNoneIsKnownYet) {
    CurrentSchool school;
    school.pupils = {{"00007", "MARTIN", "Léa", "01", "", ""}};
    school.nextNumber = "00008";
    const ImportPlan plan = planImport(
        parsePupilFile("nom;prénom;classe;naissance\n"
                       "Martin;Léa;02;03/05/2019\nMartin;Lea;03;3/5/2018\n" // which is 00007?
                       "Roux;Inès;04;01/02/2019\nRoux;Ines;05;1/2/2018\n"   // twins, both new
                       "Blanc;Paul;04;\nblanc;paul;05;\n"),                 // twice the same
        school);
    EXPECT_TRUE(plan.staying.empty());
    EXPECT_TRUE(plan.absent.empty()) << "00007 is on a bad line, not absent";
    ASSERT_EQ(plan.arriving.size(), 2u);
    EXPECT_EQ(plan.arriving[0].number + plan.arriving[0].classNumber, "0000804");
    EXPECT_EQ(plan.arriving[1].number + plan.arriving[1].classNumber, "0000905");
    std::vector<int> lines;
    for (const BadRow& row : plan.badRows)
        lines.push_back(row.line);
    EXPECT_EQ(lines, (std::vector<int>{2, 3, 6, 7}));
    EXPECT_TRUE(plan.badRows[0].reason.contains("00007"));
}

} // namespace
