// The backups made on quitting: copies, notes, the notice, and copies that
// stay consistent while another program writes.

#include "data/backups.h"
#include "platform/sqlite_db.h"
#include "shell/quit_window.h"
#include "shell/startup.h"
#include "test_data.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <atomic>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace karvel;
using namespace karvel::test;

namespace {

qint64 rowCount(const QString& path, const QString& table) {
    Database db(path, Database::Mode::ReadOnly);
    auto stmt = db.prepare("SELECT count(*) FROM \"" + table + "\"");
    stmt->step();
    return stmt->integer(0);
}

class BackupsTest : public ::testing::Test {
  protected:
    BackupsTest() : t(QDateTime(QDate(2026, 3, 3), QTime(17, 45))) {
        t.ctx.dataFolder = school.data();
        t.ctx.pupilsFolder = school.pupils();
        std::vector<Row> documents;
        for (int i = 1; i <= 300; ++i)
            documents.push_back({{"inventaire", QString("%1").arg(i, 5, 10, QChar('0'))},
                                 {"titre", QString("Titre %1").arg(i)}});
        SchoolFolder::insert(school.catalogue(), "vok", documents);
        SchoolFolder::insert(school.members(), "membres", {{{"matricule", "00001"}}});
        SchoolFolder::insert(school.pupilsFile(), "enfants",
                             {{{"matricule", "00001"}}, {{"matricule", "00002"}}});
    }
    QString inData(const QString& name) const { return school.data() + "/" + name; }
    SchoolFolder school;
    TestContext t;
};

TEST_F(BackupsTest, CopiesAndNotesOfTheDay) {
    t.ctx.views.documentsView.bind(school.catalogue());
    t.ctx.views.documentsView.query(Queries::allDocuments());
    const QStringList copies = MakeBackups(t.ctx);
    EXPECT_EQ(copies.size(), 3);
    EXPECT_FALSE(t.ctx.views.documentsView.isOpen()) << "every link is closed first";
    EXPECT_TRUE(t.dialogs.shown.empty()) << "no notice without LAVOK.INI's switch";

    EXPECT_EQ(contents(inData("VOK_03.TXT")),
              "\"Le fichier VOK_03.BAK est une copie de sauvegarde de votre fichier de VOK.\"\r\n"
              "\"Cette copie a été créée automatiquement le 03/03/2026\"\r\n"
              "\"Pour la récupérer, renommez-la VOK.MDB à la place du fichier VOK.MDB "
              "existant...\"\r\n");
    EXPECT_EQ(contents(inData("MAV_03.TXT")),
              "\"Le fichier MAV_03.BAK est une copie de sauvegarde de votre fichier 'élèves' "
              "utilisé par le logiciel LA VOK.\"\r\n"
              "\"Cette copie a été créée automatiquement le 03/03/2026\"\r\n"
              "\"Pour la récupérer, renommez-la LEMAVORI.MDB à la place du fichier LEMAVORI.MDB "
              "existant...\"\r\n");
    EXPECT_EQ(contents(inData("MBRS_03.TXT")),
              "\"Le fichier MBRS_03.BAK est une copie de sauvegarde de votre fichier 'membres' "
              "(adhérents extérieurs) utilisé par le logiciel LA VOK.\"\r\n"
              "\"Cette copie a été créée automatiquement le 03/03/2026\"\r\n"
              "\"Pour la récupérer, renommez-la MEMBRES.MDB à la place du fichier MEMBRES.MDB "
              "existant...\"\r\n");

    EXPECT_EQ(rowCount(inData("VOK_03.BAK"), "vok"), 300);
    EXPECT_EQ(rowCount(inData("MBRS_03.BAK"), "membres"), 1);
    // The pupils file comes from the sibling folder in use.
    EXPECT_EQ(rowCount(inData("MAV_03.BAK"), "enfants"), 2);
    EXPECT_EQ(QDir(school.data()).entryList({"*.tmp*"}), QStringList()) << "no copy half made";
}

TEST_F(BackupsTest, SameDayReplacesOtherDaysStay) {
    MakeBackups(t.ctx);
    SchoolFolder::insert(school.catalogue(), "vok", {{{"inventaire", "99999"}}});
    MakeBackups(t.ctx);
    EXPECT_EQ(rowCount(inData("VOK_03.BAK"), "vok"), 301) << "the day's copy is replaced";

    t.clock.set(QDateTime(QDate(2026, 3, 7), QTime(9, 0)));
    MakeBackups(t.ctx);
    t.clock.set(QDateTime(QDate(2026, 4, 7), QTime(9, 0)));
    SchoolFolder::insert(school.catalogue(), "vok", {{{"inventaire", "99998"}}});
    MakeBackups(t.ctx);
    EXPECT_EQ(rowCount(inData("VOK_07.BAK"), "vok"), 302);
    EXPECT_EQ(rowCount(inData("VOK_03.BAK"), "vok"), 301) << "the 3rd stays";
    EXPECT_TRUE(contents(inData("VOK_07.TXT")).contains("07/04/2026"));
    EXPECT_TRUE(contents(inData("VOK_03.TXT")).contains("03/03/2026"));
}

TEST_F(BackupsTest, NoticeNamesTheCopiesMade) {
    t.ctx.BackupNotice = "ON";
    MakeBackups(t.ctx);
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    // Folders as they are: on Linux an upper-cased path leads nowhere.
    const QString folder = school.data();
    EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Information);
    EXPECT_EQ(t.dialogs.shown[0].caption, "KarVel pour La V.O.K.");
    EXPECT_EQ(t.dialogs.shown[0].text,
              "Des copies de sauvegarde ont été créées automatiquement par le logiciel.\n\n"
              "En cas de perte accidentelle de données, les fichiers " +
                  folder + "/VOK_03.BAK, " + folder + "/MAV_03.BAK ET " + folder +
                  "/MBRS_03.BAK pourront être récupérés en les renommant respectivement "
                  "VOK.MDB, LEMAVORI.MDB et MEMBRES.MDB");

