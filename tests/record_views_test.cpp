// Record views on real SQLite files: lookups, walks, searches, saves that keep other
// programs' changes, case rules, the loan-duration caption, and the errors of
// missing, foreign and damaged files.

#include "data/numbering.h"
#include "platform/search_fold.h"
#include "platform/sqlite_db.h"
#include "test_data.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace karvel;
using namespace karvel::test;

namespace {

Row document(const QString& number, const QString& title, const QString& state = "N",
             const QString& date = QString()) {
    return {{"inventaire", number}, {"titre", title},      {"emprunt", "O"},
            {"emprunté", state},    {"dateemprunt", date}, {"cumul", "007"}};
}

class RecordViewsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SchoolFolder::insert(school.catalogue(), "vok",
                             {document("00042", "Le Petit Prince"), document("00007", "Tintin"),
                              document("C-123", "Sans numéro"), document("00100", "Astérix")});
    }
    DocumentView& view() {
        DocumentView& v = t.ctx.views.documentsView;
        v.bind(school.catalogue());
        return v;
    }
    SchoolFolder school;
    TestContext t;
};

TEST_F(RecordViewsTest, FindsWalksAndCountsTheResult) {
    DocumentView& v = view();
    v.query(Queries::documentByNumber("00042"));
    ASSERT_FALSE(v.isEmpty());
    EXPECT_EQ(v.field("titre"), "Le Petit Prince");
    EXPECT_EQ(v.field("TITRE"), "Le Petit Prince") << "field names ignore case";

    v.query(Queries::documentByNumber("99999"));
    EXPECT_TRUE(v.isEmpty());
    EXPECT_TRUE(v.isEOF());
    EXPECT_TRUE(v.isBOF());

    v.query(Queries::allDocuments());
    QStringList order;
    for (; !v.isEOF(); v.moveNext())
        order << v.field("inventaire");
    EXPECT_EQ(order, QStringList({"00007", "00042", "00100", "C-123"}));
    v.moveLast();
    EXPECT_EQ(v.recordCount(), 4);
    EXPECT_EQ(v.field("inventaire"), "C-123");
}

// Opened as start-up opens it, a view reads one record; the first move or
// count reads the rest, as the file then stands, from the record stood on.
TEST_F(RecordViewsTest, OpenedWithoutWalkingUntilAMoveNeedsTheRest) {
    DocumentView& v = view();
    v.setRecordSource(Queries::allDocuments());
    v.refreshUnwalked(RecordView::Stand::Last);
    EXPECT_EQ(v.field("inventaire"), "C-123");
    EXPECT_FALSE(v.isEOF());
    SchoolFolder::insert(school.catalogue(), "vok", {document("D-001", "Ajouté après")});
    v.moveNext();
    EXPECT_EQ(v.field("inventaire"), "D-001") << "the walk starts from the record stood on";
    EXPECT_EQ(v.recordCount(), 5);

    v.refreshUnwalked(RecordView::Stand::First);
    EXPECT_EQ(v.field("inventaire"), "00007");
    Database(school.catalogue()).exec("DELETE FROM vok WHERE inventaire = '00007'");
    EXPECT_EQ(v.recordCount(), 4);
    EXPECT_EQ(v.field("inventaire"), "00042") << "the record stood on is gone: the first one";

    // A record source with no backward form is walked to its last record.
    v.setRecordSource(Queries::table("vok"));
    v.refreshUnwalked(RecordView::Stand::Last);
    EXPECT_EQ(v.field("inventaire"), "D-001");
    v.setRecordSource(Queries::documentByNumber("nothing"));
    v.refreshUnwalked(RecordView::Stand::First);
    EXPECT_TRUE(v.isEmpty());
    EXPECT_EQ(v.recordCount(), 0);
}

