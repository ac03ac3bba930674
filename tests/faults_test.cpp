// Faults met on a school's real files: a read-only data folder, a full disk,
// a database locked by another program, another program writing while the
// desk lends, a catalogue damaged before start-up. Each must end in a clear
// message and lose nothing that was saved before it.
//
// Faults are injected by a file layer that fails as the system would, or
// made for real where root cannot get round them: a folder where a file
// must be written, a file size limit, another process holding a lock.

#include "common/text.h"
#include "data/backups.h"
#include "data/settings.h"
#include "demo_data.h"
#include "desk/desk_state.h"
#include "desk/interpreter.h"
#include "desk/journal.h"
#include "platform/sqlite_db.h"
#include "shell/startup.h"
#include "test_data.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <linux/capability.h>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace karvel;
using namespace karvel::test;

namespace {

const QDate kDay(2026, 3, 9);

QString number5(int n) {
    return QStringLiteral("%1").arg(n, 5, 10, QLatin1Char('0'));
}

QString standardError(int number, const QString& description) {
    return QStringLiteral("Le logiciel a rencontré l'erreur : ") + QString::number(number) +
           QStringLiteral("\n\n") + description;
}

// Every write fails with one system error, and each failure is counted.
class FailingDisk final : public FileSystem {
  public:
    FailingDisk(int errnum, int& injected) : errnum_(errnum), injected_(injected) {}
    void writeAtomically(const QString& path, const QByteArray&) override {
        fail(path + QStringLiteral(".tmp"));
    }
    void append(const QString& path, const QByteArray&) override { fail(path); }
    void remove(const QString& path) override { fail(path); }
    void rename(const QString&, const QString& to) override { fail(to); }

  private:
    [[noreturn]] void fail(const QString& path) {
        ++injected_;
        throw errorFromErrno(errnum_, path);
    }
    int errnum_;
    int& injected_;
};

// The system's own limit on the size of a file, lowered for one call: the
// write that crosses it is cut short as on a disk that fills up, and the
// next one fails (EFBIG, a full disk to the program).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(qint64 bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        // The signal would end the process; the write must fail instead.
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

// A disk that fills up in the middle of every write.
class FillingDisk final : public FileSystem {
  public:
    explicit FillingDisk(int& injected) : injected_(injected) {}
    void writeAtomically(const QString& path, const QByteArray& bytes) override {
        ++injected_;
        const FileSizeLimit limit(bytes.size() / 2);
        FileSystem::writeAtomically(path, bytes);
    }
    void append(const QString& path, const QByteArray& bytes) override {
        ++injected_;
        const FileSizeLimit limit(QFileInfo(path).size() + bytes.size() / 2);
        FileSystem::append(path, bytes);
    }

  private:
    int& injected_;
};

// Root may write anywhere: for its lifetime, the thread gives up the
// capabilities that let it, so that a folder's permissions hold as they do
// for the school's users.
class AsOrdinaryUser {
  public:
    AsOrdinaryUser() {
        syscall(SYS_capget, &header_, saved_);
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[capability / 32].effective &= ~(1u << (capability % 32));
        syscall(SYS_capset, &header_, reduced);
    }
    ~AsOrdinaryUser() { syscall(SYS_capset, &header_, saved_); }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
};

// Another process on the same files (tests/faults/other_program.cpp).
class OtherProgram {
  public:
    explicit OtherProgram(const QStringList& arguments) {
        process_.start(QStringLiteral(KARVEL_OTHER_PROGRAM), arguments);
        EXPECT_TRUE(process_.waitForStarted(10000));
    }
    ~OtherProgram() { stop(); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    // The first line it prints.
    QByteArray firstLine() {
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
        }
        return process_.readLine().trimmed();
    }
    // Closing its input lets it go on to its end, which stop() waits for.
    void release() { process_.closeWriteChannel(); }
    // Closing its input ends it; what it printed since the first line.
    QByteArray stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.closeWriteChannel();
            process_.waitForFinished(30000);
            EXPECT_EQ(process_.exitCode(), 0) << process_.readAllStandardError().toStdString();
        }
        return process_.readAllStandardOutput();
    }

  private:
    QProcess process_;
};

