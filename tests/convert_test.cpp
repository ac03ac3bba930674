// karvel-convert: what one Jet file becomes, checked against libmdb's own
// catalogue on the Jet 3, Jet 4 and ACE samples of the shared fixtures, and
// what the tool does to a school's folders, finished, refused or killed.

#include "convert_file.h"
#include "convert_folder.h"
#include "data/error_report.h"
#include "jet_text.h"
#include "platform/sqlite_db.h"
#include "schema.h"
#include "test_data.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <linux/capability.h>
#include <random>
#include <sys/prctl.h>
#include <unistd.h>

#include <glib.h>
#include <mdbtools.h>

using namespace karvel;
using namespace karvel::convert;
using namespace karvel::test;

namespace {

const QString kSamples = QStringLiteral(KARVEL_JET_SAMPLES);
const QString kTool = QStringLiteral(KARVEL_CONVERT_TOOL);
const QStringList kSampleNames = {"nwind.mdb", "DateTestDatabase.mdb", "ASampleDatabase.accdb"};

QString sample(const QString& name) {
    return kSamples + '/' + name;
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

// The samples are read-only; a copy the tool may rename and replace must not be.
void copySample(const QString& name, const QString& to) {
    QFile::remove(to);
    ASSERT_TRUE(QFile::copy(sample(name), to)) << to.toStdString();
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                  QFile::ReadOther);
}

struct CatalogueTable {
    QString name;
    QStringList columns;
    qint64 rows = 0;
    bool operator==(const CatalogueTable&) const = default;
};
void PrintTo(const CatalogueTable& t, std::ostream* os) {
    *os << t.name.toStdString() << " (" << t.columns.join(",").toStdString() << ") " << t.rows;
}

// What libmdb's catalogue says of a Jet file, read here apart from the
// converter: each user table, its columns, and the row count of its definition.
std::vector<CatalogueTable> jetCatalogue(const QString& path) {
    std::vector<CatalogueTable> tables;
    MdbHandle* mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb)
        return tables;
    mdb_read_catalog(mdb, MDB_TABLE);
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (!mdb_is_user_table(entry))
            continue;
        MdbTableDef* table = mdb_read_table(entry);
        mdb_read_columns(table);
        CatalogueTable t{QString::fromUtf8(entry->object_name), {}, qint64(table->num_rows)};
        for (unsigned c = 0; c < table->num_cols; ++c)
            t.columns << QString::fromUtf8(
                static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c))->name);
        tables.push_back(t);
        mdb_free_tabledef(table);
    }
    mdb_close(mdb);
    return tables;
}

std::vector<CatalogueTable> karvelCatalogue(const QString& path) {
    Database db(path, Database::Mode::ReadOnly);
    std::vector<CatalogueTable> tables;
    auto list = db.prepare("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid");
    while (list->step())
        tables.push_back({list->text(0), {}, 0});
    for (CatalogueTable& t : tables) {
        auto columns = db.prepare("SELECT name FROM pragma_table_info(?1) ORDER BY cid");
        columns->bind(1, t.name);
        while (columns->step())
            t.columns << columns->text(0);
        auto count = db.prepare("SELECT count(*) FROM \"" + t.name + '"');
        count->step();
        t.rows = count->integer(0);
    }
    return tables;
}

// One value of a KarVel file, NULL as nullopt.
std::optional<QString> cell(const QString& path, const QString& table, const QString& keyField,
                            const QString& key, const QString& field) {
    Database db(path, Database::Mode::ReadOnly);
    auto stmt = db.prepare("SELECT \"" + field + "\" FROM \"" + table + "\" WHERE \"" + keyField +
                           "\" = ?1");
    stmt->bind(1, key);
    if (!stmt->step())
        return QStringLiteral("<no row>");
    if (stmt->isNull(0))
        return std::nullopt;
    return stmt->text(0);
}

class JetSamples : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const QString& name : kSampleNames) {
            if (!QFileInfo::exists(sample(name)))
                GTEST_SKIP() << "Jet sample " << name.toStdString() << " not found in "
                             << kSamples.toStdString() << ": the conversion tests are skipped.";
        }
    }
    QString converted(const QString& name) {
        const QString out = dir.path() + '/' + name + ".karvel";
        if (!QFileInfo::exists(out))
            reports[name] = convertJetFile(sample(name), out);
        return out;
    }
    QTemporaryDir dir;
    std::map<QString, ConversionReport> reports;
};

