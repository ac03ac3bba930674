// Two loan desks on one school's folder, as a school with two desk PCs has
// them: two processes (tests/two_desks/desk.cpp) lend, force, take back and
// mark the same 40 documents, and press Enter on each reading at the same
// instant, round after round. After every such step the files are checked
// from outside: the journal entries of the step, replayed in the order the
// changes were made, turn the catalogue as it was into the catalogue as it
// is; no document is lent to two borrowers nor taken back twice; each desk
// journals exactly the changes it saved; and each change not saved was
// refused with one stop message, which tells the truth when it blames the
// other desk.

#include "catalogue_replay.h"
#include "demo_data.h"
#include "desk/journal.h"
#include "platform/dialogs.h"
#include "platform/sqlite_db.h"
#include "test_data.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <random>
#include <tuple>

using namespace karvel;
using namespace karvel::test;

namespace {

constexpr int kDocuments = 40;
constexpr int kRounds = 50;
const QDate kDay(2026, 3, 9);
const std::array<QString, 2> kPupils = {"00001", "00002"};

struct Box {
    int icon = 0;
    QString caption;
    QString text;
};

struct Outcome {
    bool saved = false;
    std::vector<Box> boxes;
};

// One desk, its lines read as they come.
class DeskProcess {
  public:
    DeskProcess(const QString& data, const QString& pupil, quint64 seed) {
        process_.start(QStringLiteral(KARVEL_TWO_DESKS_DESK),
                       {data, pupil, QString::number(seed), kDay.toString(Qt::ISODate)});
    }
    ~DeskProcess() {
        process_.write("quit\n");
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000))
            process_.kill();
    }
    DeskProcess(const DeskProcess&) = delete;
    DeskProcess& operator=(const DeskProcess&) = delete;

    void send(const QByteArray& line) {
        process_.write(line + '\n');
        process_.waitForBytesWritten(10000);
    }
    // The next line, without its line end; empty after a minute without one.
    QString line() {
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(60000))
                return QString();
        }
        return QString::fromUtf8(process_.readLine()).chopped(1);
    }
    Outcome outcome() {
        Outcome outcome;
        outcome.saved = line() == QLatin1String("saved");
        for (QString l = line(); l.startsWith(QLatin1String("box ")); l = line()) {
            const QStringList parts = l.mid(4).split(QLatin1Char('\t'));
            if (parts.size() == 3)
                outcome.boxes.push_back(
                    {parts[0].toInt(), parts[1], QString(parts[2]).replace("\\n", "\n")});
        }
        return outcome;
    }
    QString errors() { return QString::fromUtf8(process_.readAllStandardError()); }

  private:
    QProcess process_;
};

struct Move {
    int desk = 0;
    char action = 0; // L lend, R take back, M mark
    QString document;
    bool saved = false;
};

struct Figures {
    int operations = 0;
    int saved = 0;
    int lentTwice = 0;
    int returnsTwice = 0;
    int overtaken = 0;
    int forced = 0;
    int notSaved = 0;
    int refusalsSaid = 0;
};

class TwoDesks {
  public:
    explicit TwoDesks(const QString& root) : data_(root + QStringLiteral("/LAVOK")) {
        createDemoData(root, {kDocuments, kDay});
        // Every document on the shelf and lendable, none lent yet.
        Database(catalogue())
            .exec("UPDATE vok SET emprunt = 'O', emprunté = 'N', emprunteur = '', "
                  "catégorieemprunteur = '', cumul = '000'");
        last_ = readCatalogue(catalogue());
    }

    QString data() const { return data_; }
    QString catalogue() const { return data_ + QStringLiteral("/VOK.MDB"); }
    // Both desks append to the same day's journal.
    QString journal() const { return data_ + QLatin1Char('/') + JournalFileName(kDay); }
    const Catalogue& catalogueAsChecked() const { return last_; }

    // The stocktaking is ended outside the program, between two steps.
    void endStocktaking() {
        Database(catalogue()).exec("UPDATE vok SET emprunté = 'N' WHERE emprunté = 'I'");
        last_ = readCatalogue(catalogue());
    }

