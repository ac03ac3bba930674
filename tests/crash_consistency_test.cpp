// A desk session on the demo school, killed with SIGKILL at random moments and
// started again on what it left, over and over. After each kill the files
// must agree: every database is sound, the journal tells the same story as
// the catalogue, no document is out without a borrower, and the next run
// starts without a word and goes on.
//
// The journal is written after the catalogue (a loan is saved, then
// journalled; a return's entry is made before and written after the save),
// so a kill can leave the catalogue one change ahead of the journal, never
// behind it. The check replays the entries written since the last kill on
// the catalogue as it was then, and allows at most one document per kill to
// be ahead: lent with its count of loans one higher, or returned. Stocktaking
// marks are not journalled: a document that was not out may be marked.

#include "catalogue_replay.h"
#include "data/folders.h"
#include "demo_data.h"
#include "platform/sqlite_db.h"
#include "test_data.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <random>

using namespace karvel;
using namespace karvel::test;

namespace {

constexpr int kKills = 200;
const QDate kDay(2026, 3, 9);

class CrashRun {
  public:
    explicit CrashRun(const QString& root) : data_(root + QStringLiteral("/LAVOK")) {
        createDemoData(root, {2000, kDay});
        pupils_ = root + QStringLiteral("/LEMAVORI/LEMAVORI.MDB");
        last_ = readCatalogue(catalogue());
    }

    QString data() const { return data_; }
    QString catalogue() const { return data_ + QStringLiteral("/VOK.MDB"); }
    QString journal() const {
        return data_ + QLatin1Char('/') + kDay.toString(QStringLiteral("yy-MM-dd")) +
               QStringLiteral(".JNL");
    }
    int entriesSeen() const { return entries_; }

    // Checks what a run left; `inFlight` is how many changes may be ahead
    // of the journal (1 after a kill, 0 after a run that ended).
    void check(int run, int inFlight) {
        SCOPED_TRACE("run " + std::to_string(run));
        QStringList databases = {catalogue(), data_ + QStringLiteral("/MEMBRES.MDB"),
                                 data_ + QStringLiteral("/COTATION.MDB"), pupils_};
        for (const QString& name : QDir(data_).entryList({QStringLiteral("*.BAK")}))
            databases << data_ + QLatin1Char('/') + name;
        for (const QString& path : databases) {
            try {
                EXPECT_EQ(Database(path).integrityCheck(), "ok") << path.toStdString();
            } catch (const KarvelError& error) {
                ADD_FAILURE() << path.toStdString() << ": " << error.what();
            }
        }
        checkSettingsAndNotes();

        const Catalogue now = readCatalogue(catalogue());
        for (const auto& [number, d] : now) {
            if (d.state == QLatin1String("O")) {
                EXPECT_TRUE(!d.borrower.isEmpty() && !d.category.isEmpty())
                    << number.toStdString() << " is out without a borrower " << d;
            }
        }

        // Replays the new entries on the catalogue as the last check left it.
        QStringList bad;
        const std::vector<Entry> entries = readEntries(journal(), offset_, bad);
        EXPECT_TRUE(bad.isEmpty()) << bad.join(QLatin1Char('\n')).toStdString();
        entries_ += int(entries.size());
        Catalogue replayed = last_;
        for (const Entry& e : entries) {
            const auto it = replayed.find(e.document);
            if (it == replayed.end()) {
                ADD_FAILURE() << "journal names an unknown document " << e.document.toStdString();
                continue;
            }
            DocumentState& d = it->second;
            if (e.loan) {
                EXPECT_TRUE(d.state.isEmpty() || d.state == QLatin1String("N"))
                    << "loan of " << e.document.toStdString() << " journalled from " << d;
                d = {QStringLiteral("O"), e.borrower, e.category, d.loans + 1};
            } else {
                EXPECT_EQ(d.state, QStringLiteral("O"))
                    << "return of " << e.document.toStdString() << " journalled from " << d;
                EXPECT_EQ(e.borrower, d.borrower) << e.document.toStdString();
                EXPECT_EQ(e.category, d.category) << e.document.toStdString();
                d = {QStringLiteral("N"), {}, {}, d.loans};
            }
        }

        int ahead = 0;
        for (const auto& [number, d] : now) {
            const auto it = replayed.find(number);
            if (it == replayed.end()) {
                ADD_FAILURE() << "document " << number.toStdString() << " appeared";
                continue;
            }
            const DocumentState& r = it->second;
            if (d == r)
                continue;
            const bool wasIn = r.state.isEmpty() || r.state == QLatin1String("N");
            const bool marked = d.state == QLatin1String("I") && d.borrower.isEmpty() &&
                                d.category.isEmpty() && d.loans == r.loans;
            const bool lentAhead = d.state == QLatin1String("O") && d.loans == r.loans + 1;
            const bool returnedAhead = r.state == QLatin1String("O") &&
                                       d.state == QLatin1String("N") && d.borrower.isEmpty() &&
                                       d.category.isEmpty() && d.loans == r.loans;
            if (wasIn && marked)
                continue;
            if ((wasIn && lentAhead) || returnedAhead)
                ++ahead;
            else
                ADD_FAILURE() << number.toStdString() << " is " << d << ", the journal says " << r;
        }
        EXPECT_LE(ahead, inFlight) << "changes missing from the journal";
        ahead_ += ahead;
        EXPECT_EQ(now.size(), last_.size());
        last_ = now;
    }

