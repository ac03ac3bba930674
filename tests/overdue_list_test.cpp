// The overdue list on a small school: days late on the fixed clock, the
// duration LAVOK.INI gives, the groups and their order, the pages for the
// teachers, the spreadsheet file, and the window that shows them.

#include "data/settings.h"
#include "desk/overdue_list.h"
#include "desk/overdue_window.h"
#include "loan_desk_fixture.h"

#include <QPushButton>
#include <QTreeWidget>

using namespace karvel;
using namespace karvel::test;

namespace {

// The page margin of 400 twips, in pixels of 1/600 inch.
constexpr double kMarginPx = 400 * 600 / 1440.0;

TEST(OverdueDays, LateAfterTheMaximumDuration) {
    struct RowCase {
        int row;
        const char* lent;
        QDate today;
        int maximum;
        std::optional<qint64> late;
    };
    const std::vector<RowCase> rows = {
        {1, "20/02/2026", QDate(2026, 3, 7), 15, 0},  // 15 days across February's end
        {2, "19/02/2026", QDate(2026, 3, 7), 15, 1},  // one more
        {3, "15/12/2025", QDate(2026, 1, 5), 15, 6},  // 16 + 5 days across the year's end
        {4, "31/12/2025", QDate(2026, 1, 1), 0, 1},   // New Year's Eve to New Year's Day
        {5, "28/02/2024", QDate(2024, 3, 1), 0, 2},   // a leap year's 29 February
        {6, "7-3-26", QDate(2026, 3, 7), 15, -15},    // lent today, in a short form
        {7, "31/02/2026", QDate(2026, 3, 7), 15, {}}, // no such day
        {8, "", QDate(2026, 3, 7), 15, {}},           {9, "hier", QDate(2026, 3, 7), 15, {}},
    };
    for (const RowCase& r : rows) {
        SCOPED_TRACE(r.row);
        EXPECT_EQ(DaysLate(QString::fromUtf8(r.lent), r.today, r.maximum), r.late);
    }

    // LAVOK.INI's value as read: a whole number of days, else 15.
    const std::vector<std::pair<QString, int>> durations = {
        {"21", 21}, {" 8 ", 8}, {"0", 0}, {"", 15}, {"trois", 15}, {"-3", 15}, {"2,5", 15}};
    for (const auto& [text, days] : durations) {
        TestContext t;
        t.ctx.loanLimits.maxLoanDays = text;
        EXPECT_EQ(MaximumLoanDays(t.ctx), days) << text.toStdString();
    }
}

// Three classes, one with a document out but none late; pupils and members, one of
// each kind unknown; the clock at 7 March 2026.
class OverdueListTest : public ::testing::Test {
  protected:
    OverdueListTest() {
        Row unreadable = lentBook("00010", "Boule", "00043", "école", "??");
        Row lowerCase = lentBook("00004", "Bambi", "00043", "école", "15/02/2026");
        lowerCase["emprunté"] = "o";
        SchoolFolder::insert(
            school.catalogue(), "vok",
            {lentBook("00001", "Le Lion", "00042", "école", "10/02/2026"),
             lentBook("00002", "La Fourmi", "00044", "école", "20/01/2026"),
             lentBook("00003", "Le Loup", "00043", "école", "01/03/2026"), lowerCase,
             lentBook("00005", "Le Chat; le \"Rat\"", "00044", "école", "10/02/2026"),
             lentBook("00006", "Astérix", "00045", "école", "01/01/2026"),
             lentBook("00007", "Atlas", "00099", "école", "01/01/2026"),
             lentBook("00008", "Tintin", "00007", "extérieur", "01/02/2026"),
             lentBook("00009", "Babar", "00077", "EXTÉRIEUR", "03/02/2026"), unreadable,
             book("00011", "Rendu", "N"), book("00012", "Marqué", "I"),
             lentBook("00013", "Récent", "00046", "école", "01/03/2026")});
        // Pupil 00045's book is late too, but he left every class.
        SchoolFolder::insert(school.pupilsFile(), "équipe",
                             {{{"équipenuméro", "10"}, {"équipeinstituteur", "M. Petit"}},
                              {{"équipenuméro", "2"}, {"équipeinstituteur", "Mme Durand"}},
                              {{"équipenuméro", "5"}, {"équipeinstituteur", "Mme Vide"}}});
        SchoolFolder::insert(
            school.pupilsFile(), "enfants",
            {pupil("00042", "Martin", "Léa", "10"), pupil("00043", "Bernard", "Tom", "2"),
             pupil("00044", "Zola", "Éva", "2"), pupil("00045", "Alain", "Max", ""),
             pupil("00046", "Dumas", "Paul", "5")});
        SchoolFolder::insert(school.members(), "membres",
                             {{{"matricule", "00007"}, {"nom", "Dupont"}, {"prénom", "Jean"}}});
        t.ctx.dataFolder = school.data();
        t.ctx.pupilsFolder = school.pupils();
    }
    static Row pupil(const QString& number, const QString& surname, const QString& first,
                     const QString& classNumber) {
        return {{"matricule", number},
                {"nomenfant", surname},
                {"prénomenfant", first},
                {"classe", classNumber}};
    }