class Faults : public ::testing::Test {
  protected:
    explicit Faults(const QString& base = QDir::tempPath())
        : dir(base + QStringLiteral("/karvel-faults-XXXXXX")), t(QDateTime(kDay, QTime(10, 30))) {
        createDemoData(root(), {2000, kDay});
        place(t.ctx);
        LoadSettings(t.ctx);
        // No loan waits on the limit question here.
        t.ctx.loanLimits.pupilLimit = t.ctx.loanLimits.memberLimit = QStringLiteral("0");
    }
    void TearDown() override { RecordProperty("faults_injected", injected); }

    QString root() const { return dir.path() + QStringLiteral("/ECOLE"); }
    QString data() const { return root() + QStringLiteral("/LAVOK"); }
    QString catalogue() const { return data() + QStringLiteral("/VOK.MDB"); }
    QString members() const { return data() + QStringLiteral("/MEMBRES.MDB"); }
    QString inData(const QString& name) const { return data() + QLatin1Char('/') + name; }
    QString journal() const { return inData(JournalFileName(kDay)); }

    // A context on the same school and settings, with another file layer.
    void place(AppContext& ctx) const {
        ctx.dataFolder = data();
        ctx.pupilsFolder = root() + QStringLiteral("/LEMAVORI");
        ctx.loanLimits = t.ctx.loanLimits;
        ctx.BackupNotice = t.ctx.BackupNotice;
        ctx.layout = t.ctx.layout;
    }

    void read(AppContext& ctx, std::initializer_list<QString> readings) {
        for (const QString& reading : readings) {
            desk.reading = reading;
            InterpretReading(ctx, desk);
        }
    }
    // The texts shown since the last call.
    QStringList texts() {
        QStringList list;
        for (const ShownMessage& m : t.dialogs.shown)
            list << m.text;
        t.dialogs.shown.clear();
        return list;
    }
    QString doc(const QString& number, const QString& field) const {
        return SchoolFolder::value(catalogue(), "vok", "inventaire", number, field);
    }
    // Documents that may be lent now, in inventory order.
    QStringList lendable(int count) const {
        Database db(catalogue());
        auto rows = db.prepare("SELECT inventaire FROM vok WHERE emprunt = 'O' AND emprunté IN "
                               "('N', '') ORDER BY inventaire LIMIT ?1");
        rows->bind(1, qint64(count));
        QStringList numbers;
        while (rows->step())
            numbers << rows->text(0);
        return numbers;
    }
    // A member who may borrow.
    QString allowedMember() const {
        Database db(members());
        auto row = db.prepare("SELECT matricule FROM membres WHERE emprunt = '1' LIMIT 1");
        return row->step() ? row->text(0) : QString();
    }
    // Every file of the data folder, for "nothing else changed".
    std::map<QString, QByteArray> files() const {
        std::map<QString, QByteArray> all;
        for (const QString& name : QDir(data()).entryList(QDir::Files))
            all[name] = contents(inData(name));
        return all;
    }

    // The files of the data folder that differ from `before`, or came or went.
    QStringList changedSince(const std::map<QString, QByteArray>& before) const {
        const auto now = files();
        QStringList changed;
        for (const auto& [name, bytes] : now) {
            if (!before.count(name) || before.at(name) != bytes)
                changed << name;
        }
        for (const auto& [name, bytes] : before) {
            if (!now.count(name))
                changed << name;
        }
        return changed;
    }

    QTemporaryDir dir;
    TestContext t;
    DeskState desk;
    int injected = 0;
};