TEST_F(JetSamples, EachSampleKeepsItsTablesColumnsAndRowCounts) {
    // Figures of mdb-tables and mdb-count (mdbtools 1.0) on the samples.
    struct Expected {
        QString name;
        QString format;
        size_t tables;
        qint64 rows;
    };
    const std::vector<Expected> expected = {
        // Order Details 2155 + Orders 830 + Products 77 + Shippers 3 + Categories 8
        // + Customers 91 + Employees 9 + Suppliers 29 + Umsätze 830
        {"nwind.mdb", "Jet 3", 9, 4032},
        {"DateTestDatabase.mdb", "Jet 4", 1, 6},
        {"ASampleDatabase.accdb", "ACE 12 (Access 2007)", 1, 65},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name.toStdString());
        const std::vector<CatalogueTable> jet = jetCatalogue(sample(e.name));
        const std::vector<CatalogueTable> karvel = karvelCatalogue(converted(e.name));
        EXPECT_EQ(karvel, jet);
        ASSERT_EQ(karvel.size(), e.tables);
        qint64 rows = 0;
        for (const CatalogueTable& t : karvel)
            rows += t.rows;
        EXPECT_EQ(rows, e.rows);

        const ConversionReport& report = reports[e.name];
        EXPECT_EQ(report.format, e.format);
        ASSERT_EQ(report.tables.size(), e.tables);
        for (size_t i = 0; i < jet.size(); ++i) {
            EXPECT_EQ(report.tables[i].rowsRead, jet[i].rows) << jet[i].name.toStdString();
            EXPECT_EQ(report.tables[i].rowsWritten, jet[i].rows);
            EXPECT_FALSE(report.tables[i].keyed) << "no KarVel table in the samples";
        }
        Database db(converted(e.name), Database::Mode::ReadOnly);
        EXPECT_EQ(db.integrityCheck(), "ok");
    }
}

TEST_F(JetSamples, ValuesBecomeTheTextsKarvelReads) {
    const QString nwind = converted("nwind.mdb");
    EXPECT_EQ(karvelCatalogue(nwind).back().name, "Umsätze") << "the name keeps its umlaut";
    EXPECT_EQ(cell(nwind, "Orders", "OrderID", "10330", "OrderDate"), "16/11/1994");
    EXPECT_EQ(cell(nwind, "Umsätze", "OrderID", "10330", "Freight"), "12.75") << "Currency";
    EXPECT_EQ(cell(nwind, "Employees", "EmployeeID", "1", "BirthDate"), "08/12/1948");
    EXPECT_EQ(cell(nwind, "Customers", "CustomerID", "BLONP", "CompanyName"),
              "Blondel père et fils")
        << "Jet 3 text from Windows-1252";
    EXPECT_EQ(cell(nwind, "Customers", "CustomerID", "ALFKI", "Region"), std::nullopt);
    EXPECT_EQ(cell(nwind, "Products", "ProductID", "5", "Discontinued"), "1") << "Yes/No";
    EXPECT_EQ(cell(nwind, "Products", "ProductID", "1", "Discontinued"), "0");
    EXPECT_EQ(cell(nwind, "Products", "ProductID", "1", "UnitsInStock"), "39");
    Database db(nwind, Database::Mode::ReadOnly);
    auto discount = db.prepare("SELECT Discount FROM \"Order Details\" WHERE OrderID = '10251' "
                               "AND ProductID = '22'");
    ASSERT_TRUE(discount->step());
    EXPECT_EQ(discount->text(0), "0.05") << "a single-precision number, as written";
    EXPECT_TRUE(cell(nwind, "Employees", "EmployeeID", "1", "Notes")
                    ->endsWith("Nancy is a member of Toastmasters International."))
        << "memo read in full";
    EXPECT_TRUE(cell(nwind, "Categories", "CategoryID", "1", "Picture")->startsWith("0x151c2f00"))
        << "an OLE object as hexadecimal text";

    // Dates before 1900 and up to 9999, which mdbtools' own export gets wrong.
    const QString dates = converted("DateTestDatabase.mdb");
    EXPECT_EQ(cell(dates, "DateTest", "IDCol", "1", "DateCol"), "02/12/2021");
    EXPECT_EQ(cell(dates, "DateTest", "IDCol", "2", "DateCol"), "01/01/9999");
    EXPECT_EQ(cell(dates, "DateTest", "IDCol", "3", "DateTimeCol"), "01/01/1898");
    EXPECT_EQ(cell(dates, "DateTest", "IDCol", "4", "TimeCol"), "01/01/0634");
    EXPECT_TRUE(cell(dates, "DateTest", "IDCol", "6", "LongTextCol")->contains('\n'));

    const QString assets = converted("ASampleDatabase.accdb");
    EXPECT_EQ(cell(assets, "Asset Items", "Asset No", "30050", "Cost"), "1995.5");
    EXPECT_EQ(cell(assets, "Asset Items", "Asset No", "30051", "Cost"), "2450");
    EXPECT_EQ(cell(assets, "Asset Items", "Asset No", "30050", "Acquired"), "02/09/1997");
    EXPECT_EQ(cell(assets, "Asset Items", "Asset No", "30050", "Comments"), std::nullopt);
}