    SchoolFolder school;
    TestContext t;
};

// Each group as "heading: inventaire borrower days, ...".
QStringList summary(const OverdueList& list) {
    QStringList groups;
    for (const OverdueGroup& group : list.groups) {
        QStringList lines;
        for (const OverdueLine& line : group.lines)
            lines << line.inventaire + ' ' + line.borrowerName + ' ' + DaysLateText(line);
        groups << group.heading + ": " + lines.join(", ");
    }
    return groups;
}

TEST_F(OverdueListTest, GroupedByClassThenExternalsOnePagePerGroup) {
    const OverdueList list = BuildOverdueList(t.ctx);
    EXPECT_EQ(list.maximumDays, 15) << "no LAVOK.INI";
    // Class 2 before 10; class 5 has no late document; by borrower, then the
    // oldest loan first, an unreadable date last; an unknown number stands
    // for its borrower.
    EXPECT_EQ(summary(list),
              QStringList({"Classe 2 - Mme Durand: 00004 Bernard Tom 5 jours, "
                           "00010 Bernard Tom date illisible, 00002 Zola Éva 31 jours, "
                           "00005 Zola Éva 10 jours",
                           "Classe 10 - M. Petit: 00001 Martin Léa 10 jours",
                           "Élèves sans classe connue: 00007 00099 50 jours, "
                           "00006 Alain Max 50 jours",
                           "Extérieurs: 00009 00077 17 jours, 00008 Dupont Jean 19 jours"}));

    ASSERT_TRUE(PrintOverdueList(t.ctx, list));
    ASSERT_EQ(t.printer.jobs().size(), 1u);
    const PrintedJob& job = t.printer.jobs()[0];
    EXPECT_EQ(job.orientation, Orientation::Portrait);
    // What each sheet prints at the margin: the heading, the date and the
    // duration, the column titles, then the documents' titles.
    std::map<int, QStringList> sheets;
    for (const PrintedItem& item : job.items) {
        if (item.kind == PrintedItem::Kind::Text && std::abs(item.from.x() - kMarginPx) < 1e-6)
            sheets[item.sheet] << item.text;
    }
    EXPECT_EQ(job.sheets, 4);
    const QString dated = "Liste du 07/03/2026 - durée maximale de prêt : 15 jours";
    EXPECT_EQ(sheets[1], QStringList({"Documents en retard - Classe 2 - Mme Durand", dated, "Titre",
                                      "Bambi", "Boule", "La Fourmi", "Le Chat; le \"Rat\""}));
    EXPECT_EQ(sheets[2], QStringList({"Documents en retard - Classe 10 - M. Petit", dated, "Titre",
                                      "Le Lion"}));
    EXPECT_EQ(sheets[3], QStringList({"Documents en retard - Élèves sans classe connue", dated,
                                      "Titre", "Atlas", "Astérix"}));
    EXPECT_EQ(sheets[4],
              QStringList({"Documents en retard - Extérieurs", dated, "Titre", "Babar", "Tintin"}));
    EXPECT_FALSE(t.dialogs.busy);

    // The spreadsheet file, read back.
    const QString path = school.root() + "/retards.csv";
    ASSERT_TRUE(ExportOverdueCsv(t.ctx, list, path));
    EXPECT_EQ(contents(path),
              QByteArray(
                  "\xEF\xBB\xBF"
                  "Classe;Enseignant;Inventaire;Titre;Matricule;Emprunteur;Date d'emprunt;Jours de "
                  "retard\r\n"
                  "2;Mme Durand;00004;Bambi;00043;Bernard Tom;15/02/2026;5\r\n"
                  "2;Mme Durand;00010;Boule;00043;Bernard Tom;??;\r\n"
                  "2;Mme Durand;00002;La Fourmi;00044;Zola Éva;20/01/2026;31\r\n"
                  "2;Mme Durand;00005;\"Le Chat; le \"\"Rat\"\"\";00044;Zola Éva;10/02/2026;10\r\n"
                  "10;M. Petit;00001;Le Lion;00042;Martin Léa;10/02/2026;10\r\n"
                  "Élèves sans classe connue;;00007;Atlas;00099;00099;01/01/2026;50\r\n"
                  "Élèves sans classe connue;;00006;Astérix;00045;Alain Max;01/01/2026;50\r\n"
                  "Extérieurs;;00009;Babar;00077;00077;03/02/2026;17\r\n"
                  "Extérieurs;;00008;Tintin;00007;Dupont Jean;01/02/2026;19\r\n"));
    EXPECT_TRUE(t.dialogs.shown.empty());
    // A folder that is not there: the standard message, and nothing written.
    EXPECT_FALSE(ExportOverdueCsv(t.ctx, list, school.root() + "/absent/retards.csv"));
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(t.dialogs.shown[0].text.startsWith("Le logiciel a rencontré l'erreur : 76"))
        << t.dialogs.shown[0].text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(school.root() + "/absent"));

