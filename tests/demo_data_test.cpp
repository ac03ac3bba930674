// The demo data creator: the files it makes must look like the companion
// products' (counts, widths, loan states that agree with the borrowers), and
// the same options must give the same rows, since the other tests rely on it.
#include "demo_data.h"
#include "platform/errors.h"
#include "platform/sqlite_db.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace karvel {
namespace {

const QDate kToday(2026, 3, 7);

QString scalar(Database& db, const QString& sql) {
    auto stmt = db.prepare(sql);
    return stmt->step() ? stmt->text(0) : QStringLiteral("<none>");
}

qint64 number(Database& db, const QString& sql) {
    return scalar(db, sql).toLongLong();
}

// Every row of a table, in file order, one text per row.
QStringList rowsOf(const QString& file, const QString& table) {
    Database db(file, Database::Mode::ReadOnly);
    auto stmt = db.prepare(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table));
    QStringList rows;
    while (stmt->step()) {
        QStringList fields;
        for (int c = 0; c < stmt->columnCount(); ++c)
            fields << stmt->text(c);
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}

class DemoDataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        DemoOptions options;
        options.referenceDate = kToday;
        summary = createDemoData(root(), options);
    }

    QString root() const { return dir.path() + QStringLiteral("/ECOLE"); }
    QString data(const QString& name) const { return root() + QStringLiteral("/LAVOK/") + name; }
    QString pupilsFile() const { return root() + QStringLiteral("/LEMAVORI/LEMAVORI.MDB"); }

    // The catalogue with the pupils and members files attached as "p" and "m".
    std::unique_ptr<Database> catalogueWithBorrowers() {
        auto db =
            std::make_unique<Database>(data(QStringLiteral("VOK.MDB")), Database::Mode::ReadOnly);
        for (const auto& [file, alias] :
             {std::pair{pupilsFile(), QStringLiteral("p")},
              std::pair{data(QStringLiteral("MEMBRES.MDB")), QStringLiteral("m")}}) {
            auto attach = db->prepare(QStringLiteral("ATTACH DATABASE ?1 AS ") + alias);
            attach->bind(1, file);
            attach->run();
        }
        return db;
    }

    QTemporaryDir dir;
    DemoSummary summary;
};

TEST_F(DemoDataTest, CreatesTheSchoolWithItsClassesPupilsMembersAndDocuments) {
    Database pupils(pupilsFile(), Database::Mode::ReadOnly);
    EXPECT_EQ(number(pupils, QStringLiteral("SELECT count(*) FROM équipe")), 12);
    EXPECT_EQ(number(pupils, QStringLiteral("SELECT count(*) FROM enfants")), 300);
    EXPECT_EQ(number(pupils, QStringLiteral("SELECT count(*) FROM école")), 1);
    // The loan desk lists a class's pupils by the first two characters of its line.
    EXPECT_EQ(scalar(pupils, QStringLiteral("SELECT group_concat(équipenuméro, ' ') FROM "
                                            "(SELECT équipenuméro FROM équipe ORDER BY 1)")),
              QStringLiteral("01 02 03 04 05 06 07 08 09 10 11 12"));
    EXPECT_EQ(number(pupils, QStringLiteral("SELECT count(*) FROM enfants WHERE classe NOT IN "
                                            "(SELECT équipenuméro FROM équipe)")),
              0);
    EXPECT_EQ(scalar(pupils, QStringLiteral("SELECT min(matricule) || '-' || max(matricule) "
                                            "FROM enfants")),
              QStringLiteral("00001-00300"));

    Database members(data(QStringLiteral("MEMBRES.MDB")), Database::Mode::ReadOnly);
    EXPECT_EQ(number(members, QStringLiteral("SELECT count(*) FROM membres")), 40);
    EXPECT_EQ(number(members, QStringLiteral("SELECT count(*) FROM membres WHERE emprunt = 'N'")),
              1);
    EXPECT_GT(number(members, QStringLiteral("SELECT count(*) FROM membres WHERE emprunt = '0'")),
              0);
    EXPECT_GT(number(members, QStringLiteral("SELECT count(*) FROM extérieurs")), 0);

    Database cotation(data(QStringLiteral("COTATION.MDB")), Database::Mode::ReadOnly);
    EXPECT_GT(number(cotation, QStringLiteral("SELECT count(*) FROM cotation")), 0);

    Database catalogue(data(QStringLiteral("VOK.MDB")), Database::Mode::ReadOnly);
    EXPECT_EQ(number(catalogue, QStringLiteral("SELECT count(*) FROM vok")), 2000);
    EXPECT_EQ(number(catalogue, QStringLiteral("SELECT count(DISTINCT inventaire) FROM vok")),
              2000);
    EXPECT_EQ(number(catalogue, QStringLiteral("SELECT count(*) FROM vok WHERE inventaire NOT GLOB "
                                               "'[0-9][0-9][0-9][0-9][0-9]'")),
              0);
    EXPECT_EQ(scalar(catalogue, QStringLiteral("SELECT min(inventaire) || '-' || max(inventaire) "
                                               "FROM vok")),
              QStringLiteral("00001-02000"));
    EXPECT_EQ(summary.documents, 2000);
    EXPECT_EQ(summary.onLoan,
              number(catalogue, QStringLiteral("SELECT count(*) FROM vok WHERE emprunté = 'O'")));
}