TEST(JetText, DatesEitherSideOf1899AndNumbers) {
    struct Row {
        double value;
        const char* text;
    };
    // Day 0 is 30/12/1899; before it the day counts back while the time runs forward.
    const std::vector<Row> dates = {
        {0.0, "30/12/1899"},
        {1.5, "31/12/1899 12:00:00"},
        {-1.25, "29/12/1899 06:00:00"},
        {-0.5, "30/12/1899 12:00:00"},
        {44532.9999999, "03/12/2021"}, // 23:59:59.99 rounds to the next midnight
        {2958465.0, "31/12/9999"},
        {-657434.0, "01/01/0100"},
    };
    for (const Row& row : dates)
        EXPECT_EQ(jetDateText(row.value), row.text) << row.value;
    EXPECT_EQ(numberText(1200000.0), "1200000") << "no exponent, no separator";
    EXPECT_EQ(numberText(0.1), "0.1");
    EXPECT_EQ(numberText(0.05f), "0.05");
    EXPECT_EQ(moneyText(19955000), "1995.5");
    EXPECT_EQ(moneyText(-1), "-0.0001");
    EXPECT_EQ(moneyText(0), "0");
}

// A source made of rows in memory, for the tables of KarVel no sample holds.
class MemorySource : public TableSource {
  public:
    void add(const QString& name, const QStringList& columns, std::vector<RowValues> rows) {
        tables_.push_back({name, columns, qint64(rows.size())});
        rows_.push_back(std::move(rows));
    }
    const std::vector<SourceTable>& tables() const override { return tables_; }
    qint64 readRows(size_t table, const RowSink& sink) override {
        for (const RowValues& row : rows_[table])
            sink(row);
        return qint64(rows_[table].size());
    }

  private:
    std::vector<SourceTable> tables_;
    std::vector<std::vector<RowValues>> rows_;
};

// The catalogue's fields as another program may spell them, and one more.
QStringList catalogueColumnsInCapitals() {
    QStringList columns;
    for (const QString& field : schema::catalogue().fields)
        columns << field.toUpper();
    return columns << "REMARQUE";
}

RowValues documentRow(const std::optional<QString>& inventaire,
                      const std::optional<QString>& titre) {
    RowValues row(schema::catalogue().fields.size() + 1);
    row[0] = inventaire;
    row[1] = titre;
    return row;
}

TEST(KarvelTables, KnownTablesTakeKarvelsSpellingKeysAndIndexes) {
    QTemporaryDir dir;
    MemorySource source;
    source.add("VOK", catalogueColumnsInCapitals(),
               {documentRow("00001", "Le Horla"), documentRow("00002", ""),
                documentRow("00003", std::nullopt)});
    const QString out = dir.path() + "/VOK.MDB";
    const ConversionReport report = writeKarvelDatabase(source, out);
    ASSERT_EQ(report.tables.size(), 1u);
    EXPECT_TRUE(report.tables[0].keyed);
    EXPECT_EQ(report.tables[0].name, "vok");
    EXPECT_EQ(karvelCatalogue(out)[0].columns, schema::catalogue().fields + QStringList{"REMARQUE"})
        << "ÉDITEUR answers as éditeur only under KarVel's spelling";

    Database db(out, Database::Mode::ReadOnly);
    QStringList indexes;
    auto stmt = db.prepare("SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name");
    while (stmt->step())
        indexes << stmt->text(0);
    EXPECT_EQ(indexes, QStringList({"vok_emprunteur", "vok_inventaire"}));
    EXPECT_EQ(cell(out, "vok", "inventaire", "00002", "titre"), "") << "empty stays empty";
    EXPECT_EQ(cell(out, "vok", "inventaire", "00003", "titre"), std::nullopt) << "NULL stays NULL";
}