TEST_F(Faults, ReadOnlyDataFolderKeepsJournalSettingsAndBackups) {
    const QStringList docs = lendable(2);
    read(t.ctx, {"EMPRUNT", "ECO-00001", "DOC-" + docs[0]});
    MakeBackups(t.ctx);
    ASSERT_EQ(texts().size(), 1) << "the backup notice";
    const auto before = files();
    ASSERT_TRUE(before.count("VOK_09.BAK") && before.count("KARVEL.INI"));

    FailingDisk disk(EROFS, injected);
    AppContext ctx(t.dialogs, t.clock, disk, t.printer);
    place(ctx);
    const QString failure = standardError(70, "Permission refusée");

    // The loan and the return are made; only their entries are missing.
    read(ctx, {"EMPRUNT", "ECO-00002", "DOC-" + docs[1], "RESTITUTION", "DOC-" + docs[0]});
    EXPECT_EQ(texts(), QStringList({failure, failure}));
    EXPECT_EQ(doc(docs[1], "emprunté"), "O");
    EXPECT_EQ(doc(docs[1], "emprunteur"), "00002");
    EXPECT_EQ(doc(docs[0], "emprunté"), "N");
    EXPECT_TRUE(desk.reading.isEmpty()) << "the next scan can follow";

    ctx.layout.topMargin = "12";
    EXPECT_FALSE(SaveSettings(ctx));
    EXPECT_EQ(texts(), QStringList({failure}));

    // No copy can be renamed into place: the day's copies stay as they were.
    EXPECT_TRUE(MakeBackups(ctx).isEmpty());
    EXPECT_EQ(texts(),
              QStringList({standardError(70, "Permission refusée : " + inData("VOK_09.BAK"))}))
        << "the user learns there is no backup";

    EXPECT_EQ(changedSince(before), QStringList({"VOK.MDB"}))
        << "journal, settings, backups and notes as they were";
    EXPECT_GE(injected, 6);
}

// A data folder the user cannot write to: each failure names the file the
// user knows, never a temporary name, and nothing changes.
TEST_F(Faults, DataFolderTheUserCannotWriteTo) {
    MakeBackups(t.ctx);
    texts();
    const auto before = files();
    const QFile::Permissions open = QFileInfo(data()).permissions();
    ASSERT_TRUE(QFile::setPermissions(data(), open & ~(QFile::WriteOwner | QFile::WriteUser |
                                                       QFile::WriteGroup | QFile::WriteOther)));
    {
        const AsOrdinaryUser user;
        ++injected;
        EXPECT_TRUE(MakeBackups(t.ctx).isEmpty());
        t.ctx.layout.topMargin = "12";
        EXPECT_FALSE(SaveSettings(t.ctx));
        // A database its user may not read is not "opened by another program".
        const QFile::Permissions own = QFileInfo(members()).permissions();
        QFile::setPermissions(members(), {});
        try {
            Database db(members());
            ADD_FAILURE() << "opened";
        } catch (const KarvelError& error) {
            EXPECT_EQ(error.number(), ErrPermissionDenied);
        }
        QFile::setPermissions(members(), own);
    }
    QFile::setPermissions(data(), open);
    const QStringList shown = texts();
    EXPECT_EQ(shown, QStringList({standardError(70, "Permission refusée : " + inData("VOK_09.BAK")),
                                  standardError(70, "Permission refusée")}));
    for (const QString& text : shown)
        EXPECT_FALSE(text.contains(".tmp")) << text.toStdString();
    EXPECT_EQ(changedSince(before), QStringList());
}

qint64 rows(const QString& path, const QString& table) {
    Database db(path, Database::Mode::ReadOnly);
    auto count = db.prepare("SELECT count(*) FROM \"" + table + "\"");
    count->step();
    return count->integer(0);
}

// Two desks on one folder quitting at the same moment, again and again:
// each backup of the day is one of theirs, whole, and neither tells of a failure.
TEST_F(Faults, TwoDesksQuittingTogether) {
    const std::vector<std::pair<QString, QString>> backups = {
        {"VOK_09.BAK", "vok"}, {"MAV_09.BAK", "enfants"}, {"MBRS_09.BAK", "membres"}};
    const std::vector<qint64> sources = {rows(catalogue(), "vok"),
                                         rows(root() + "/LEMAVORI/LEMAVORI.MDB", "enfants"),
                                         rows(members(), "membres")};
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        OtherProgram first({"quit", data(), kDay.toString(Qt::ISODate)});
        OtherProgram second({"quit", data(), kDay.toString(Qt::ISODate)});
        ASSERT_EQ(first.firstLine(), "ready");
        ASSERT_EQ(second.firstLine(), "ready");
        first.release();
        second.release();
        EXPECT_EQ(QString::fromUtf8(first.stop()), "end\n");
        EXPECT_EQ(QString::fromUtf8(second.stop()), "end\n");
        ++injected;
        for (size_t i = 0; i < backups.size(); ++i) {
            try {
                Database copy(inData(backups[i].first), Database::Mode::ReadOnly);
                EXPECT_EQ(copy.integrityCheck(), "ok");
                EXPECT_EQ(rows(inData(backups[i].first), backups[i].second), sources[i]);
            } catch (const KarvelError& error) {
                ADD_FAILURE() << error.what();
            }
        }
        EXPECT_TRUE(contents(inData("VOK_09.TXT")).endsWith("VOK.MDB existant...\"\r\n"));
        EXPECT_EQ(QDir(data()).entryList({"*.tmp*"}), QStringList());
    }
}