TEST_F(DemoDataTest, LoanStatesAgreeWithTheBorrowersAndTheLimits) {
    auto db = catalogueWithBorrowers();
    EXPECT_GT(number(*db, QStringLiteral("SELECT count(*) FROM vok WHERE emprunté = 'O' AND "
                                         "catégorieemprunteur = 'école'")),
              0);
    EXPECT_GT(number(*db, QStringLiteral("SELECT count(*) FROM vok WHERE emprunté = 'O' AND "
                                         "catégorieemprunteur = 'extérieur'")),
              0);
    // Every document out is held by a pupil or by a member allowed to borrow.
    EXPECT_EQ(
        number(*db, QStringLiteral("SELECT count(*) FROM vok WHERE emprunté = 'O' AND NOT ("
                                   "(catégorieemprunteur = 'école' AND emprunteur IN "
                                   "  (SELECT matricule FROM p.enfants)) OR "
                                   "(catégorieemprunteur = 'extérieur' AND emprunteur IN "
                                   "  (SELECT matricule FROM m.membres WHERE emprunt = '1')))")),
        0);
    // No one over the limits of LAVOK.INI, and some pupils exactly at theirs.
    const QString mostHeld =
        QStringLiteral("SELECT max(n) FROM (SELECT count(*) AS n FROM vok WHERE emprunté = 'O' AND "
                       "catégorieemprunteur = '%1' GROUP BY emprunteur)");
    EXPECT_EQ(number(*db, mostHeld.arg(QStringLiteral("école"))), 2);
    EXPECT_LE(number(*db, mostHeld.arg(QStringLiteral("extérieur"))), 3);
    // Nothing else carries a borrower; reference works are never out.
    EXPECT_EQ(number(*db, QStringLiteral("SELECT count(*) FROM vok WHERE emprunté <> 'O' AND "
                                         "(emprunteur <> '' OR catégorieemprunteur <> '')")),
              0);
    EXPECT_EQ(number(*db, QStringLiteral("SELECT count(*) FROM vok WHERE emprunt = 'N' AND "
                                         "emprunté <> ''")),
              0);
    EXPECT_GT(number(*db, QStringLiteral("SELECT count(*) FROM vok WHERE emprunt = 'N'")), 0);
    EXPECT_GT(number(*db, QStringLiteral("SELECT count(*) FROM vok WHERE emprunté = 'I'")), 0);

    // Loans were made on school days a few days to weeks ago, after the
    // purchase, and count in the number of loans.
    auto loans = db->prepare(QStringLiteral(
        "SELECT inventaire, dateemprunt, dateacquisition, cumul FROM vok WHERE emprunté = 'O'"));
    while (loans->step()) {
        const QString what = loans->text(0);
        const QDate lent = QDate::fromString(loans->text(1), QStringLiteral("dd/MM/yyyy"));
        const QDate bought = QDate::fromString(loans->text(2), QStringLiteral("dd/MM/yyyy"));
        ASSERT_TRUE(lent.isValid()) << what.toStdString();
        EXPECT_GE(lent.daysTo(kToday), 1) << what.toStdString();
        EXPECT_LE(lent.daysTo(kToday), 47) << what.toStdString();
        EXPECT_LE(lent.dayOfWeek(), 5) << what.toStdString();
        EXPECT_LE(bought, lent) << what.toStdString();
        EXPECT_GE(loans->text(3).toInt(), 1) << what.toStdString();
        EXPECT_EQ(loans->text(3).size(), 3) << what.toStdString();
    }
}

// The companion products' columns: a longer value would not fit them.
TEST_F(DemoDataTest, ValuesFitTheCompanionProductsColumns) {
    struct Width {
        const char* file;
        const char* table;
        const char* field;
        int max;
    };
    const Width widths[] = {
        {"VOK.MDB", "vok", "titre", 50},
        {"VOK.MDB", "vok", "auteur", 30},
        {"VOK.MDB", "vok", "éditeur", 30},
        {"VOK.MDB", "vok", "dewey", 3},
        {"VOK.MDB", "vok", "casier", 15},
        {"VOK.MDB", "vok", "ISBN", 20},
        {"VOK.MDB", "vok", "prix", 8},
        {"VOK.MDB", "vok", "cumul", 3},
        {"VOK.MDB", "vok", "emprunt", 1},
        {"LEMAVORI", "enfants", "nomenfant", 20},
        {"LEMAVORI", "enfants", "prénomenfant", 20},
        {"LEMAVORI", "enfants", "classe", 4},
        {"LEMAVORI", "enfants", "niveau", 5},
        {"LEMAVORI", "enfants", "cycle", 1},
        {"LEMAVORI", "équipe", "équipeniveau", 10},
        {"LEMAVORI", "équipe", "équipeinstituteur", 40},
        {"MEMBRES.MDB", "membres", "nom", 20},
        {"MEMBRES.MDB", "membres", "prénom", 20},
        {"MEMBRES.MDB", "membres", "adresse", 30},
        {"MEMBRES.MDB", "membres", "codepostal", 5},
        {"MEMBRES.MDB", "membres", "ville", 20},
        {"MEMBRES.MDB", "membres", "téléphone", 15},
        {"MEMBRES.MDB", "membres", "adhésion", 15},
        {"MEMBRES.MDB", "membres", "observations", 50},
    };
    for (const Width& w : widths) {
        const QString file = QLatin1String(w.file) == QLatin1String("LEMAVORI")
                                 ? pupilsFile()
                                 : data(QString::fromUtf8(w.file));
        Database db(file, Database::Mode::ReadOnly);
        EXPECT_LE(number(db, QStringLiteral("SELECT max(length(\"%1\")) FROM \"%2\"")
                                 .arg(QString::fromUtf8(w.field), QString::fromUtf8(w.table))),
                  w.max)
            << w.table << "." << w.field;
    }
}