// A search finds a text anywhere in a title or an author, case, accents and
// ligatures aside, in inventory order.
TEST_F(RecordViewsTest, DocumentsMatchingATitleOrAnAuthor) {
    Database other(school.catalogue());
    other.exec("UPDATE vok SET auteur = 'HERGÉ' WHERE inventaire = '00007'");
    other.exec("UPDATE vok SET auteur = 'Cœur Éloïse' WHERE inventaire = '00100'");
    struct Case {
        int row;
        const char* search;
        QStringList found;
    };
    const Case cases[] = {
        {1, "herge", {"00007"}},                        // author, accent and case aside
        {2, "PETIT", {"00042"}},                        // title
        {3, "coeur", {"00100"}},                        // a ligature written out
        {4, "ÉLOÏSE", {"00100"}},                       //
        {5, "e", {"00007", "00042", "00100", "C-123"}}, // inventory order
        {6, "%", {}},                                   // no wildcard
        {7, "x p", {}},                                 //
    };
    DocumentView& v = view();
    for (const Case& c : cases) {
        v.query(Queries::documentsMatching(c.search));
        QStringList found;
        for (; !v.isEOF(); v.moveNext())
            found << v.field("inventaire");
        EXPECT_EQ(found, c.found) << "row " << c.row;
    }
}