    // Without the members file: no copy, no note, and the notice names the two others.
    t.dialogs.shown.clear();
    t.clock.set(QDateTime(QDate(2026, 3, 4), QTime(9, 0)));
    QFile::remove(school.members());
    MakeBackups(t.ctx);
    EXPECT_FALSE(QFile::exists(inData("MBRS_04.BAK")));
    EXPECT_FALSE(QFile::exists(inData("MBRS_04.TXT")));
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_TRUE(t.dialogs.shown[0].text.endsWith(
        folder + "/VOK_04.BAK ET " + folder +
        "/MAV_04.BAK pourront être récupérés en les renommant respectivement VOK.MDB et "
        "LEMAVORI.MDB"));

    // No copy at all: no notice.
    t.dialogs.shown.clear();
    QFile::remove(school.catalogue());
    QFile::remove(school.pupilsFile());
    EXPECT_TRUE(MakeBackups(t.ctx).isEmpty());
    EXPECT_TRUE(t.dialogs.shown.empty());
}

TEST_F(BackupsTest, CopyIsConsistentWhileAnotherProgramWrites) {
    std::atomic<bool> stop = false;
    std::atomic<int> written = 0;
    std::thread writer([&] {
        Database other(school.catalogue());
        auto insert = other.prepare("INSERT INTO vok(inventaire, titre) VALUES (?1, 'ajout')");
        for (int i = 0; !stop && i < 5000; ++i) {
            try {
                insert->reset();
                insert->bind(1, QString("A%1").arg(i));
                insert->run();
                ++written;
            } catch (const KarvelError&) {
                // Kept waiting past the busy timeout by a copy: the next row is tried.
            }
            // Another program works at a person's pace, not in a tight loop
            // that would keep every reader out.
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    while (written < 20)
        std::this_thread::yield();
    for (int day = 10; day < 15; ++day) {
        t.clock.set(QDateTime(QDate(2026, 3, day), QTime(9, 0)));
        const QStringList copies = MakeBackups(t.ctx);
        const QString copy = inData(QString("VOK_%1.BAK").arg(day));
        ASSERT_TRUE(copies.contains(copy)) << day;
        try {
            EXPECT_EQ(Database(copy, Database::Mode::ReadOnly).integrityCheck(), "ok");
            EXPECT_GE(rowCount(copy, "vok"), 300);
        } catch (const KarvelError& error) {
            ADD_FAILURE() << error.what();
        }
    }
    stop = true;
    writer.join();
}

// Sources that would give a worse copy than the day's backup: the backup,
// and its note, stay as they were, and one message says which and why.
class KeptBackupsTest : public BackupsTest {
  protected:
    KeptBackupsTest() {
        MakeBackups(t.ctx);
        // The copy kept is the one of the 3rd of last month.
        QFile backup(inData("VOK_03.BAK"));
        backup.open(QIODevice::ReadWrite);
        backup.setFileTime(QDateTime(QDate(2026, 2, 3), QTime(17, 0)),
                           QFileDevice::FileModificationTime);
        good = contents(inData("VOK_03.BAK"));
        writeFile(inData("VOK_03.TXT"), note);
    }
    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    // Quits once; the one message shown, which must name what was kept.
    QString quitKeeping() {
        t.dialogs.shown.clear();
        const QStringList copies = MakeBackups(t.ctx);
        EXPECT_EQ(copies, QStringList({inData("MAV_03.BAK"), inData("MBRS_03.BAK")}));
        EXPECT_EQ(contents(inData("VOK_03.BAK")), good);
        EXPECT_EQ(contents(inData("VOK_03.TXT")), note) << "no note beside a copy not made";
        EXPECT_EQ(QDir(school.data()).entryList({"*.tmp*"}), QStringList());
        if (t.dialogs.shown.size() != 1)
            return QStringLiteral("%1 messages").arg(t.dialogs.shown.size());
        EXPECT_EQ(t.dialogs.shown[0].icon, Icon::Exclamation);
        EXPECT_EQ(t.dialogs.shown[0].caption, "KarVel pour La V.O.K.");
        return t.dialogs.shown[0].text;
    }
    QString message(const QString& line) const {
        return "Attention : certaines copies de sauvegarde n'ont pas été faites.\n\n" + line +
               "\n\nFaites vérifier ces fichiers de données : en cas de perte, la copie gardée "
               "se récupère en la renommant.";
    }
    QString keptCopy() const {
        return " : la copie " + inData("VOK_03.BAK") + " du 03/02/2026 est gardée.";
    }

    QByteArray good;
    const QByteArray note = "la note de la copie gardée";
};

TEST_F(KeptBackupsTest, EmptyCutOrForeignCatalogue) {
    const QByteArray catalogue = contents(school.catalogue());
    const QString damaged = "Le fichier VOK.MDB est endommagé ou n'est pas une base de données";
    const std::vector<std::pair<QByteArray, QString>> cases = {
        {"", "Le fichier VOK.MDB est vide"},
        {catalogue.left(catalogue.size() / 2), damaged},
        {QByteArray(8192, 'x'), damaged},
    };
    for (const auto& [bytes, reason] : cases) {
        SCOPED_TRACE(reason.toStdString() + ", " + std::to_string(bytes.size()) + " bytes");
        writeFile(school.catalogue(), bytes);
        EXPECT_EQ(quitKeeping(), message(reason + keptCopy()));
    }
}

TEST_F(KeptBackupsTest, UnderHalfTheRowsOfTheDaysBackupIsRefusedMoreIsMade) {
    Database(school.catalogue()).exec("DELETE FROM vok WHERE rowid > 149");
    EXPECT_EQ(quitKeeping(), message("Le fichier VOK.MDB ne compte que 149 enregistrements "
                                     "dans la table vok, contre 300 dans la copie précédente" +
                                     keptCopy()));

    // Half of them is still a backup; and the next one may have more again.
    SchoolFolder::insert(school.catalogue(), "vok", {{{"inventaire", "99999"}}});
    t.dialogs.shown.clear();
    EXPECT_EQ(MakeBackups(t.ctx).size(), 3);
    EXPECT_EQ(rowCount(inData("VOK_03.BAK"), "vok"), 150);
    SchoolFolder::insert(school.catalogue(), "vok", {{{"inventaire", "99998"}}});
    EXPECT_EQ(MakeBackups(t.ctx).size(), 3);
    EXPECT_EQ(rowCount(inData("VOK_03.BAK"), "vok"), 151);
    EXPECT_TRUE(t.dialogs.shown.empty());
    EXPECT_TRUE(contents(inData("VOK_03.TXT")).contains("03/03/2026"));
}

TEST_F(KeptBackupsTest, PupilsFileWithoutItsClassesAndNoEarlierCopy) {
    t.clock.set(QDateTime(QDate(2026, 3, 4), QTime(9, 0)));
    Database(school.pupilsFile()).exec("DROP TABLE équipe");
    const QStringList copies = MakeBackups(t.ctx);
    EXPECT_EQ(copies, QStringList({inData("VOK_04.BAK"), inData("MBRS_04.BAK")}));
    EXPECT_FALSE(QFile::exists(inData("MAV_04.TXT")));
    ASSERT_EQ(t.dialogs.shown.size(), 1u);
    EXPECT_EQ(t.dialogs.shown[0].text,
              message("Le fichier LEMAVORI.MDB ne contient pas la table équipe : aucune copie " +
                      inData("MAV_04.BAK") + " n'a été faite."));
}

// What a killed run left goes at the next start, once its writer is gone;
// what may belong to someone else stays.
TEST_F(BackupsTest, LeftoversOfAKilledRunGoAtStart) {
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    // A temporary name as this process makes it, with another process's number.
    const auto of = [this](const QString& target, qint64 pid) {
        QString name = createTemporaryFor(inData(target));
        QFile::remove(name);
        return name.replace("-" + QString::number(getpid()) + "-",
                            "-" + QString::number(pid) + "-");
    };
    const auto make = [](const QString& path, qint64 secondsOld = 0) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("SQLite format 3");
        file.flush();
        file.setFileTime(QDateTime::currentDateTime().addSecs(-secondsOld),
                         QFileDevice::FileModificationTime);
    };
    const QString killedCopy = of("VOK_03.BAK", gone);
    const QStringList removed = {killedCopy,
                                 killedCopy + "-journal",
                                 of("MBRS_21.TXT", gone),
                                 of("KARVEL.INI", gone),
                                 inData("MAV_03.BAK.tmp"),
                                 inData("MAV_03.BAK.tmp-journal"),
                                 of("VOK.MDB", gone)}; // a repair's copy
    for (const QString& path : removed)
        make(path, 7200);
    const QStringList kept = {of("VOK_03.BAK", getppid()), inData("MBRS_03.BAK.tmp"),
                              inData("VOK_05.BAK.autreposte-4242-0badcafe.tmp"),
                              inData("notes.tmp")};
    for (const QString& path : kept)
        make(path);
    const QString link = of("VOK_04.BAK", gone);
    make(school.data() + "/../ailleurs.BAK");
    ASSERT_TRUE(QFile::link(school.data() + "/../ailleurs.BAK", link));

    ASSERT_EQ(RunStartup(t.ctx, school.data(), {}), StartupResult::ShowMainWindow);
    for (const QString& path : removed)
        EXPECT_FALSE(QFile::exists(path)) << path.toStdString();
    for (const QString& path : kept)
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFile::exists(school.data() + "/../ailleurs.BAK"));
}

TEST_F(BackupsTest, QuitWindowMakesTheBackupsAndEndsTheLoop) {
    int exitCode = -1;
    QuitActions actions;
    actions.makeBackups = [this] { MakeBackups(t.ctx); };
    actions.endProgram = [&](int code) { exitCode = code; };
    QuitWindow window(actions);
    window.show();
    window.findChild<QPushButton*>("Commande1")->click();
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(QFile::exists(inData("VOK_03.BAK")));
    EXPECT_TRUE(QFile::exists(inData("MBRS_03.TXT")));
}

} // namespace