TEST_F(DemoDataTest, WritesElevenSettingsAndTheTwoHelpDocuments) {
    QFile ini(data(QStringLiteral("LAVOK.INI")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray bytes = ini.readAll();
    QList<QByteArray> lines = bytes.split('\n');
    ASSERT_TRUE(lines.last().isEmpty()) << "the last line has no line end";
    lines.removeLast();
    ASSERT_EQ(lines.size(), 11);
    QStringList values;
    for (const QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith('\r'));
        values << QString::fromUtf8(line.chopped(1)).remove(QLatin1Char('"'));
    }
    EXPECT_EQ(values.mid(7), (QStringList{"15", "2", "3", "ON"}));
    EXPECT_EQ(values[0], QStringLiteral("École primaire des Tilleuls"));

    for (const QString& name : {QStringLiteral("helpkv.rtf"), QStringLiteral("karvel.rtf")}) {
        QFile file(data(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray rtf = file.readAll();
        EXPECT_EQ(rtf, helpDocument(name));
        EXPECT_TRUE(rtf.startsWith("{\\rtf1")) << name.toStdString();
        EXPECT_GT(rtf.size(), 4000) << name.toStdString();
        // Plain ASCII with balanced groups: accents are escaped, so any
        // reader of rich text shows them, whatever its code page.
        int depth = 0;
        for (const char c : rtf) {
            ASSERT_LT(static_cast<unsigned char>(c), 0x80) << name.toStdString();
            depth += (c == '{') - (c == '}');
            ASSERT_GE(depth, 0) << name.toStdString();
        }
        EXPECT_EQ(depth, 0) << name.toStdString();
        EXPECT_TRUE(rtf.contains("\\'e9")) << name.toStdString();
    }
}

TEST_F(DemoDataTest, SameOptionsGiveTheSameRows) {
    QTemporaryDir other;
    DemoOptions options;
    options.referenceDate = kToday;
    createDemoData(other.path(), options);
    const auto files = {
        std::pair{QStringLiteral("/LAVOK/VOK.MDB"), QStringLiteral("vok")},
        std::pair{QStringLiteral("/LAVOK/MEMBRES.MDB"), QStringLiteral("membres")},
        std::pair{QStringLiteral("/LEMAVORI/LEMAVORI.MDB"), QStringLiteral("enfants")},
        std::pair{QStringLiteral("/LEMAVORI/LEMAVORI.MDB"), QStringLiteral("équipe")}};
    for (const auto& [file, table] : files)
        EXPECT_EQ(rowsOf(root() + file, table), rowsOf(other.path() + file, table))
            << table.toStdString();

    // A smaller catalogue leaves the pupils as they were.
    QTemporaryDir small;
    options.documents = 50;
    EXPECT_EQ(createDemoData(small.path(), options).documents, 50);
    EXPECT_EQ(rowsOf(small.path() + QStringLiteral("/LAVOK/VOK.MDB"), QStringLiteral("vok")).size(),
              50);
    EXPECT_EQ(
        rowsOf(small.path() + QStringLiteral("/LEMAVORI/LEMAVORI.MDB"), QStringLiteral("enfants")),
        rowsOf(pupilsFile(), QStringLiteral("enfants")));
}

TEST(DemoDataRefusal, NeverReplacesAnExistingDatabaseFile) {
    QTemporaryDir dir;
    // Files copied from Windows may have any letter case.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("LEMAVORI")));
    QFile existing(dir.path() + QStringLiteral("/LEMAVORI/lemavori.mdb"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("the school's own pupils");
    existing.close();

    try {
        createDemoData(dir.path(), DemoOptions{});
        FAIL() << "an existing pupils file was replaced";
    } catch (const KarvelError& error) {
        EXPECT_EQ(error.number(), ErrFileExists);
        EXPECT_TRUE(error.description().contains(QStringLiteral("existe déjà")));
    }
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("the school's own pupils"));
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/LAVOK/VOK.MDB")));
}

} // namespace
} // namespace karvel