    int changesAhead() const { return ahead_; }

  private:
    // Files rewritten whole are there complete, or as they were.
    void checkSettingsAndNotes() {
        QFile settings(data_ + QStringLiteral("/KARVEL.INI"));
        if (settings.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = settings.readAll();
            if (settingsBytes_.isEmpty())
                settingsBytes_ = bytes;
            EXPECT_EQ(bytes, settingsBytes_) << "KARVEL.INI changed";
            EXPECT_EQ(bytes.count("\"\r\n"), 10) << bytes.toStdString();
        } else {
            EXPECT_TRUE(settingsBytes_.isEmpty()) << "KARVEL.INI is gone";
        }
        for (const QString& name : QDir(data_).entryList({QStringLiteral("*.TXT")})) {
            QFile note(data_ + QLatin1Char('/') + name);
            ASSERT_TRUE(note.open(QIODevice::ReadOnly));
            const QByteArray bytes = note.readAll();
            EXPECT_EQ(bytes.count("\"\r\n"), 3) << name.toStdString();
            EXPECT_TRUE(bytes.endsWith("existant...\"\r\n")) << name.toStdString();
        }
    }

    QString data_;
    QString pupils_;
    Catalogue last_;
    qint64 offset_ = 0;
    QByteArray settingsBytes_;
    int entries_ = 0;
    int ahead_ = 0;
};

struct RunOutcome {
    bool killed = false;
    bool ready = false;
    int visits = 0;
    int exitCode = 0;
    QString errors;
    qint64 msAfterMark = 0; // from the mark to the end or the kill
};

// In a build checked by the sanitizers, a session may be killed while its
// leak check runs at exit: the checker then says it lost the threads it was
// looking at. That is the kill, not a fault of the session; any other line,
// an error report above all, is kept.
QString withoutLeakCheckCutShort(const QString& errors) {
    static const QRegularExpression cutShort(
        QStringLiteral("Unable to get registers from thread|LeakSanitizer has encountered a "
                       "fatal error|^HINT: (For debugging|LeakSanitizer does not work)"));
    QStringList kept;
    for (const QString& line : errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!line.contains(cutShort))
            kept << line;
    return kept.join(QLatin1Char('\n'));
}

// Runs a session, killed with SIGKILL `killAfterMs` after it starts, or
// after it prints `mark` when one is given, unless it ends first.
RunOutcome runSession(const QString& data, quint64 seed, int visits, int killAfterMs,
                      const QByteArray& mark = {}, const QStringList& extra = {}) {
    QProcess session;
    session.start(QStringLiteral(KARVEL_DESK_SESSION),
                  QStringList{data, QString::number(seed), QString::number(visits),
                              kDay.toString(Qt::ISODate)} +
                      extra);
    RunOutcome outcome;
    if (!session.waitForStarted(10000)) {
        outcome.errors = QStringLiteral("did not start");
        return outcome;
    }
    QByteArray out;
    while (!mark.isEmpty() && !out.contains(mark) && session.waitForReadyRead(60000))
        out += session.readAllStandardOutput();
    QElapsedTimer sinceMark;
    sinceMark.start();
    if (!session.waitForFinished(killAfterMs)) {
        session.kill(); // SIGKILL
        session.waitForFinished(10000);
    }
    outcome.msAfterMark = sinceMark.elapsed();
    outcome.killed = session.exitStatus() == QProcess::CrashExit;
    out += session.readAllStandardOutput();
    outcome.ready = out.startsWith("ready\n");
    outcome.visits = int(out.count('v'));
    outcome.exitCode = session.exitCode();
    outcome.errors = QString::fromUtf8(session.readAllStandardError());
    if (outcome.killed)
        outcome.errors = withoutLeakCheckCutShort(outcome.errors);
    return outcome;
}

TEST(CrashConsistency, DeskSessionKilledAtRandomMoments) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CrashRun files(dir.path() + QStringLiteral("/ECOLE"));