TEST(KarvelTables, DuplicateKeysAreNamedAndNothingIsLeft) {
    QTemporaryDir dir;
    MemorySource source;
    source.add("vok", catalogueColumnsInCapitals(),
               {documentRow("00012", "A"), documentRow("00013", "B"), documentRow("00012", "C"),
                documentRow(std::nullopt, "D"), documentRow(std::nullopt, "E")});
    const QString out = dir.path() + "/VOK.MDB";
    try {
        writeKarvelDatabase(source, out);
        FAIL() << "duplicates accepted";
    } catch (const KarvelError& error) {
        EXPECT_EQ(error.number(), ErrDuplicateKey);
        EXPECT_TRUE(error.description().contains("« 00012 » (2 fois)")) << error.what();
        EXPECT_FALSE(error.description().contains("00013"));
    }
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_FALSE(QFileInfo::exists(out + "-journal"));

    // A table short of fields is converted as it is, without KarVel's key:
    // the function converts any file, the tool decides what a school needs.
    MemorySource partial;
    partial.add("vok", {"inventaire", "titre"}, {{"00012", "A"}, {"00012", "C"}});
    EXPECT_FALSE(writeKarvelDatabase(partial, out).tables[0].keyed);

    const std::vector<SourceTable> tables = {{"VOK", {"inventaire", "titre"}}};
    EXPECT_EQ(missingNeeds(tables, {&schema::catalogue(), &schema::classes()}),
              QStringList({"il manque à la table « vok » les champs : auteur, éditeur, dewey, "
                           "casier, motsclés, emprunt, ISBN, dateacquisition, prix, emprunté, "
                           "emprunteur, catégorieemprunteur, dateemprunt, cumul",
                           "la table « équipe » est absente"}));
}

// ---- the tool on a school's folders ----

// Every file under `root`, by relative path, with a digest of its bytes.
QMap<QString, QByteArray> snapshot(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(root).relativeFilePath(path)] =
            QCryptographicHash::hash(bytesOf(path), QCryptographicHash::Sha1);
    }
    return files;
}

struct ToolRun {
    bool ended;
    QProcess::ExitStatus status;
    int exitCode;
    QString output;
};

// Longer than the tool may spend on one file before it gives up on it: a run
// still going then would never end.
constexpr int kRunEndsWithinMs = 11 * 60 * 1000;

// `inChild` runs in the tool's process just before it starts.
ToolRun runTool(const QStringList& args, const QString& crashAt = {},
                const std::function<void()>& inChild = {}) {
    QProcess process;
    if (inChild)
        process.setChildProcessModifier(inChild);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!crashAt.isEmpty())
        env.insert("KARVEL_CONVERT_CRASH_AT", crashAt);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(kTool, args);
    const bool ended = process.waitForFinished(kRunEndsWithinMs);
    return {ended, process.exitStatus(), process.exitCode(), QString::fromUtf8(process.readAll())};
}

class ConvertFolders : public JetSamples {
  protected:
    QString cotation() const { return school.data() + "/COTATION.MDB"; }
    SchoolFolder school;
};