TEST(SearchFold, CaseAccentsAndLigatures) {
    struct Case {
        int row;
        std::string text;
        std::string folded;
    };
    const Case cases[] = {
        {1, "Éléphant", "elephant"},
        {2, "CŒUR À l'ÆTHER", "coeur a l'aether"},
        {3, "Straße", "strasse"},
        {4, "ÇÀ ÑÜ ÿ Ÿ", "ca nu y y"},     // Ÿ is past Latin-1
        {5, "ΑΘΗΝΑ", "αθηνα"},             // past the Latin table: case only
        {6, "a\xff\xc3(b", "a\xff\xc3(b"}, // bytes that are not UTF-8 are kept
        {7, "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(foldForSearch(std::string_view(c.text)), c.folded) << "row " << c.row;
    EXPECT_EQ(foldForSearch(QStringLiteral("Noël")), QStringLiteral("noel"));
}

// A view reads every field as the file holds it now: a file that stores its
// texts in UTF-16, an empty text apart from a missing one, and a column that
// another program renamed while the view stayed open.
TEST_F(RecordViewsTest, FieldsAsTheFileNowHoldsThem) {
    const QString wide = school.data() + "/WIDE.MDB";
    {
        Database db(wide, Database::Mode::Create);
        db.exec("PRAGMA encoding = 'UTF-16le'");
        db.exec("CREATE TABLE membres (matricule TEXT, nom TEXT, prénom TEXT)");
        db.exec("INSERT INTO membres VALUES ('00001', 'Lefèvre', NULL), ('00002', '', 'Zoé')");
    }
    RecordView& members = t.ctx.views.membersView;
    members.bind(wide);
    members.query(Queries::allMembers());
    EXPECT_EQ(members.field("nom"), "Lefèvre");
    EXPECT_TRUE(members.field("prénom").isNull());
    members.moveNext();
    EXPECT_EQ(members.field("prénom"), "Zoé");
    EXPECT_FALSE(members.field("nom").isNull()) << "an empty text is not a missing one";

    DocumentView& v = view();
    v.query(Queries::documentByNumber("00042"));
    Database(school.catalogue()).exec("ALTER TABLE vok RENAME COLUMN titre TO intitulé");
    v.query(Queries::documentByNumber("00007"));
    EXPECT_EQ(v.field("intitulé"), "Tintin");
    EXPECT_THROW(v.field("titre"), KarvelError);
}

TEST_F(RecordViewsTest, KeysAndCodesIgnoreLetterCase) {
    DocumentView& v = view();
    v.query(Queries::documentByNumber("c-123"));
    EXPECT_FALSE(v.isEmpty());

    SchoolFolder::insert(school.catalogue(), "vok",
                         {{{"inventaire", "00300"},
                           {"emprunté", "o"},
                           {"emprunteur", "00012"},
                           {"catégorieemprunteur", "ÉCOLE"}},
                          {{"inventaire", "00301"},
                           {"emprunté", "O"},
                           {"emprunteur", "00012"},
                           {"catégorieemprunteur", "extérieur"}}});
    v.query(Queries::currentLoans("école", "00012"));
    v.moveLast();
    EXPECT_EQ(v.recordCount(), 1) << "a pupil's count leaves out a member with the same number";
}

TEST_F(RecordViewsTest, ValuesWithQuotesAreDataNotQueryText) {
    DocumentView& v = view();
    for (const QString& hostile : {QString("00042' OR '1'='1"), QString("DOC-1' OR '1'='1"),
                                   QString("'; DROP TABLE vok; --"), QString("%"), QString("_")}) {
        v.query(Queries::documentByNumber(hostile));
        EXPECT_TRUE(v.isEmpty()) << hostile.toStdString();
    }
    v.query(Queries::allDocuments());
    v.moveLast();
    EXPECT_EQ(v.recordCount(), 4);
}

TEST_F(RecordViewsTest, SavingWritesOnlyTheFieldsWritten) {
    DocumentView& v = view();
    v.query(Queries::documentByNumber("00042"));
    // Another program renames the document while the desk holds it.
    {
        Database other(school.catalogue());
        other.exec("UPDATE vok SET titre = 'Titre corrigé' WHERE inventaire = '00042'");
    }
    v.setField("emprunté", "O");
    v.setField("emprunteur", "00012");
    v.save();
    EXPECT_EQ(v.field("titre"), "Titre corrigé") << "the saved record is read again";
    EXPECT_EQ(SchoolFolder::value(school.catalogue(), "vok", "inventaire", "00042", "titre"),
              "Titre corrigé");
    EXPECT_EQ(SchoolFolder::value(school.catalogue(), "vok", "inventaire", "00042", "emprunteur"),
              "00012");
    EXPECT_EQ(SchoolFolder::value(school.catalogue(), "vok", "inventaire", "00007", "emprunteur"),
              "")
        << "no other record changes";
}

TEST_F(RecordViewsTest, SavingARecordDeletedMeanwhileIsAnError) {
    DocumentView& v = view();
    v.query(Queries::documentByNumber("00042"));
    Database(school.catalogue()).exec("DELETE FROM vok WHERE inventaire = '00042'");
    v.setField("emprunté", "O");
    try {
        v.save();
        FAIL() << "no error";
    } catch (const KarvelError& error) {
        EXPECT_EQ(error.number(), ErrRecordDeleted);
    }
}

// A change decided on the record as read is saved onto that record only.
TEST_F(RecordViewsTest, SavingOntoTheRecordAsItWasRead) {
    DocumentView& v = view();
    Database other(school.catalogue());
    other.exec("UPDATE vok SET emprunté = 'n' WHERE inventaire = '00042'");
    v.query(Queries::documentByNumber("00042"));
    RecordView::FieldTexts decided = v.loanState();
    EXPECT_EQ(decided, RecordView::FieldTexts({{"emprunté", "N"},
                                               {"emprunteur", ""},
                                               {"catégorieemprunteur", ""},
                                               {"cumul", "007"}}));
    // Another program renames it: not what the decision read.
    other.exec("UPDATE vok SET titre = 'Titre corrigé' WHERE inventaire = '00042'");
    v.setField("emprunté", "O");
    v.setField("emprunteur", "00012");
    EXPECT_TRUE(v.saveOnto(decided)) << "\"n\" in the file is the \"N\" read";
    EXPECT_EQ(v.field("titre"), "Titre corrigé");
    EXPECT_EQ(SchoolFolder::value(school.catalogue(), "vok", "inventaire", "00042", "emprunteur"),
              "00012");

    // Lent elsewhere, then taken back: the same state, one loan more.
    for (const char* change : {"UPDATE vok SET emprunteur = '00013' WHERE inventaire = '00042'",
                               "UPDATE vok SET cumul = '008' WHERE inventaire = '00042'"}) {
        v.query(Queries::documentByNumber("00042"));
        decided = v.loanState();
        other.exec(change);
        v.setField("emprunté", "N");
        v.setField("emprunteur", "");
        EXPECT_FALSE(v.saveOnto(decided)) << change;
        EXPECT_EQ(SchoolFolder::value(school.catalogue(), "vok", "inventaire", "00042", "emprunté"),
                  "O")
            << "nothing saved";
        EXPECT_EQ(v.field("emprunté"), "O") << "the view shows the record as it now stands";
        EXPECT_NE(v.field("emprunteur"), "");
    }
    EXPECT_EQ(v.field("emprunteur"), "00013");

    Database(school.catalogue()).exec("DELETE FROM vok WHERE inventaire = '00042'");
    v.setField("emprunté", "N");
    try {
        v.saveOnto(v.loanState());
        FAIL() << "no error";
    } catch (const KarvelError& error) {
        EXPECT_EQ(error.number(), ErrRecordDeleted);
    }
}

TEST_F(RecordViewsTest, LoanDurationCaption) {
    // The clock says 7 March 2026.
    SchoolFolder::insert(school.catalogue(), "vok",
                         {document("00200", "Aujourd'hui", "O", "07/03/2026"),
                          document("00201", "Hier", "O", "06/03/2026"),
                          document("00202", "Douze jours", "O", "23/02/2026"),
                          document("00203", "Minuscule", "o", "01/03/2026"),
                          document("00204", "Rendu", "N", "01/03/2026"),
                          document("00205", "Inventorié", "i", "01/03/2026"),
                          document("00206", "Vide", "", "01/03/2026"),
                          document("00207", "Futur", "O", "10/03/2026")});
    DocumentView& v = view();
    const auto captionOf = [&](const QString& number) {
        v.query(Queries::documentByNumber(number));
        return v.caption();
    };
    EXPECT_EQ(captionOf("00200"), "0 jour");
    EXPECT_EQ(captionOf("00201"), "1 jour");
    EXPECT_EQ(captionOf("00202"), "12 jours");
    EXPECT_EQ(captionOf("00204"), "");
    EXPECT_EQ(captionOf("00203"), "6 jours");
    EXPECT_EQ(v.field("emprunté"), "O") << "a lower-case code is held in upper case";
    EXPECT_EQ(captionOf("00205"), "");
    EXPECT_EQ(v.field("emprunté"), "I");
    EXPECT_EQ(captionOf("00202"), "12 jours");
    EXPECT_EQ(captionOf("00206"), "");
    EXPECT_EQ(captionOf("00207"), "-3 jour");

    // The upper-cased code reaches the file with the next save only.
    v.query(Queries::documentByNumber("00203"));
    EXPECT_EQ(SchoolFolder::value(school.catalogue(), "vok", "inventaire", "00203", "emprunté"),
              "o");
    v.save();
    EXPECT_EQ(SchoolFolder::value(school.catalogue(), "vok", "inventaire", "00203", "emprunté"),
              "O");

    // Written fields follow the same rules: a return empties the caption.
    v.query(Queries::documentByNumber("00202"));
    v.setField("emprunté", "N");
    EXPECT_EQ(v.caption(), "");
    v.setField("emprunté", "O");
    v.setField("dateemprunt", "pas une date");
    EXPECT_EQ(v.caption(), "12 jours") << "a text that is no date keeps the caption";
}

TEST(RecordViewFiles, MissingForeignAndDamagedFiles) {
    SchoolFolder school;
    TestContext t;
    RecordView& view = t.ctx.views.membersView;
    const auto errorOf = [&](const QString& path) {
        view.bind(path);
        view.setRecordSource(Queries::allMembers());
        try {
            view.refresh();
        } catch (const KarvelError& error) {
            return error.number();
        }
        return 0;
    };
    EXPECT_EQ(errorOf(school.data() + "/ABSENT.MDB"), ErrDatabaseNotFound);

    const QString garbage = school.data() + "/GARBAGE.MDB";
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'x'));
    file.close();
    EXPECT_EQ(errorOf(garbage), ErrDatabaseDamaged);

    const QString jet = school.data() + "/JET.MDB";
    QByteArray jetBytes(4096, '\0');
    jetBytes.replace(4, 15, "Standard Jet DB");
    QFile jetFile(jet);
    ASSERT_TRUE(jetFile.open(QIODevice::WriteOnly));
    jetFile.write(jetBytes);
    jetFile.close();
    EXPECT_EQ(errorOf(jet), ErrUnrecognisedFormat);
    QFile again(jet);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), jetBytes) << "a Jet file is never touched";

    RecordView never("équipepédago", "Donnée9");
    EXPECT_THROW(never.close(), KarvelError) << "closing a link never opened fails";
}

} // namespace

TEST(NextFreeNumber, FollowsTheLargestFiveDigitKeyAndStopsAt99999) {
    SchoolFolder school;
    Database db(school.catalogue());
    // 1. In an empty table the first number is 00001.
    EXPECT_EQ(NextFreeNumber(db, "vok", "inventaire"), "00001");
    // 2. A gap below the largest is not offered; keys of another form are ignored.
    SchoolFolder::insert(school.catalogue(), "vok",
                         {document("00002", "a"), document("00040", "b"), document("C-123", "c"),
                          document("123456", "d")});
    EXPECT_EQ(NextFreeNumber(db, "vok", "inventaire"), "00041");
    // 3. Once 99999 is taken there is none.
    SchoolFolder::insert(school.catalogue(), "vok", {document("99999", "e")});
    EXPECT_EQ(NextFreeNumber(db, "vok", "inventaire"), std::nullopt);
}