    // The moments and the sessions come from one seed: a failure replays.
    std::mt19937_64 random(20260309);
    int kills = 0, completed = 0, ready = 0, visits = 0;
    QElapsedTimer timer;
    timer.start();
    for (int run = 0; kills < kKills && run < 2 * kKills; ++run) {
        // One run in eight is short enough to end and make the backups.
        const int planned = random() % 8 == 0 ? int(random() % 4) : 1000;
        const int killAfter = 20 + int(random() % 281);
        const RunOutcome outcome = runSession(files.data(), random(), planned, killAfter);
        EXPECT_TRUE(outcome.errors.isEmpty())
            << "run " << run << ": " << outcome.errors.toStdString();
        if (outcome.killed) {
            ++kills;
        } else {
            ++completed;
            EXPECT_EQ(outcome.exitCode, 0) << "run " << run;
            EXPECT_EQ(outcome.visits, planned) << "run " << run;
        }
        ready += outcome.ready;
        visits += outcome.visits;
        files.check(run, outcome.killed ? 1 : 0);
        if (::testing::Test::HasFatalFailure())
            return;
    }

    // The session goes on from what the last kill left, to its end.
    const RunOutcome last = runSession(files.data(), random(), 40, 120000);
    EXPECT_FALSE(last.killed);
    EXPECT_TRUE(last.ready);
    EXPECT_EQ(last.visits, 40);
    EXPECT_EQ(last.exitCode, 0);
    EXPECT_TRUE(last.errors.isEmpty()) << last.errors.toStdString();
    files.check(-1, 0);
    for (const char* name : {"VOK_09.BAK", "MAV_09.BAK", "MBRS_09.BAK"})
        EXPECT_TRUE(QFile::exists(files.data() + "/" + name)) << name;
    // A run that ended leaves no transaction open and no copy half made.
    EXPECT_EQ(QDir(files.data()).entryList({"*-journal", "*.tmp"}), QStringList());

    EXPECT_EQ(kills, kKills);
    // A slow machine (a sanitizer build) starts fewer desks before the kill.
    EXPECT_GT(files.entriesSeen(), kKills / 4) << "the sessions did lend and take back";
    std::cout << "kills survived: " << kills << " (" << completed << " runs ended by themselves, "
              << ready << " started the desk, " << visits << " visits, " << files.entriesSeen()
              << " journal entries, " << files.changesAhead()
              << " changes caught between catalogue and journal) in " << timer.elapsed() / 1000.0
              << " s" << std::endl;
    ::testing::Test::RecordProperty("kills_survived", kills);
}