TEST_F(ConvertFolders, JetFileConvertedOnceThenLeftAsItIs) {
    // A name in lower case, as it may come from Windows.
    QFile::remove(cotation());
    const QString jet = school.data() + "/cotation.mdb";
    copySample("nwind.mdb", jet);

    const ToolRun first = runTool({school.data()});
    EXPECT_EQ(first.exitCode, 0) << first.output.toStdString();
    EXPECT_TRUE(first.output.contains("cotation.mdb : base Jet 3"));
    EXPECT_TRUE(first.output.contains("« Umsätze » : 830 lignes lues, 830 écrites"));
    EXPECT_TRUE(first.output.contains("Résumé : 1 fichier converti, 3 déjà au format KarVel, "
                                      "0 absent, 0 en échec."))
        << first.output.toStdString();
    EXPECT_EQ(bytesOf(jet + ".jet"), bytesOf(sample("nwind.mdb"))) << "the original is kept";
    EXPECT_EQ(karvelCatalogue(jet), jetCatalogue(sample("nwind.mdb")));
    EXPECT_FALSE(QFileInfo::exists(temporaryPath(jet)));

    const QMap<QString, QByteArray> before = snapshot(school.root());
    const ToolRun second = runTool({school.data()});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.output.contains("cotation.mdb : déjà au format KarVel, rien à convertir"));
    EXPECT_TRUE(second.output.contains("Rien à convertir"));
    EXPECT_EQ(snapshot(school.root()), before) << "a second run changes nothing";
}

TEST_F(ConvertFolders, CatalogueWithoutVokIsRefusedByNameAndLeftUntouched) {
    copySample("nwind.mdb", school.catalogue());
    const QMap<QString, QByteArray> before = snapshot(school.root());
    const ToolRun run = runTool({school.data()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.contains("la table « vok » est absente")) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("VOK.MDB : conversion arrêtée, fichier laissé tel quel"));
    EXPECT_EQ(snapshot(school.root()), before) << "no .jet, no temporary file, nothing renamed";
    EXPECT_EQ(bytesOf(school.catalogue()), bytesOf(sample("nwind.mdb")));
}

TEST_F(ConvertFolders, FoldersAlreadyConvertedOrEmptySayWhatTheyHold) {
    const QMap<QString, QByteArray> before = snapshot(school.root());
    const ToolRun done = runTool({school.data(), school.pupils()});
    EXPECT_EQ(done.exitCode, 0);
    EXPECT_TRUE(done.output.contains("Rien à convertir")) << done.output.toStdString();
    EXPECT_TRUE(done.output.contains("LEMAVORI.MDB : déjà au format KarVel"));
    EXPECT_EQ(snapshot(school.root()), before);

    const QString empty = school.root() + "/VIDE";
    QDir().mkpath(empty);
    const ToolRun none = runTool({empty});
    EXPECT_EQ(none.exitCode, 1);
    for (const char* name : {"VOK.MDB", "MEMBRES.MDB", "LEMAVORI.MDB", "COTATION.MDB"})
        EXPECT_TRUE(none.output.contains(QString(name) + " : absent du dossier " + empty))
            << name << '\n'
            << none.output.toStdString();
}

TEST_F(ConvertFolders, KilledBeforeItsRenamesTheJetFileStaysInPlaceAndUsable) {
    const QByteArray original = bytesOf(sample("nwind.mdb"));
    for (const QString step : {"link", "rename"}) {
        SCOPED_TRACE(step.toStdString());
        copySample("nwind.mdb", cotation());
        QFile::remove(cotation() + ".jet");
        const ToolRun killed = runTool({school.data()}, step);
        EXPECT_EQ(killed.status, QProcess::CrashExit);
        EXPECT_EQ(bytesOf(cotation()), original);
        EXPECT_EQ(jetCatalogue(cotation()).size(), 9u) << "libmdb still reads it";

        // Run again, the tool finishes the work and takes up the name it had given.
        const ToolRun again = runTool({school.data()});
        EXPECT_EQ(again.exitCode, 0) << again.output.toStdString();
        EXPECT_EQ(bytesOf(cotation() + ".jet"), original);
        EXPECT_FALSE(QFileInfo::exists(cotation() + ".2.jet"));
        EXPECT_FALSE(QFileInfo::exists(temporaryPath(cotation())));
        EXPECT_EQ(karvelCatalogue(cotation()).size(), 9u);
    }

    // Killed while it writes: whenever the signal lands, the Jet data is whole
    // under one name or the other, and the file in place is the Jet file or a
    // complete KarVel file.
    copySample("nwind.mdb", cotation());
    QFile::remove(cotation() + ".jet");
    QProcess process;
    process.start(kTool, {school.data()});
    ASSERT_TRUE(process.waitForStarted());
    while (!process.readAllStandardOutput().contains("« Order Details »") &&
           process.state() == QProcess::Running)
        process.waitForReadyRead(10000);
    process.kill();
    process.waitForFinished();
    if (isJetDatabaseFile(cotation())) {
        EXPECT_EQ(bytesOf(cotation()), original);
    } else {
        EXPECT_EQ(bytesOf(cotation() + ".jet"), original);
        EXPECT_EQ(Database(cotation(), Database::Mode::ReadOnly).integrityCheck(), "ok");
    }
    EXPECT_EQ(runTool({school.data()}).exitCode, 0);
    EXPECT_EQ(bytesOf(cotation() + ".jet"), original);
    EXPECT_EQ(karvelCatalogue(cotation()).size(), 9u);
}