    // LAVOK.INI's eighth value gives 20 days: Bambi, out 20 days, is in time.
    QFile ini(school.data() + "/LAVOK.INI");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n20\r\n3\r\n5\r\non\r\n");
    ini.close();
    ASSERT_TRUE(LoadSettings(t.ctx));
    const OverdueList longer = BuildOverdueList(t.ctx);
    EXPECT_EQ(longer.maximumDays, 20);
    EXPECT_EQ(summary(longer)[0], "Classe 2 - Mme Durand: 00010 Bernard Tom date illisible, "
                                  "00002 Zola Éva 26 jours, 00005 Zola Éva 5 jours");
}

TEST_F(OverdueListTest, LongClassGoesOnUnderTheSameHeading) {
    std::vector<Row> many;
    for (int i = 100; i < 220; ++i)
        many.push_back(lentBook(QString::number(i).rightJustified(5, '0'), "Livre", "00042",
                                "école", "01/02/2026"));
    SchoolFolder::insert(school.catalogue(), "vok", many);
    ASSERT_TRUE(PrintOverdueList(t.ctx, BuildOverdueList(t.ctx)));
    const PrintedJob& job = t.printer.jobs().at(0);
    QStringList headings;
    int lastSheetOfClass10 = 0;
    for (const PrintedItem& item : job.items) {
        if (item.text.startsWith("Documents en retard"))
            headings << QString::number(item.sheet) + ' ' + item.text;
        if (item.text == "Livre")
            lastSheetOfClass10 = item.sheet;
    }
    ASSERT_GE(lastSheetOfClass10, 3);
    QStringList expected = {"1 Documents en retard - Classe 2 - Mme Durand"};
    expected << "2 Documents en retard - Classe 10 - M. Petit";
    for (int sheet = 3; sheet <= lastSheetOfClass10; ++sheet)
        expected << QString::number(sheet) + " Documents en retard - Classe 10 - M. Petit (suite)";
    expected << QString::number(lastSheetOfClass10 + 1) +
                    " Documents en retard - Élèves sans classe connue"
             << QString::number(lastSheetOfClass10 + 2) + " Documents en retard - Extérieurs";
    EXPECT_EQ(headings, expected);
    // No line runs into the bottom margin, where the printer would cut it itself.
    for (const PrintedItem& item : job.items)
        EXPECT_LT(item.from.y(), 297 / 25.4 * 600 - kMarginPx) << item.text.toStdString();
}

TEST_F(OverdueListTest, WindowShowsPrintsAndExports) {
    const QString path = school.root() + "/export.csv";
    QString offered;
    OverdueWindow window(t.ctx, [&](QWidget*, const QString& suggested) {
        offered = suggested;
        return path;
    });
    window.show();
    auto* list = window.findChild<QTreeWidget*>("List1");
    ASSERT_NE(list, nullptr);
    QStringList headings;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        headings << list->topLevelItem(i)->text(0) + ' ' +
                        QString::number(list->topLevelItem(i)->childCount());
    EXPECT_EQ(headings, QStringList({"Classe 2 - Mme Durand 4", "Classe 10 - M. Petit 1",
                                     "Élèves sans classe connue 2", "Extérieurs 2"}));
    EXPECT_EQ(list->topLevelItem(0)->child(1)->text(3), "date illisible");

    window.findChild<QPushButton*>("SSCommand1")->click();
    ASSERT_EQ(t.printer.jobs().size(), 1u);
    EXPECT_EQ(t.printer.jobs()[0].sheets, 4);

    window.findChild<QPushButton*>("SSCommand2")->click();
    EXPECT_EQ(offered, school.data() + "/retards-2026-03-07.csv");
    EXPECT_EQ(contents(path), OverdueCsv(window.list()));
    EXPECT_TRUE(t.dialogs.shown.empty());
}

} // namespace
