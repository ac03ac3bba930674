// The day's journal: the exact bytes of loan and return entries, entries
// appended to an existing file, and failures that leave no part of an entry.

#include "desk/journal.h"
#include "loan_desk_fixture.h"
#include "platform/sqlite_db.h"

#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

using namespace karvel;
using namespace karvel::test;

namespace {

using JournalTest = LoanDeskTest;

TEST_F(JournalTest, LoanAndReturnEntriesAppendedToTheDaysFile) {
    EXPECT_EQ(JournalFileName(QDate(2011, 3, 7)), "11-03-07.JNL");
    // An earlier run of the day left an entry.
    QFile earlier(journalPath());
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("\"plus tôt\"\r\n");
    earlier.close();

    read({"E", "ECO-00042", "DOC-00002"});
    read({"R", "DOC-00009", "DOC-00010", "DOC-00011", "DOC-00020"});
    EXPECT_TRUE(texts().isEmpty());
    EXPECT_EQ(QString::fromUtf8(journal()),
              "\"plus tôt\"\r\n"
              "\"07/03/2026 - 10:30 - Emprunt d'un document\"\r\n"
              "\"Emprunteur : 00042 (emprunteur école - classe CM1 - CM) - Martin Léa\"\r\n"
              "\"Document : 00002 - Tintin, au Tibet - Casterman\"\r\n"
              "\"emprunté le 07/03/2026\"\r\n"
              // The return is journalled with the record as it was lent.
              "\"07/03/2026 - 10:30 - Restitution d'un document\"\r\n"
              "\"Emprunteur : 00042 (emprunteur école - classe CM1 - CM) - Martin Léa\"\r\n"
              "\"Document : 00009 - Le Lion - Gallimard\"\r\n"
              "\"emprunté le 23/02/2026 - restitué le 07/03/2026 - 12 jours\"\r\n"
              "\"07/03/2026 - 10:30 - Restitution d'un document\"\r\n"
              "\"00099 - L'emprunteur n'est plus inscrit dans le fichier (emprunteur école)\"\r\n"
              "\"Document : 00010 - La Fourmi - Gallimard\"\r\n"
              "\"emprunté le 05/03/2026 - restitué le 07/03/2026 - 2 jours\"\r\n"
              "\"07/03/2026 - 10:30 - Restitution d'un document\"\r\n"
              "\"Document : 00011 - Le Loup - Gallimard\"\r\n"
              "\"emprunté le 06/03/2026 - restitué le 07/03/2026 - 1 jour\"\r\n"
              "\"07/03/2026 - 10:30 - Restitution d'un document\"\r\n"
              "\"Emprunteur : 00007 (emprunteur extérieur) - Dupont Jean\"\r\n"
              "\"Document : 00020 - Le Chat - Gallimard\"\r\n"
              "\"emprunté le 07/03/2026 - restitué le 07/03/2026 - 0 jour\"\r\n");

    // Any other action gives an empty dates line.
    t.ctx.desk.CurrentAction = "Inventaire";
    ASSERT_TRUE(WriteJournalEntry(t.ctx));
    EXPECT_TRUE(journal().endsWith("\"Document : 00020 - Le Chat - Gallimard\"\r\n\"\"\r\n"));
}

// A data folder where nothing can be written (root ignores permissions).
class ReadOnlyFolder final : public FileSystem {
  public:
    void append(const QString& path, const QByteArray&) override {
        throw errorFromErrno(EACCES, path);
    }
};

TEST_F(JournalTest, UnwritableJournalLeavesTheLoanAndTheReturnRecorded) {
    ReadOnlyFolder files;
    AppContext ctx(t.dialogs, t.clock, files, t.printer);
    ctx.dataFolder = t.ctx.dataFolder;
    ctx.pupilsFolder = t.ctx.pupilsFolder;
    ctx.loanLimits = t.ctx.loanLimits;
    const QString failure = "Le logiciel a rencontré l'erreur : 70\n\n" +
                            errorFromErrno(EACCES, journalPath()).description();
    for (const char* reading : {"E", "ECO-00043", "DOC-00001", "R", "DOC-00009"}) {
        desk.reading = reading;
        InterpretReading(ctx, desk);
    }
    EXPECT_EQ(texts(), QStringList({failure, failure}));
    EXPECT_EQ(t.dialogs.shown.size(), 0u);
    EXPECT_EQ(doc("00001", "emprunteur"), "00043");
    EXPECT_EQ(doc("00009", "emprunté"), "N");
    EXPECT_EQ(desk.handledDocuments, QStringList({"00009 - Le Lion"}));
    EXPECT_TRUE(desk.reading.isEmpty()) << "the reading is over; the next scan can follow";
    EXPECT_EQ(journal(), "<absent>");
}

TEST_F(JournalTest, ReturnThatCannotBeSavedIsNotJournalled) {
    t.ctx.desk.CurrentAction = "Restitution d'un document";
    DocumentView& view = t.ctx.views.documentsView;
    view.bind(school.catalogue());
    view.query(Queries::documentByNumber("00009"));
    Database(school.catalogue()).exec("DELETE FROM vok WHERE inventaire = '00009'");
    EXPECT_THROW(RecordReturn(t.ctx), KarvelError);
    EXPECT_EQ(journal(), "<absent>");
}

// Another desk appending to the same journal holds the file's lock: an entry
// waits for it, then goes after the other's, or into the file that has the
// name by then when the other desk, failing on a new file, removed it.
TEST(JournalFile, AppendsOfTwoDesksTakeTurns) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.path() + "/26-03-07.JNL";
    for (const bool removed : {false, true}) {
        SCOPED_TRACE(removed ? "removed meanwhile" : "appended meanwhile");
        QFile::remove(path);
        const int other = ::open(QFile::encodeName(path).constData(),
                                 O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        ASSERT_GE(other, 0);
        ASSERT_EQ(::flock(other, LOCK_EX), 0);
        std::atomic<bool> done = false;
        std::thread desk([&] {
            FileSystem().append(path, "\"B\"\r\n");
            done = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(done) << "the entry waits for the other desk's";
        if (removed)
            ::unlink(QFile::encodeName(path).constData());
        else
            ASSERT_EQ(::write(other, "\"A\"\r\n", 5), 5);
        ::close(other);
        desk.join();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), removed ? "\"B\"\r\n" : "\"A\"\r\n\"B\"\r\n");
    }
}

} // namespace