TEST_F(Faults, FolderInTheWayOfAFileToWrite) {
    const QStringList docs = lendable(1);
    MakeBackups(t.ctx);
    texts();
    const auto before = files();
    // Root may write anywhere; a folder where a file must go stops it too.
    for (const QString& name :
         {kSettingsFile, JournalFileName(kDay), QStringLiteral("VOK_09.BAK")}) {
        QFile::remove(inData(name));
        ASSERT_TRUE(QDir().mkpath(inData(name)));
        ++injected;
    }
    const auto refused = [this](const QString& name) {
        return standardError(75, "Le fichier « " + inData(name) +
                                     " » n'est pas un fichier ordinaire (lien symbolique, tube "
                                     "nommé ou périphérique) : KarVel ne s'en sert pas.");
    };

    t.ctx.layout.bottomMargin = "15";
    EXPECT_FALSE(SaveSettings(t.ctx));
    EXPECT_EQ(texts(), QStringList({refused(kSettingsFile)}));
    EXPECT_TRUE(QFileInfo(inData(kSettingsFile)).isDir()) << "the folder is left as it is";

    read(t.ctx, {"EMPRUNT", "ECO-00003", "DOC-" + docs[0]});
    EXPECT_EQ(texts(), QStringList({refused(JournalFileName(kDay))}));
    EXPECT_EQ(doc(docs[0], "emprunteur"), "00003");

    const QStringList copies = MakeBackups(t.ctx);
    EXPECT_EQ(copies, QStringList({inData("MAV_09.BAK"), inData("MBRS_09.BAK")}));
    const QStringList shown = texts();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].startsWith("Des copies de sauvegarde ont été créées"));
    EXPECT_EQ(shown[1], refused("VOK_09.BAK"));
    EXPECT_TRUE(QFileInfo(inData("VOK_09.BAK")).isDir()) << "the folder is left as it is";
    EXPECT_EQ(contents(inData("VOK_09.TXT")), before.at("VOK_09.TXT"));
}

// A link or a named pipe set where the journal or the settings go: nothing is
// written through the link, the pipe does not freeze the desk, and each
// refusal names the file. The loan itself is made.
TEST_F(Faults, LinksAndPipesInPlaceOfFiles) {
    const QStringList docs = lendable(2);
    QTemporaryDir elsewhere;
    const QString target = elsewhere.path() + "/precious.txt";
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("à garder\r\n");
    }
    const auto refused = [this](const QString& name) {
        return standardError(75, "Le fichier « " + inData(name) +
                                     " » n'est pas un fichier ordinaire (lien symbolique, tube "
                                     "nommé ou périphérique) : KarVel ne s'en sert pas.");
    };

    ASSERT_TRUE(QFile::link(target, journal()));
    ++injected;
    read(t.ctx, {"EMPRUNT", "ECO-00003", "DOC-" + docs[0]});
    EXPECT_EQ(texts(), QStringList({refused(JournalFileName(kDay))}));
    EXPECT_EQ(doc(docs[0], "emprunteur"), "00003");

    ASSERT_TRUE(QFile::remove(journal()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(journal()).constData(), 0644), 0);
    ++injected;
    read(t.ctx, {"DOC-" + docs[1]});
    EXPECT_EQ(texts(), QStringList({refused(JournalFileName(kDay))}));
    EXPECT_EQ(doc(docs[1], "emprunteur"), "00003");

    ASSERT_TRUE(QFile::remove(inData(kSettingsFile)));
    ASSERT_TRUE(QFile::link(target, inData(kSettingsFile)));
    ++injected;
    t.ctx.layout.bottomMargin = "15";
    EXPECT_FALSE(SaveSettings(t.ctx));
    EXPECT_EQ(texts(), QStringList({refused(kSettingsFile)}));
    EXPECT_EQ(contents(target), "à garder\r\n");
    EXPECT_TRUE(QFileInfo(inData(kSettingsFile)).isSymLink()) << "the link is left as it is";

    ASSERT_TRUE(QFile::remove(inData(kSettingsFile)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(inData(kSettingsFile)).constData(), 0644), 0);
    ++injected;
    EXPECT_FALSE(LoadSettings(t.ctx)) << "a pipe is not read either";
    EXPECT_EQ(texts(), QStringList({refused(kSettingsFile)}));
}

