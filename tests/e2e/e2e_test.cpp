// The real program on a virtual screen, driven as a keyboard-wedge barcode
// reader drives it: each code typed into the focused field and ended by
// Enter, message boxes answered by keys as a person would. Everything is
// checked afterwards from outside the program.

#include "platform/sqlite_db.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace karvel;

namespace {

// A virtual X screen for the time of the test.
class VirtualScreen {
  public:
    VirtualScreen() {
        for (int n = 90; n < 140 && display_.isEmpty(); ++n) {
            if (QFile::exists(QString("/tmp/.X%1-lock").arg(n)))
                continue;
            server_.start("Xvfb", {QString(":%1").arg(n), "-screen", "0", "1280x1024x24",
                                   "-nolisten", "tcp"});
            if (!server_.waitForStarted(5000))
                return;
            for (int i = 0; i < 50; ++i) {
                if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n))) {
                    display_ = QString(":%1").arg(n);
                    break;
                }
                if (server_.state() != QProcess::Running)
                    break;
                QThread::msleep(100);
            }
        }
    }
    ~VirtualScreen() {
        server_.terminate();
        server_.waitForFinished(3000);
    }
    const QString& display() const { return display_; }

  private:
    QProcess server_;
    QString display_;
};

class Session {
  public:
    explicit Session(QString display) : display_(std::move(display)) {}

    // Runs xdotool; its output, or nothing when it failed.
    QString xdotool(const QStringList& args, int timeoutMs = 15000) {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display_);
        tool.setProcessEnvironment(env);
        tool.start("xdotool", args);
        if (!tool.waitForFinished(timeoutMs)) {
            tool.kill();
            tool.waitForFinished();
            return QString();
        }
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }
    // Waits for a visible window whose title holds `title`; its id.
    // Generous: the machine may be busy building while the test runs.
    QString waitWindow(const QString& title) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 60000) {
            const QString ids = xdotool({"search", "--onlyvisible", "--name", title});
            if (!ids.isEmpty())
                return ids.split('\n').last();
            QThread::msleep(100);
        }
        return QString();
    }
    void waitGone(const QString& window) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000) {
            if (xdotool({"search", "--onlyvisible", "--name", "KarVel pour La V.O.K."})
                    .split('\n')
                    .indexOf(window) < 0)
                return;
            QThread::msleep(100);
        }
    }
    // A message box of the program: waits for it, presses `keys`, waits until it goes.
    bool answer(const QString& keys) {
        const QString box = waitWindow("KarVel pour La V.O.K.");
        if (box.isEmpty())
            return false;
        // Real key presses on the focused box: events sent to a window
        // directly are taken by Qt, but leave the next Enter unread.
        xdotool({"windowfocus", "--sync", box});
        xdotool({"key", keys});
        waitGone(box);
        return true;
    }
    // A person answering each box that opens with Enter (OK, or the default
    // Non of a question) until none is left; how many there were.
    int answerAll() {
        int answered = 0;
        for (;;) {
            QElapsedTimer clock;
            clock.start();
            QString box;
            while (box.isEmpty() && clock.elapsed() < 3000) {
                box = xdotool({"search", "--onlyvisible", "--name", "KarVel pour La V.O.K."})
                          .split('\n')
                          .last();
                if (box.isEmpty())
                    QThread::msleep(100);
            }
            if (box.isEmpty())
                return answered;
            // A person reads the box before pressing a key.
            QThread::msleep(300);
            xdotool({"windowfocus", "--sync", box});
            xdotool({"key", "Return"});
            waitGone(box);
            ++answered;
        }
    }
    // A click on the main window, away from the desk, as a pupil's elbow might.
    void clickAt(int x, int y) {
        xdotool({"mousemove", "--sync", QString::number(x), QString::number(y)});
        xdotool({"click", "1"});
        QThread::msleep(200);
    }
    // What the reader does: the code, then Enter, into the focused field.
    void scan(const QString& code) {
        xdotool({"type", "--delay", "15", code});
        xdotool({"key", "Return"});
        QThread::msleep(300);
    }

  private:
    QString display_;
};