TEST_F(ConvertFolders, KeptNameNeverReplacesAnotherFile) {
    copySample("DateTestDatabase.mdb", cotation());
    QFile other(cotation() + ".jet");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("une autre année");
    other.close();
    QStringList lines;
    const FolderSummary summary = convertFolders(school.data(), school.pupils(), kTool,
                                                 [&](const QString& line) { lines << line; });
    EXPECT_EQ(summary.converted, 1);
    EXPECT_EQ(bytesOf(cotation() + ".jet"), "une autre année");
    EXPECT_EQ(bytesOf(cotation() + ".2.jet"), bytesOf(sample("DateTestDatabase.mdb")));
    EXPECT_TRUE(lines.join('\n').contains("gardé sous le nom COTATION.MDB.2.jet"));
}

// Damaged copies of the samples from a fixed seed: cut short, a page inverted
// or replaced by noise, bytes changed in the page that defines the catalogue,
// noise after a sound header, a crash of libmdb.
std::vector<QByteArray> damagedJetFiles() {
    std::mt19937 draws(20261208);
    std::vector<QByteArray> files;
    for (const QString& name : kSampleNames) {
        const QByteArray jet = bytesOf(sample(name));
        const qsizetype page = jet[0x14] == 0 ? 2048 : 4096; // Jet 3 pages are smaller
        const qsizetype pages = jet.size() / page;
        for (const qsizetype length : {page, 2 * page, jet.size() / 3, jet.size() - page + 100})
            files.push_back(jet.left(length));
        for (int i = 0; i < 4; ++i) {
            QByteArray damaged = jet;
            const qsizetype at =
                page * (1 + qsizetype(draws() % std::min<qsizetype>(pages - 1, 40)));
            for (qsizetype k = at; k < at + page; ++k)
                damaged[k] = char(i % 2 ? draws() : ~damaged[k]);
            files.push_back(damaged);
        }
        for (int i = 0; i < 3; ++i) {
            QByteArray damaged = jet;
            for (int k = 0; k < 8; ++k)
                damaged[2 * page + qsizetype(draws() % page)] = char(draws());
            files.push_back(damaged);
        }
        QByteArray noise = jet.left(page);
        while (noise.size() < std::min<qsizetype>(jet.size(), 256 * 1024))
            noise.append(char(draws()));
        files.push_back(noise);
    }
    // One byte of the catalogue's own definition that makes libmdb read out of
    // bounds and crash.
    QByteArray crash = bytesOf(sample("nwind.mdb"));
    crash[2 * 2048 + 0x23] = char(0xbb);
    files.push_back(crash);
    return files;
}

// Each damaged file is converted whole, or refused and left as it was, in a
// run that ends with a message of its own and no file left behind.
TEST_F(JetSamples, DamagedFilesAreConvertedOrRefusedAndNothingIsLeft) {
    int converted = 0;
    int refused = 0;
    int damaged = 0;
    const std::vector<QByteArray> files = damagedJetFiles();
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE("damaged file " + std::to_string(i));
        const QTemporaryDir folder;
        const QString jet = folder.path() + "/COTATION.MDB";
        QFile file(jet);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(files[i]) == files[i].size());
        file.close();
        const ToolRun run = runTool({folder.path()});
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.status, QProcess::NormalExit) << run.output.toStdString();
        EXPECT_LE(run.output.count("libmdb :"), 5) << "libmdb's warnings are capped";
        if (run.exitCode == 0) {
            ++converted;
            EXPECT_TRUE(run.output.contains("COTATION.MDB : converti ;"));
            EXPECT_EQ(bytesOf(jet + ".jet"), files[i]);
            EXPECT_EQ(Database(jet, Database::Mode::ReadOnly).integrityCheck(), "ok");
            EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                      QStringList({"COTATION.MDB", "COTATION.MDB.jet"}));
        } else {
            ++refused;
            damaged += run.output.contains("COTATION.MDB : fichier endommagé, sa lecture");
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_TRUE(
                run.output.contains("COTATION.MDB : conversion arrêtée, fichier laissé tel quel"))
                << run.output.toStdString();
            EXPECT_EQ(bytesOf(jet), files[i]);
            EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                      QStringList({"COTATION.MDB"}));
        }
    }
    EXPECT_GE(damaged, 1) << "the file that crashes libmdb ends its reader only";
    std::cout << "damaged Jet files converted or refused: " << converted + refused << " ("
              << converted << " converted, " << refused << " refused)" << std::endl;
}