    // Checks the files and the boxes after one step of both desks.
    void check(const std::array<Move, 2>& moves, const std::array<Outcome, 2>& outcomes,
               Figures& figures) {
        QStringList bad;
        const std::vector<Entry> entries = readEntries(journal(), offset_, bad);
        EXPECT_TRUE(bad.isEmpty()) << bad.join(QLatin1Char('\n')).toStdString();
        const Catalogue now = readCatalogue(catalogue());

        // Replayed in the order that explains the files; two changes of one
        // document in one step were made in one order or the other.
        std::vector<Entry> expected;
        QStringList touched = {moves[0].document};
        if (moves[1].document != moves[0].document)
            touched << moves[1].document;
        for (const QString& document : touched) {
            std::vector<const Move*> changes;
            for (const Move& m : moves)
                if (m.saved && m.document == document)
                    changes.push_back(&m);
            replay(document, changes, now.at(document), expected, figures);
        }
        const auto key = [](const Entry& e) {
            return std::make_tuple(e.loan, e.document, e.borrower, e.category);
        };
        std::vector<std::tuple<bool, QString, QString, QString>> written, made;
        for (const Entry& e : entries)
            written.push_back(key(e));
        for (const Entry& e : expected)
            made.push_back(key(e));
        std::sort(written.begin(), written.end());
        std::sort(made.begin(), made.end());
        EXPECT_EQ(written, made) << "the journal holds the changes saved, each once";
        EXPECT_EQ(now, last_) << "no other document changed";

        for (int i = 0; i < 2; ++i)
            checkBoxes(moves[size_t(i)], moves[size_t(1 - i)], outcomes[size_t(i)], figures);
        last_ = now;
    }

  private:
    void replay(const QString& document, std::vector<const Move*> changes, const DocumentState& now,
                std::vector<Entry>& expected, Figures& figures) {
        std::sort(changes.begin(), changes.end());
        const DocumentState before = last_.at(document);
        int lentTwice = 0, returnsTwice = 0;
        do {
            DocumentState d = before;
            std::vector<Entry> entries;
            lentTwice = returnsTwice = 0;
            int overwritten = 0; // a mark or a loan over a mark, a mark over a loan
            for (const Move* m : changes) {
                const bool in = d.state == QLatin1String("N") || d.state.isEmpty();
                if (m->action == 'L') {
                    lentTwice += d.state == QLatin1String("O");
                    overwritten += d.state == QLatin1String("I");
                    d = {QStringLiteral("O"), kPupils[size_t(m->desk)], QStringLiteral("école"),
                         d.loans + 1};
                    entries.push_back({true, document, d.borrower, d.category});
                } else if (m->action == 'R') {
                    returnsTwice += d.state != QLatin1String("O");
                    entries.push_back({false, document, d.borrower, d.category});
                    d = {QStringLiteral("N"), {}, {}, d.loans};
                } else {
                    overwritten += !in;
                    d = {QStringLiteral("I"), {}, {}, d.loans};
                }
            }
            if (d == now && lentTwice + returnsTwice + overwritten == 0) {
                expected.insert(expected.end(), entries.begin(), entries.end());
                last_[document] = now;
                return;
            }
        } while (std::next_permutation(changes.begin(), changes.end()));
        figures.lentTwice += lentTwice;
        figures.returnsTwice += returnsTwice;
        ADD_FAILURE() << "document " << document.toStdString() << " went from " << before << " to "
                      << now << " through " << changes.size() << " changes saved";
        last_[document] = now;
    }

    void checkBoxes(const Move& move, const Move& other, const Outcome& outcome, Figures& figures) {
        ++figures.operations;
        figures.saved += move.saved;
        int stops = 0;
        for (const Box& box : outcome.boxes) {
            EXPECT_EQ(box.caption, "KarVel pour La V.O.K.") << box.text.toStdString();
            if (box.text == QLatin1String("Voulez-vous forcer cet emprunt ?"))
                figures.forced += move.saved;
            if (box.icon != int(Icon::Critical))
                continue;
            ++stops;
            if (!box.text.contains(QStringLiteral("à un autre poste")))
                continue;
            ++figures.overtaken;
            // Blamed on the other desk: it did change this document in this step.
            const bool otherChanged = other.saved && other.document == move.document;
            const QString done =
                !otherChanged         ? QStringLiteral("?")
                : other.action == 'L' ? QStringLiteral("emprunté à un autre poste (emprunteur : ") +
                                            kPupils[size_t(other.desk)] + ')'
                : other.action == 'R' ? QStringLiteral("restitué à un autre poste")
                                      : QStringLiteral("inventorié à un autre poste");
            EXPECT_TRUE(box.text.startsWith(QStringLiteral("Le document vient d'être ") + done))
                << box.text.toStdString();
            const QString notDone(move.action == 'L' ? "L'emprunt n'a pas été enregistré."
                                  : move.action == 'R'
                                      ? "La restitution n'a pas été enregistrée."
                                      : "Il n'a pas été compté dans cet inventaire.");
            EXPECT_TRUE(box.text.endsWith("...\n" + notDone)) << box.text.toStdString();
        }
        if (move.saved) {
            EXPECT_EQ(stops, 0) << move.action << ' ' << move.document.toStdString();
        } else {
            ++figures.notSaved;
            figures.refusalsSaid += stops == 1;
            EXPECT_EQ(stops, 1) << move.action << ' ' << move.document.toStdString()
                                << " was not saved: one refusal says so";
        }
    }