QString one(Database& db, const QString& sql) {
    auto stmt = db.prepare(sql);
    return stmt->step() ? stmt->text(0) : QString();
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A demo school made for today, in a folder of its own.
struct DemoSchool {
    DemoSchool() {
        made = QProcess::execute(KARVEL_DEMO_BINARY, {dir.path(), "--date", today}) == 0;
    }
    QString data() const { return dir.path() + "/LAVOK"; }

    // Pupils holding nothing (the demo's limit for pupils is 2).
    QStringList pupilsWithoutLoans(int count) {
        QStringList found;
        Database pupils(dir.path() + "/LEMAVORI/LEMAVORI.MDB");
        Database catalogue(data() + "/VOK.MDB");
        auto stmt = pupils.prepare("SELECT matricule FROM enfants ORDER BY matricule");
        while (found.size() < count && stmt->step()) {
            const QString candidate = stmt->text(0);
            auto loans = catalogue.prepare(
                "SELECT count(*) FROM vok WHERE emprunteur = ?1 AND emprunté = 'O'");
            loans->bind(1, candidate);
            loans->step();
            if (loans->integer(0) == 0)
                found << candidate;
        }
        return found;
    }
    // Documents on the shelf that may be lent.
    QStringList documentsOnTheShelf(int count) {
        QStringList found;
        Database catalogue(data() + "/VOK.MDB");
        auto free = catalogue.prepare("SELECT inventaire FROM vok WHERE emprunt = 'O' AND "
                                      "(emprunté = 'N' OR emprunté = '') ORDER BY inventaire "
                                      "LIMIT ?1");
        free->bind(1, QString::number(count));
        while (free->step())
            found << free->text(0);
        return found;
    }
    // The documents lent to a pupil, in number order.
    QStringList lentTo(const QString& pupil) {
        QStringList found;
        Database catalogue(data() + "/VOK.MDB", Database::Mode::ReadOnly);
        auto stmt = catalogue.prepare("SELECT inventaire FROM vok WHERE emprunteur = ?1 AND "
                                      "emprunté = 'O' ORDER BY inventaire");
        stmt->bind(1, pupil);
        while (stmt->step())
            found << stmt->text(0);
        return found;
    }
    QString journal() const {
        return QString::fromUtf8(
            readAll(data() + "/" + QDate::currentDate().toString("yy-MM-dd") + ".JNL"));
    }

    QTemporaryDir dir;
    const QString today = QDate::currentDate().toString("dd/MM/yyyy");
    bool made = false;
};

// Starts the built program in the school's data folder, on the virtual screen.
void start(QProcess& karvel, const VirtualScreen& screen, const DemoSchool& school,
           const QString& pdf) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", screen.display());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("KARVEL_PDF", pdf);
    karvel.setProcessEnvironment(env);
    karvel.setWorkingDirectory(school.data());
    karvel.setProcessChannelMode(QProcess::ForwardedChannels);
    karvel.start(KARVEL_BINARY, {});
}

bool haveVirtualScreenTools() {
    return !QStandardPaths::findExecutable("Xvfb").isEmpty() &&
           !QStandardPaths::findExecutable("xdotool").isEmpty();
}

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!haveVirtualScreenTools())
            GTEST_SKIP() << "Xvfb et xdotool sont nécessaires (paquets xvfb et xdotool)";
        screen = std::make_unique<VirtualScreen>();
        ASSERT_FALSE(screen->display().isEmpty()) << "no virtual screen";
        ASSERT_TRUE(school.made);
    }

    std::unique_ptr<VirtualScreen> screen;
    DemoSchool school;
};