// Takes away, from the tool about to start, what lets root write anywhere.
void withoutRootsOverride() {
    for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
        ::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0);
}

// What keeps a sound Jet file from being converted: each is named, and the
// folder is left exactly as it was.
TEST_F(ConvertFolders, FilesInUseOrOutOfReachAreRefusedByName) {
    struct Case {
        const char* what;
        std::function<void(const QString& folder)> make;
        QString said;
    };
    int lock = -1;
    const std::vector<Case> cases = {
        {"1 read-only folder",
         [](const QString& folder) {
             QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
         },
         "COTATION.MDB : le dossier %1 n'est pas modifiable"},
        {"2 Access lock file",
         [](const QString& folder) { QFile(folder + "/cotation.LDB").open(QIODevice::WriteOnly); },
         "COTATION.MDB : en cours d'utilisation, le fichier de verrou cotation.LDB est présent"},
        {"3 range locked by another program, as Jet does",
         [&](const QString& folder) {
             lock = ::open(QFile::encodeName(folder + "/COTATION.MDB").constData(), O_RDWR);
             struct flock range {};
             range.l_type = F_WRLCK;
             range.l_start = 0x10000000;
             range.l_len = 1;
             ASSERT_EQ(::fcntl(lock, F_OFD_SETLK, &range), 0);
         },
         "COTATION.MDB : en cours d'utilisation par un autre programme"},
        {"4 one file under two names",
         [](const QString& folder) {
             ::link(QFile::encodeName(folder + "/COTATION.MDB").constData(),
                    QFile::encodeName(folder + "/MEMBRES.MDB").constData());
         },
         "COTATION.MDB : même fichier que MEMBRES.MDB"},
        {"5 one name under two letter cases",
         [](const QString& folder) {
             QFile::copy(folder + "/COTATION.MDB", folder + "/cotation.mdb");
         },
         "contient deux fichiers dont les noms ne diffèrent que par les majuscules"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QTemporaryDir caseDir;
        const QString folder = caseDir.path() + "/LAVOK";
        QDir().mkpath(folder);
        copySample("nwind.mdb", folder + "/COTATION.MDB");
        c.make(folder);
        const QMap<QString, QByteArray> before = snapshot(folder);
        const ToolRun run = runTool({folder}, {}, withoutRootsOverride);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (lock >= 0)
            ::close(std::exchange(lock, -1));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.output.contains(c.said.contains("%1") ? c.said.arg(folder) : c.said))
            << run.output.toStdString();
        EXPECT_EQ(snapshot(folder), before) << "nothing made, renamed or left behind";
    }
}

TEST(JetAtStartup, MessageGivesTheCommandToRun) {
    TestContext t;
    t.ctx.dataFolder = "/srv/école/LAVOK";
    const KarvelError jet(ErrUnrecognisedFormat, "Format de base de données non reconnu",
                          "/srv/école/LAVOK/VOK.MDB");
    EXPECT_EQ(ExplainError(t.ctx, jet), ErrorOutcome::EndProgram);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(t.dialogs.shown[0].text.contains("\nkarvel-convert \"/srv/école/LAVOK\"\n"))
        << t.dialogs.shown[0].text.toStdString();

    // A folder name a shell would expand inside double quotes is given in single quotes.
    t.ctx.dataFolder = "/srv/l'$ecole/LAVOK";
    ExplainError(t.ctx, jet);
    EXPECT_TRUE(t.dialogs.shown[1].text.contains("karvel-convert '/srv/l'\\''$ecole/LAVOK'"));
}

} // namespace