TEST_F(Faults, DiskFullWhileWritingTheJournalAndTheSettings) {
    const QStringList docs = lendable(4);
    read(t.ctx, {"EMPRUNT", "ECO-00004", "DOC-" + docs[0]});
    const QByteArray journalBefore = contents(journal());
    const QByteArray settingsBefore = contents(inData(kSettingsFile));
    const QString full = standardError(61, "Disque plein");

    {
        FailingDisk disk(ENOSPC, injected);
        AppContext ctx(t.dialogs, t.clock, disk, t.printer);
        place(ctx);
        read(ctx, {"DOC-" + docs[1]});
        EXPECT_EQ(texts(), QStringList({full}));
        EXPECT_EQ(doc(docs[1], "emprunteur"), "00004") << "the loan stays recorded";
        ctx.layout.sheetWidth = "148";
        EXPECT_FALSE(SaveSettings(ctx));
        EXPECT_EQ(texts(), QStringList({full}));
    }

    // The disk fills up in the middle of the entry and of the new settings.
    {
        FillingDisk disk(injected);
        AppContext ctx(t.dialogs, t.clock, disk, t.printer);
        place(ctx);
        read(ctx, {"DOC-" + docs[2]});
        EXPECT_EQ(texts(), QStringList({full}));
        EXPECT_EQ(doc(docs[2], "emprunteur"), "00004");
        ctx.layout.sheetWidth = "148";
        EXPECT_FALSE(SaveSettings(ctx));
        EXPECT_EQ(texts(), QStringList({full}));
    }
    EXPECT_EQ(contents(journal()), journalBefore) << "no part of an entry";
    EXPECT_EQ(contents(inData(kSettingsFile)), settingsBefore);
    EXPECT_FALSE(QFile::exists(inData(kSettingsFile) + ".tmp"));

    // Full while the catalogue itself is saved: the loan is not made at all.
    const QString stateBefore = doc(docs[3], "emprunté");
    {
        const FileSizeLimit limit(1024);
        ++injected;
        read(t.ctx, {"DOC-" + docs[3]});
    }
    EXPECT_EQ(texts(), QStringList({full}));
    EXPECT_EQ(doc(docs[3], "emprunté"), stateBefore);
    EXPECT_EQ(doc(docs[3], "emprunteur"), "");
    EXPECT_EQ(Database(catalogue()).integrityCheck(), "ok");
    EXPECT_EQ(contents(journal()), journalBefore);

    // Room again: the desk goes on, and the journal too.
    read(t.ctx, {"DOC-" + docs[3]});
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(doc(docs[3], "emprunteur"), "00004");
    EXPECT_TRUE(contents(journal()).startsWith(journalBefore));
    EXPECT_TRUE(contents(journal()).endsWith(
        "\"Document : " + docs[3].toUtf8() + " - " + doc(docs[3], "titre").toUtf8() + " - " +
        doc(docs[3], "éditeur").toUtf8() + "\"\r\n\"emprunté le 09/03/2026\"\r\n"));
}