TEST_F(EndToEnd, LoansForcedLoanPrintReturnsAndQuit) {
    const QString data = school.data();
    const QString today = school.today;
    const QString pdf = school.dir.path() + "/liste.pdf";
    const QStringList pupils = school.pupilsWithoutLoans(1);
    ASSERT_EQ(pupils.size(), 1);
    const QString pupil = pupils[0];
    const QStringList documents = school.documentsOnTheShelf(3);
    ASSERT_EQ(documents.size(), 3);

    QProcess karvel;
    start(karvel, *screen, school, pdf);
    ASSERT_TRUE(karvel.waitForStarted(10000));

    Session s(screen->display());
    // The loan desk lives inside the main window, its reading field focused.
    const QString desk = s.waitWindow("La VOK - Gestion des Codes-Barres");
    ASSERT_FALSE(desk.isEmpty()) << "the main window did not open";
    s.xdotool({"windowfocus", "--sync", desk});

    s.scan("EMPRUNT");
    s.scan("ECO-" + pupil);
    s.scan("DOC-" + documents[0]);
    s.scan("DOC-" + documents[1]);
    s.scan("DOC-" + documents[2]);
    EXPECT_TRUE(s.answer("Return")) << "the limit message";
    EXPECT_TRUE(s.answer("alt+o")) << "the force question, answered Oui";
    s.xdotool({"windowfocus", "--sync", desk});
    s.scan("IMPRESSION");
    EXPECT_TRUE(s.answer("Return")) << "where the PDF file is";
    s.xdotool({"windowfocus", "--sync", desk});
    s.scan("RESTITUTION");
    s.scan("DOC-" + documents[0]);
    s.scan("DOC-" + documents[1]);

    // Quit through the main window's menu and the quit window.
    const QString main = s.waitWindow("La VOK - Gestion des Codes-Barres");
    ASSERT_FALSE(main.isEmpty());
    s.xdotool({"windowfocus", "--sync", main});
    s.xdotool({"key", "alt+f"});
    QThread::msleep(300);
    s.xdotool({"key", "q"});
    const QString quit = s.waitWindow("Quitter ?");
    ASSERT_FALSE(quit.isEmpty()) << "the quit window did not show";
    s.xdotool({"windowfocus", "--sync", quit});
    s.xdotool({"key", "alt+o"});
    EXPECT_TRUE(s.answer("Return")) << "the backup notice";
    EXPECT_TRUE(karvel.waitForFinished(20000)) << "the program did not end";
    if (karvel.state() != QProcess::NotRunning) {
        karvel.kill();
        karvel.waitForFinished();
    }

    // The catalogue: two returned, the forced third still lent to the pupil.
    Database catalogue(data + "/VOK.MDB", Database::Mode::ReadOnly);
    const auto field = [&](const QString& number, const QString& name) {
        return one(catalogue,
                   "SELECT \"" + name + "\" FROM vok WHERE inventaire = '" + number + "'");
    };
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(field(documents[i], "emprunté"), "N") << documents[i].toStdString();
        EXPECT_EQ(field(documents[i], "emprunteur"), "");
        EXPECT_EQ(field(documents[i], "dateemprunt"), today);
    }
    EXPECT_EQ(field(documents[2], "emprunté"), "O");
    EXPECT_EQ(field(documents[2], "emprunteur"), pupil);
    EXPECT_EQ(field(documents[2], "catégorieemprunteur"), "école");

    // The journal: three loans and two returns, in that order.
    const QString text = school.journal();
    EXPECT_EQ(text.count("Emprunt d'un document"), 3) << text.toStdString();
    EXPECT_EQ(text.count("Restitution d'un document"), 2);
    EXPECT_EQ(text.count("\r\n"), 5 * 4) << "four lines an entry, each ended by CR LF";
    EXPECT_LT(text.indexOf("Emprunt"), text.indexOf("Restitution"));

    // The printed list: one page holding the three documents lent.
    const QByteArray printed = readAll(pdf);
    EXPECT_TRUE(printed.startsWith("%PDF"));
    EXPECT_EQ(printed.count("/Type /Page\n") + printed.count("/Type /Page "), 1);

    // The backups of the day, with their notes.
    const QString dd = QDate::currentDate().toString("dd");
    for (const QString prefix : {"VOK_", "MAV_", "MBRS_"}) {
        EXPECT_TRUE(QFile::exists(data + "/" + prefix + dd + ".BAK")) << prefix.toStdString();
        EXPECT_TRUE(readAll(data + "/" + prefix + dd + ".TXT").contains(today.toUtf8()));
    }
    Database backup(data + "/VOK_" + dd + ".BAK", Database::Mode::ReadOnly);
    EXPECT_EQ(backup.integrityCheck(), "ok");
    EXPECT_EQ(one(backup, "SELECT emprunteur FROM vok WHERE inventaire = '" + documents[2] + "'"),
              pupil);
}

// A pupil with a limit of two scans five documents in a row at a reader's
// speed, nobody at the screen; then a person answers every box with Enter.
// Only two are lent: no reading answered a box or forced a loan. Then the
// same with clicks on the main window between the scans.
TEST_F(EndToEnd, FiveQuickScansPastTheLimitLendTwo) {
    const QStringList pupils = school.pupilsWithoutLoans(2);
    ASSERT_EQ(pupils.size(), 2);
    const QStringList documents = school.documentsOnTheShelf(10);
    ASSERT_EQ(documents.size(), 10);

    QProcess karvel;
    start(karvel, *screen, school, school.dir.path() + "/liste.pdf");
    ASSERT_TRUE(karvel.waitForStarted(10000));
    Session s(screen->display());
    const QString main = s.waitWindow("La VOK - Gestion des Codes-Barres");
    ASSERT_FALSE(main.isEmpty()) << "the main window did not open";
    s.xdotool({"windowfocus", "--sync", main});

    s.scan("EMPRUNT");
    s.scan("ECO-" + pupils[0]);
    for (int i = 0; i < 5; ++i)
        s.scan("DOC-" + documents[i]);
    // The third, fourth and fifth each get the limit message, the force
    // question (default Non) and "L'emprunt n'a pas été forcé...".
    EXPECT_EQ(s.answerAll(), 9);
    EXPECT_EQ(school.lentTo(pupils[0]), documents.mid(0, 2));

    s.xdotool({"windowfocus", "--sync", main});
    s.scan("ECO-" + pupils[1]);
    for (int i = 5; i < 10; ++i) {
        s.scan("DOC-" + documents[i]);
        // Away from the desk, on the main window's empty space, and on its menu bar.
        s.clickAt(40, 1000);
        if (i == 5) {
            s.clickAt(10, 8);
            s.xdotool({"key", "Escape"});
        }
    }
    EXPECT_EQ(s.answerAll(), 9);
    EXPECT_EQ(school.lentTo(pupils[1]), documents.mid(5, 2));
    EXPECT_EQ(school.journal().count("Emprunt d'un document"), 4);

    karvel.kill();
    karvel.waitForFinished();
}

} // namespace