// A fingerprint of every row of every table; empty when there is no file.
QByteArray fingerprint(const QString& path) {
    if (!QFileInfo(path).isFile())
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    Database db(path, Database::Mode::ReadOnly);
    auto tables = db.prepare(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    while (tables->step()) {
        auto rows =
            db.prepare(QStringLiteral("SELECT * FROM ") + quotedIdentifier(tables->text(0)) +
                       QStringLiteral(" ORDER BY rowid"));
        while (rows->step()) {
            for (int c = 0; c < rows->columnCount(); ++c)
                hash.addData((rows->text(c) + QChar(0x1f)).toUtf8());
        }
    }
    return hash.result();
}

// Sessions killed at any moment of their quit backups: each day's backup is
// the one before or the new one, whole, never half of one, never none.
TEST(CrashConsistency, QuitBackupsKilledAtAnyMoment) {
    constexpr int kBackupKills = 40;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CrashRun files(dir.path() + QStringLiteral("/ECOLE"));
    const QString data = files.data();
    const QStringList sources = {files.catalogue(),
                                 dir.path() + QStringLiteral("/ECOLE/LEMAVORI/LEMAVORI.MDB"),
                                 data + QStringLiteral("/MEMBRES.MDB")};
    const QStringList backups = {data + QStringLiteral("/VOK_09.BAK"),
                                 data + QStringLiteral("/MAV_09.BAK"),
                                 data + QStringLiteral("/MBRS_09.BAK")};

    // A first quit makes the backups no kill may lose, and tells how long a quit takes.
    const RunOutcome first = runSession(data, 1, 0, 60000, "backups\n");
    ASSERT_FALSE(first.killed);
    files.check(0, 0);
    std::vector<QByteArray> previous;
    for (const QString& backup : backups)
        previous.push_back(fingerprint(backup));

    std::mt19937_64 random(20260310);
    int kills = 0, midCopy = 0, replaced = 0;
    for (int run = 1; kills < kBackupKills && run < 3 * kBackupKills; ++run) {
        // A few visits first, so that the new backup differs from the one it replaces.
        const int killAfter = int(random() % quint64(first.msAfterMark * 3 / 2 + 1));
        const RunOutcome outcome =
            runSession(data, random(), int(random() % 3), killAfter, "backups\n");
        EXPECT_TRUE(outcome.errors.isEmpty())
            << "run " << run << ": " << outcome.errors.toStdString();
        kills += outcome.killed;
        midCopy += !QDir(data).entryList({QStringLiteral("*.tmp*")}).isEmpty();
        files.check(run, 0);
        for (int i = 0; i < backups.size(); ++i) {
            try {
                const QByteArray now = fingerprint(backups[i]);
                EXPECT_FALSE(now.isEmpty()) << "run " << run << ": no " << backups[i].toStdString();
                EXPECT_TRUE(now == previous[size_t(i)] || now == fingerprint(sources[i]))
                    << "run " << run << ": " << backups[i].toStdString() << " is neither copy";
                replaced += now != previous[size_t(i)];
                previous[size_t(i)] = now;
            } catch (const KarvelError& error) {
                ADD_FAILURE() << "run " << run << ": " << error.what();
            }
        }
        if (::testing::Test::HasFailure())
            return;
    }
    const RunOutcome last = runSession(data, random(), 1, 60000);
    EXPECT_FALSE(last.killed);
    EXPECT_EQ(QDir(data).entryList({"*-journal", "*.tmp*"}), QStringList());
    EXPECT_EQ(kills, kBackupKills);
    EXPECT_GT(midCopy, 0) << "no kill fell in the middle of a copy";
    std::cout << "quit backups killed: " << kills << " (" << midCopy << " in the middle of a copy, "
              << replaced << " backups replaced whole; a quit takes " << first.msAfterMark << " ms)"
              << std::endl;
    ::testing::Test::RecordProperty("quit_backups_killed", kills);
}

// Repairs of a cut catalogue killed at any moment: the catalogue is then
// the damaged file, untouched, or the repaired one with the damaged file
// kept beside it whole.
TEST(CrashConsistency, RepairKilledAtAnyMoment) {
    constexpr int kRepairKills = 30;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CrashRun files(dir.path() + QStringLiteral("/ECOLE"));
    const QString catalogue = files.catalogue();
    const QString kept = catalogue + QStringLiteral(".endommagé");
    {
        QFile cut(catalogue);
        ASSERT_TRUE(cut.resize(cut.size() * 3 / 5));
    }
    const QByteArray damaged = contents(catalogue);
    const auto putBackDamaged = [&] {
        QFile::remove(kept);
        QFile::remove(catalogue);
        QFile file(catalogue);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    };

    // A repair left to its end tells how long one takes and what it recovers.
    const RunOutcome first = runSession(files.data(), 1, 0, 60000, "repairing\n", {"repair"});
    ASSERT_FALSE(first.killed);
    const QByteArray repaired = fingerprint(catalogue);
    ASSERT_EQ(contents(kept), damaged);

    std::mt19937_64 random(20261208);
    int kills = 0, untouched = 0;
    for (int run = 1; kills < kRepairKills && run < 3 * kRepairKills; ++run) {
        putBackDamaged();
        const int killAfter = int(random() % quint64(first.msAfterMark * 3 / 2 + 1));
        const RunOutcome outcome = runSession(files.data(), random(), 0, killAfter, {}, {"repair"});
        kills += outcome.killed;
        if (contents(catalogue) == damaged) {
            ++untouched;
            continue;
        }
        try {
            EXPECT_EQ(fingerprint(catalogue), repaired) << "run " << run;
        } catch (const KarvelError& error) {
            ADD_FAILURE() << "run " << run << ": " << error.what();
        }
        EXPECT_EQ(contents(kept), damaged) << "run " << run << ": the damaged file is not kept";
        if (::testing::Test::HasFailure())
            return;
    }
    EXPECT_EQ(kills, kRepairKills);
    std::cout << "repairs killed: " << kills << " (" << untouched
              << " left the damaged file untouched; a repair takes " << first.msAfterMark << " ms)"
              << std::endl;
}

// The September file of the demo school: the first forty pupils leave, the
// others move up a class, thirty arrive.
QString writeSeptemberFile(const QString& pupilsFile, const QString& path) {
    QString text = QStringLiteral("Nom;Prénom;Classe;Niveau\n");
    Database db(pupilsFile, Database::Mode::ReadOnly);
    auto pupils = db.prepare(QStringLiteral(
        "SELECT nomenfant, \"prénomenfant\", classe, niveau FROM enfants ORDER BY matricule "
        "LIMIT -1 OFFSET 40"));
    while (pupils->step())
        text += QStringLiteral("%1;%2;%3;%4\n")
                    .arg(pupils->text(0), pupils->text(1))
                    .arg(pupils->text(2).toInt() % 12 + 1, 2, 10, QLatin1Char('0'))
                    .arg(pupils->text(3));
    for (int i = 0; i < 30; ++i)
        text += QStringLiteral("Arrivée%1;Élève;01;GS\n").arg(i);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    return path;
}

// Imports of a September file killed at any moment: the pupils file is
// then the old one or the new one, whole, and once it is the new one, the
// copy of the old one is there.
TEST(CrashConsistency, PupilImportKilledAtAnyMoment) {
    constexpr int kImportKills = 30;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CrashRun files(dir.path() + QStringLiteral("/ECOLE"));
    const QString pupils = dir.path() + QStringLiteral("/ECOLE/LEMAVORI/LEMAVORI.MDB");
    const QString copy = files.data() + QStringLiteral("/MAV_09.BAK");
    const QStringList import = {QStringLiteral("import"),
                                writeSeptemberFile(pupils, dir.path() + "/rentree.csv")};
    const QByteArray original = contents(pupils);
    const QByteArray before = fingerprint(pupils);
    const auto putBackOriginal = [&] {
        for (const QString& gone : {pupils + QStringLiteral("-journal"), pupils, copy})
            QFile::remove(gone);
        QFile file(pupils);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(original);
    };

    const RunOutcome first = runSession(files.data(), 1, 0, 60000, "importing\n", import);
    ASSERT_FALSE(first.killed);
    ASSERT_EQ(first.exitCode, 0) << first.errors.toStdString();
    const QByteArray after = fingerprint(pupils);
    ASSERT_NE(after, before);
    ASSERT_EQ(fingerprint(copy), before);

    std::mt19937_64 random(20261209);
    int kills = 0, untouched = 0, imported = 0, midTransaction = 0;
    for (int run = 1; kills < kImportKills && run < 3 * kImportKills; ++run) {
        putBackOriginal();
        const int killAfter = int(random() % quint64(first.msAfterMark * 3 / 2 + 1));
        const RunOutcome outcome =
            runSession(files.data(), random(), 0, killAfter, "importing\n", import);
        kills += outcome.killed;
        midTransaction += QFileInfo(pupils + QStringLiteral("-journal")).size() > 0;
        try {
            // Opened for writing first, as the desk would: a transaction cut
            // short is rolled back from its journal.
            EXPECT_EQ(Database(pupils).integrityCheck(), "ok") << "run " << run;
            const QByteArray now = fingerprint(pupils);
            EXPECT_TRUE(now == before || now == after) << "run " << run << ": half an import";
            untouched += now == before;
            imported += now == after;
            if (now == after) {
                EXPECT_EQ(fingerprint(copy), before)
                    << "run " << run << ": no copy of the old file";
            }
        } catch (const KarvelError& error) {
            ADD_FAILURE() << "run " << run << ": " << error.what();
        }
        if (::testing::Test::HasFailure())
            return;
    }
    EXPECT_EQ(kills, kImportKills);
    std::cout << "imports killed: " << kills << " (" << midTransaction
              << " in the middle of the transaction, " << untouched << " left the old pupils file, "
              << imported << " the new one; an import takes " << first.msAfterMark << " ms)"
              << std::endl;
}

} // namespace