    QString data_;
    Catalogue last_;
    qint64 offset_ = 0;
};

// What a librarian does with a document in such a state, mostly.
char pick(const DocumentState& d, std::mt19937_64& random) {
    const int r = int(random() % 100);
    if (d.state == QLatin1String("O"))
        return r < 70 ? 'R' : r < 90 ? 'L' : 'M';
    if (d.state == QLatin1String("I"))
        return r < 34 ? 'L' : r < 67 ? 'R' : 'M';
    return r < 70 ? 'L' : r < 85 ? 'R' : 'M';
}

TEST(TwoDesks, SameDocumentsAtTheSameInstants) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TwoDesks files(dir.path() + QStringLiteral("/ECOLE"));
    std::mt19937_64 random(20260309);
    std::array<std::unique_ptr<DeskProcess>, 2> desks;
    for (size_t i = 0; i < 2; ++i) {
        desks[i] = std::make_unique<DeskProcess>(files.data(), kPupils[i], random());
        ASSERT_EQ(desks[i]->line(), "ready") << desks[i]->errors().toStdString();
    }

    QStringList documents;
    for (const auto& [number, d] : files.catalogueAsChecked())
        documents << number;
    ASSERT_EQ(documents.size(), kDocuments);
    Figures figures;
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < kRounds; ++round) {
        std::shuffle(documents.begin(), documents.end(), random);
        for (int step = 0; step < kDocuments; ++step) {
            SCOPED_TRACE("round " + std::to_string(round) + ", step " + std::to_string(step));
            // Mostly the same document at both desks.
            const QString& first = documents[step];
            const QString& second = random() % 10 ? first : documents[int(random() % kDocuments)];
            std::array<Move, 2> moves = {
                Move{0, pick(files.catalogueAsChecked().at(first), random), first},
                Move{1, pick(files.catalogueAsChecked().at(second), random), second}};
            for (size_t i = 0; i < 2; ++i) {
                desks[i]->send(QByteArray(1, moves[i].action) + ' ' + moves[i].document.toUtf8());
                ASSERT_EQ(desks[i]->line(), "set") << desks[i]->errors().toStdString();
            }
            // Enter at both desks; which one is a hair earlier varies.
            const size_t early = random() % 2;
            desks[early]->send("go");
            desks[1 - early]->send("go");
            std::array<Outcome, 2> outcomes;
            for (size_t i = 0; i < 2; ++i) {
                outcomes[i] = desks[i]->outcome();
                moves[i].saved = outcomes[i].saved;
            }
            files.check(moves, outcomes, figures);
            if (::testing::Test::HasFailure())
                return;
        }
        files.endStocktaking();
    }
    for (auto& desk : desks)
        EXPECT_EQ(desk->errors(), "");
    EXPECT_EQ(Database(files.catalogue()).integrityCheck(), "ok");

    EXPECT_EQ(figures.lentTwice, 0);
    EXPECT_EQ(figures.returnsTwice, 0);
    EXPECT_EQ(figures.refusalsSaid, figures.notSaved);
    // The desks did meet: each kind of change was overtaken at times.
    EXPECT_GT(figures.overtaken, 0);
    EXPECT_GT(figures.forced, 0);
    std::cout << "two-desk operations: " << figures.operations
              << ", lent twice: " << figures.lentTwice
              << ", returns journalled twice: " << figures.returnsTwice << " (" << figures.saved
              << " saved, " << figures.forced << " of them forced; " << figures.notSaved
              << " refused, " << figures.refusalsSaid << " with their message, "
              << figures.overtaken << " because the other desk had just changed the document) in "
              << timer.elapsed() / 1000.0 << " s" << std::endl;
    ::testing::Test::RecordProperty("two_desk_operations", figures.operations);
}

} // namespace