TEST_F(Faults, FilesLockedByAnotherProgramLongerThanTheWait) {
    const QStringList docs = lendable(3);
    const QString member = allowedMember();
    ASSERT_FALSE(member.isEmpty());
    const QString memberBefore =
        SchoolFolder::value(members(), "membres", "matricule", member, "datedernieremprunt");
    const QString locked = standardError(3218, "Mise à jour impossible ; actuellement verrouillé.");
    QElapsedTimer timer;

    // Nobody may even read the catalogue: the document cannot be looked up.
    {
        OtherProgram other({"lock", catalogue(), "exclusive"});
        ASSERT_EQ(other.firstLine(), "locked");
        ++injected;
        read(t.ctx, {"EMPRUNT", "ECO-00005"});
        timer.start();
        read(t.ctx, {"DOC-" + docs[0]});
        std::cout << "locked catalogue answered after " << timer.elapsed() << " ms" << std::endl;
        EXPECT_EQ(texts(), QStringList({locked}));
        EXPECT_EQ(desk.reading, "DOC-" + docs[0]) << "the reading stays to be tried again";
    }
    EXPECT_EQ(doc(docs[0], "emprunté"), "N");
    EXPECT_EQ(contents(journal()), "<absent>");
    InterpretReading(t.ctx, desk);
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(doc(docs[0], "emprunteur"), "00005");

    // Another program reads it: the member's loan is looked up, but cannot be saved.
    const QByteArray journalBefore = contents(journal());
    {
        OtherProgram other({"lock", catalogue(), "shared"});
        ASSERT_EQ(other.firstLine(), "locked");
        ++injected;
        read(t.ctx, {"EXT-" + member});
        timer.start();
        read(t.ctx, {"DOC-" + docs[1]});
        std::cout << "catalogue being read answered after " << timer.elapsed() << " ms"
                  << std::endl;
        EXPECT_EQ(texts(), QStringList({locked}));
    }
    EXPECT_EQ(doc(docs[1], "emprunté"), "N");
    EXPECT_EQ(doc(docs[1], "emprunteur"), "");
    EXPECT_EQ(SchoolFolder::value(members(), "membres", "matricule", member, "datedernieremprunt"),
              memberBefore)
        << "the member's last loan is not a loan that was not made";
    EXPECT_EQ(contents(journal()), journalBefore);
    EXPECT_TRUE(desk.handledDocuments.isEmpty());
    InterpretReading(t.ctx, desk);
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(doc(docs[1], "emprunteur"), member);
    EXPECT_EQ(SchoolFolder::value(members(), "membres", "matricule", member, "datedernieremprunt"),
              "09/03/2026");

    // The members file being read: the loan is made, listed and journalled;
    // only the member's date waits for the next loan.
    Database(members()).exec("UPDATE membres SET datedernieremprunt = '01/03/2026'");
    {
        OtherProgram other({"lock", members(), "shared"});
        ASSERT_EQ(other.firstLine(), "locked");
        ++injected;
        read(t.ctx, {"DOC-" + docs[2]});
        EXPECT_EQ(texts(), QStringList({locked}));
    }
    EXPECT_EQ(doc(docs[2], "emprunteur"), member);
    EXPECT_EQ(desk.handledDocuments.size(), 2);
    EXPECT_TRUE(contents(journal()).contains("\"Document : " + docs[2].toUtf8() + " - "));
    EXPECT_EQ(SchoolFolder::value(members(), "membres", "matricule", member, "datedernieremprunt"),
              "01/03/2026");
}

// The loans of a busy day, one per line of the journal's loan entries.
std::map<QString, QString> journalLoans(const QByteArray& journal, int& entries) {
    std::map<QString, QString> loans;
    static const QRegularExpression borrower(QStringLiteral(R"(^"Emprunteur : (\S+) )"));
    static const QRegularExpression document(QStringLiteral(R"(^"Document : (\S+) - )"));
    QString holder;
    for (const QByteArray& raw : journal.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        QRegularExpressionMatch m;
        if (line.contains(QStringLiteral(" - Emprunt d'un document\""))) {
            ++entries;
            holder.clear();
        } else if ((m = borrower.match(line)).hasMatch()) {
            holder = m.captured(1);
        } else if ((m = document.match(line)).hasMatch()) {
            loans[m.captured(1)] = holder;
        }
    }
    return loans;
}

// Quick files: a thousand loans with every save flushed to disk would mostly
// measure the disk. Memory-backed files lock as disk files do.
class BusyFaults : public Faults {
  protected:
    BusyFaults()
        : Faults(QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                    : QDir::tempPath()) {}
};

TEST_F(BusyFaults, AnotherProgramWritesWhileAThousandLoansAreMade) {
    constexpr int kLoans = 1000;
    const QStringList docs = lendable(kLoans);
    ASSERT_EQ(docs.size(), kLoans);
    std::map<QString, QString> lentTo;

    OtherProgram other({"write", catalogue(), "90001", "200"});
    const QByteArray first = other.firstLine();
    ASSERT_TRUE(first.startsWith("T ") || first.startsWith("A ")) << first.toStdString();
    ++injected;

    QElapsedTimer timer;
    timer.start();
    read(t.ctx, {"EMPRUNT"});
    QStringList failures;
    for (int i = 0; i < kLoans; ++i) {
        // Four documents for each pupil, who come one after the other.
        const QString pupil = number5(1 + (i / 4) % 300);
        if (i % 4 == 0)
            read(t.ctx, {"ECO-" + pupil});
        read(t.ctx, {"DOC-" + docs[i]});
        lentTo[docs[i]] = pupil;
        failures << texts();
    }
    const qint64 elapsed = timer.elapsed();
    const QList<QByteArray> changes = (first + '\n' + other.stop()).trimmed().split('\n');
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();

    // Our side: every loan in the catalogue and in the journal.
    Database db(catalogue());
    std::map<QString, std::pair<QString, QString>> rows; // number: state, borrower
    std::map<QString, QString> titles;
    auto all = db.prepare("SELECT inventaire, emprunté, emprunteur, titre FROM vok");
    while (all->step()) {
        rows[all->text(0)] = {all->text(1), all->text(2)};
        titles[all->text(0)] = all->text(3);
    }
    int lost = 0;
    for (const auto& [number, pupil] : lentTo)
        lost += rows[number] != std::make_pair(QStringLiteral("O"), pupil);
    EXPECT_EQ(lost, 0) << "loans lost from the catalogue";
    int entries = 0;
    const std::map<QString, QString> journalled = journalLoans(contents(journal()), entries);
    EXPECT_EQ(entries, kLoans);
    EXPECT_EQ(journalled, lentTo);

    // Theirs: every title as it last wrote it, every document it added.
    std::map<QString, QString> written;
    int added = 0, givenUp = 0;
    for (const QByteArray& line : changes) {
        if (line.startsWith("T ") || line.startsWith("A ")) {
            const QList<QByteArray> parts = line.mid(2).split('\t');
            written[QString::fromUtf8(parts[0])] = QString::fromUtf8(parts.value(1));
            added += line.startsWith("A ");
        } else if (line.startsWith("B ")) {
            ++givenUp;
            ADD_FAILURE() << "the other program gave up a change: " << line.toStdString();
        }
    }
    EXPECT_EQ(changes.last(), "end");
    int titlesLost = 0;
    for (const auto& [number, title] : written)
        titlesLost += titles.count(number) == 0 || titles[number] != title;
    EXPECT_EQ(titlesLost, 0) << "changes of the other program lost";
    EXPECT_GT(added, 10);
    EXPECT_EQ(db.integrityCheck(), "ok");
    std::cout << kLoans << " loans in " << elapsed << " ms ("
              << (elapsed ? kLoans * 1000 / elapsed : 0) << " a second) while another program made "
              << changes.size() - 1 << " changes (" << added << " documents added, " << givenUp
              << " given up)" << std::endl;
}

// The catalogue's table pages from the middle of the file, with their rows.
std::vector<std::pair<qint64, qint64>> tablePages(const QString& path) {
    Database db(path, Database::Mode::ReadOnly);
    auto pages = db.prepare("SELECT pageno, ncell FROM dbstat WHERE name = 'vok' AND pagetype "
                            "= 'leaf' ORDER BY pageno");
    std::vector<std::pair<qint64, qint64>> all;
    while (pages->step())
        all.emplace_back(pages->integer(0), pages->integer(1));
    return all;
}

qint64 pageSize(const QString& path) {
    Database db(path, Database::Mode::ReadOnly);
    auto size = db.prepare("PRAGMA page_size");
    size->step();
    return size->integer(0);
}

// A backup restored as its note says, by putting a copy in the catalogue's
// place while the desk runs: the desk goes on with the restored file and
// writes nothing to the old one, which another program may still hold.
TEST_F(Faults, CatalogueReplacedWhileTheDeskRuns) {
    const QStringList docs = lendable(2);
    read(t.ctx, {"EMPRUNT", "ECO-00005", "DOC-" + docs[0]});
    ASSERT_EQ(doc(docs[0], "emprunté"), "O");

    const QString restored = inData("VOK_07.BAK");
    ASSERT_TRUE(QFile::copy(catalogue(), restored));
    const QString old = inData("VOK.MDB.ancien");
    ASSERT_TRUE(QFile::rename(catalogue(), old));
    ASSERT_TRUE(QFile::rename(restored, catalogue()));
    ++injected;
    const QByteArray oldBytes = contents(old);

    read(t.ctx, {"DOC-" + docs[1], "RESTITUTION", "DOC-" + docs[0]});
    EXPECT_EQ(texts(), QStringList()) << "no error";
    EXPECT_EQ(doc(docs[1], "emprunteur"), "00005") << "the loan went to the restored file";
    EXPECT_EQ(doc(docs[0], "emprunté"), "N");
    EXPECT_EQ(contents(old), oldBytes);
}

TEST_F(Faults, CatalogueDamagedBeforeStartUpIsRepaired) {
    const auto pages = tablePages(catalogue());
    const qint64 size = pageSize(catalogue());
    ASSERT_GT(pages.size(), 60u);
    qint64 rowsLost = 0;
    QFile file(catalogue());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    for (size_t i : {size_t(10), size_t(30), size_t(50)}) {
        file.seek((pages[i].first - 1) * size);
        file.write(QByteArray(size, '\x5a'));
        rowsLost += pages[i].second;
        ++injected;
    }
    file.close();
    const QByteArray damaged = contents(catalogue());

    TestContext start(QDateTime(kDay, QTime(8, 15)));
    start.dialogs.answers = {AnswerOk, AnswerYes, AnswerOk};
    StartupHooks hooks;
    hooks.loadSettings = [&] { LoadSettings(start.ctx); };
    ASSERT_EQ(RunStartup(start.ctx, data(), hooks), StartupResult::ShowMainWindow);
    ASSERT_EQ(start.dialogs.shown.size(), 3u);
    EXPECT_EQ(start.dialogs.shown[0].text, "Certains fichiers sont endommagés ou corrompus !!!\n"
                                           "(...suite à une opération d'écriture incomplète...)");
    EXPECT_EQ(start.dialogs.shown[1].text, "Voulez-vous que «La V.O.K.» essaie de les réparer ?");
    EXPECT_EQ(start.ctx.loanLimits.pupilLimit, "2") << "start-up went on to the settings";

    EXPECT_EQ(contents(catalogue() + ".endommagé"), damaged) << "the original is kept";
    {
        Database repaired(catalogue());
        EXPECT_EQ(repaired.integrityCheck(), "ok");
        auto count = repaired.prepare("SELECT count(*) FROM vok");
        count->step();
        EXPECT_EQ(count->integer(0), 2000 - rowsLost) << "every row of the sound pages";
        std::cout << count->integer(0) << " documents of 2000 recovered, " << rowsLost
                  << " lost with their pages" << std::endl;
    }

    // The desk works on the repaired catalogue.
    const QStringList docs = lendable(1);
    desk = DeskState();
    for (const char* reading : {"EMPRUNT", "ECO-00006"}) {
        desk.reading = reading;
        InterpretReading(start.ctx, desk);
    }
    desk.reading = "DOC-" + docs[0];
    InterpretReading(start.ctx, desk);
    EXPECT_EQ(start.dialogs.shown.size(), 3u);
    EXPECT_EQ(doc(docs[0], "emprunteur"), "00006");
}

// The number of faults of every test run, for the figure line.
class FaultCount final : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& test) override {
        const ::testing::TestResult& result = *test.result();
        for (int i = 0; i < result.test_property_count(); ++i) {
            if (std::string(result.GetTestProperty(i).key()) == "faults_injected")
                total_ += std::atoi(result.GetTestProperty(i).value());
        }
    }
    void OnTestProgramEnd(const ::testing::UnitTest&) override {
        std::cout << "faults injected: " << total_ << std::endl;
    }
    int total_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FaultCount);
    return RUN_ALL_TESTS();
}
