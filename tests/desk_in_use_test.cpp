// The desk as a school uses it: a barcode reader typing at its own speed
// while boxes are open, a person answering them, clicks on the main window
// and on the desk's buttons. Real windows on the offscreen platform, real Qt
// message boxes, real files; only the person is scripted.

#include "desk/desk_state.h"
#include "desk/interpreter.h"
#include "desk/loan_desk_window.h"
#include "desk/stocktaking.h"
#include "fixed_clock.h"
#include "platform/qt_dialogs.h"
#include "platform/reading_rhythm.h"
#include "preview_driver.h"
#include "recording_sounds.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "test_data.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <gtest/gtest.h>
#include <iostream>
#include <random>

using namespace karvel;
using namespace karvel::test;

namespace {

// ---- The rhythm alone: keys at given times, what each became. ----

struct KeyRow {
    int row;
    const char* keys; // "D@0" a printable key at 0 ms, "#@9" Enter, "~@9" Escape, "." idle
    const char* outcome;
};

QString playRhythm(const char* script) {
    ReadingRhythm rhythm;
    QStringList outcome;
    for (const QString& step : QString::fromLatin1(script).split(' ')) {
        const QChar key = step.at(0);
        const qint64 at = step.mid(2).toLongLong();
        if (key == '.') {
            if (const int released = rhythm.idle(at))
                outcome << QStringLiteral("person:%1").arg(released);
            continue;
        }
        const ReadingRhythm::Key kind = key == '#'   ? ReadingRhythm::Key::Enter
                                        : key == '~' ? ReadingRhythm::Key::Other
                                                     : ReadingRhythm::Key::Printable;
        const ReadingRhythm::Verdict verdict = rhythm.press(kind, QString(key), at);
        if (verdict.release)
            outcome << QStringLiteral("person:%1").arg(verdict.release);
        if (!verdict.reading.isEmpty())
            outcome << QStringLiteral("reading:") + verdict.reading;
        if (verdict.pass)
            outcome << QStringLiteral("box");
    }
    return outcome.join(' ');
}

TEST(ReadingRhythmTest, TellsAReaderFromAPerson) {
    const KeyRow rows[] = {
        {1, "D@0 O@5 C@10 #@15", "reading:DOC"},
        {2, "#@0", "box"},                          // a person's Enter answers
        {3, "O@0 .@60", "person:1"},                // a person's mnemonic, a gap later
        {4, "O@0 #@200", "person:1 box"},           // a person's key, then Enter
        {5, "O@0 ~@10", "person:1 box"},            // Escape: what was held was a person's
        {6, "E@0 C@50 O@100 #@150", "reading:ECO"}, // 50 ms is still a reader
        {7, "E@0 C@51 #@60", "person:1 reading:C"}, // 51 ms is a pause
        {8, "A@0 #@5 B@300 #@305", "reading:A reading:B"},
        {9, "A@0 #@5 #@400", "reading:A box"},         // the person answers after the scan
        {10, "A@0 B@5 .@30 C@40 #@45", "reading:ABC"}, // idle within a gap keeps the burst
    };
    for (const KeyRow& row : rows)
        EXPECT_EQ(playRhythm(row.keys), QString::fromLatin1(row.outcome)) << "row " << row.row;
}

// ---- The desk with real boxes. ----

// A person in front of the desk: each box that opens gets the next step. The
// reader may scan while it is open (each reading typed a few milliseconds a
// key, then Enter, a moment between books); then the person looks at the
// box and answers it with one key.
struct Step {
    QString box;          // how the box's text starts
    QStringList readings; // scanned while it is open
    QString answer;       // the person's key: "Return", "Escape" or a letter
};

// The reader's keys go in one after another with no event processed in
// between: a busy test machine could otherwise stretch a burst past the gap
// and turn a reader into a person. The real rhythm is the end-to-end test's.
constexpr int kReaderKeyDelayMs = 0;

class Person : public QObject {
  public:
    Person() {
        connect(&look_, &QTimer::timeout, this, &Person::look);
        look_.start(5);
    }
    ~Person() override { EXPECT_TRUE(steps.empty()) << steps.size() << " boxes never opened"; }

    std::deque<Step> steps;
    // Each box as the person saw it when answering: its text's first line,
    // what it said of waiting readings, and its default button.
    QStringList seen;

  private:
    void look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (answering_ || !modal || modal->property("seen").toBool())
            return;
        modal->setProperty("seen", true);
        answering_ = true;
        auto* box = qobject_cast<QMessageBox*>(modal);
        auto* input = qobject_cast<QInputDialog*>(modal);
        const QString text = box ? box->text() : input ? input->labelText() : QString();
        if (steps.empty()) {
            ADD_FAILURE() << "unexpected box: " << text.toStdString();
            modal->close();
            answering_ = false;
            return;
        }
        const Step step = steps.front();
        steps.pop_front();
        EXPECT_TRUE(text.startsWith(step.box)) << text.toStdString();

        QWidget* target = modal->focusWidget() ? modal->focusWidget() : modal;
        for (const QString& reading : step.readings) {
            QTest::keyClicks(target, reading, Qt::NoModifier, kReaderKeyDelayMs);
            QTest::keyClick(target, Qt::Key_Return, Qt::NoModifier, kReaderKeyDelayMs);
            QTest::qWait(int(kReaderKeyGapMs) * 2); // the pupil takes the next book
        }
        QTest::qWait(int(kReaderKeyGapMs) * 2);
        if (box) {
            QString line = text.section('\n', 0, 0);
            if (!box->informativeText().isEmpty())
                line += QStringLiteral(" [") + box->informativeText() + ']';
            if (box->defaultButton())
                line += QStringLiteral(" {") + box->defaultButton()->text() + '}';
            seen << line;
        }
        answering_ = false;
        if (step.answer == QLatin1String("Return"))
            QTest::keyClick(target, Qt::Key_Return);
        else if (step.answer == QLatin1String("Escape"))
            QTest::keyClick(target, Qt::Key_Escape);
        else if (!step.answer.isEmpty())
            QTest::keyClick(target, step.answer.at(0).toLatin1());
    }

    QTimer look_;
    bool answering_ = false;
};

Row document(const QString& number, const QString& title, const QString& state = "N",
             const QString& borrower = QString()) {
    return {{"inventaire", number},
            {"titre", title},
            {"emprunt", "O"},
            {"emprunté", state},
            {"emprunteur", borrower},
            {"catégorieemprunteur", borrower.isEmpty() ? QString() : QStringLiteral("école")},
            {"cumul", "000"}};
}

// A small school, the main window with its desk, and Qt's own boxes.
class DeskInUseTest : public ::testing::Test {
  protected:
    DeskInUseTest() : ctx(dialogs, clock, files, printer) {
        fill(school);
        EXPECT_EQ(RunStartup(ctx, school.data(), {}), StartupResult::ShowMainWindow);
        ctx.loanLimits = {"2", "0", "15"};
        window = std::make_unique<MainWindow>(ctx, QuitActions{[] {}, [](int) {}});
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::qWait(20); // the desk opens once the main window is up
    }

    static void fill(SchoolFolder& school) {
        SchoolFolder::insert(school.catalogue(), "vok",
                             {document("00001", "Le Petit Prince"), document("00002", "Tintin"),
                              document("00003", "Astérix"), document("00004", "Babar"),
                              document("00005", "Le Lion"),
                              document("00006", "Les Misérables", "O", "00043")});
        SchoolFolder::insert(school.pupilsFile(), "équipe",
                             {{{"équipenuméro", "09"},
                               {"équipeniveau", "CM1"},
                               {"équipeinstituteur", "M. Garnier"}}});
        SchoolFolder::insert(school.pupilsFile(), "enfants",
                             {{{"matricule", "00042"},
                               {"nomenfant", "Martin"},
                               {"prénomenfant", "Léa"},
                               {"classe", "09"}},
                              {{"matricule", "00043"},
                               {"nomenfant", "Petit"},
                               {"prénomenfant", "Tom"},
                               {"classe", "09"}}});
    }

    LoanDeskWindow& desk() { return window->loanDesk(); }
    template <typename T = QWidget> T* control(QWidget* parent, const char* name) {
        auto* found = parent->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* reading() { return control<QLineEdit>(&desk(), "Text1"); }
    // What the reader does with no box open: the code, then Enter, into
    // whatever has the focus.
    void scan(const QString& code) {
        (void)QTest::qWaitFor([&] { return QApplication::focusWidget() == reading(); }, 500);
        QWidget* focus = QApplication::focusWidget();
        ASSERT_EQ(focus, reading()) << "the reading would go nowhere";
        QTest::keyClicks(focus, code, Qt::NoModifier, kReaderKeyDelayMs);
        QTest::keyClick(focus, Qt::Key_Return, Qt::NoModifier, kReaderKeyDelayMs);
    }
    // The window system hands the activation back a moment after a box or
    // a window closes.
    void expectReadingFocused(const char* when = "") {
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == reading(); }, 1000))
            << when;
    }
    QString doc(const QString& number, const QString& field) {
        return SchoolFolder::value(school.catalogue(), "vok", "inventaire", number, field);
    }
    static QString journal(const SchoolFolder& school) {
        QFile file(school.data() + "/26-03-07.JNL");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QStringList listed() {
        QStringList lines;
        auto* list = control<QListWidget>(&desk(), "List1");
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines;
    }

    SchoolFolder school;
    QtDialogs dialogs;
    FixedClock clock{QDateTime(QDate(2026, 3, 7), QTime(10, 30))};
    FileSystem files;
    RecordingPrinter printer;
    AppContext ctx;
    std::unique_ptr<MainWindow> window;
};

// Nobody answers while a pupil goes on scanning past the limit of two: the
// limit message and the force question never take a reading's Enter or its
// "O" for a yes; the readings wait and are refused in turn once the person
// says no.
TEST_F(DeskInUseTest, ReadingsDuringTheLimitQuestionsWaitAndNeverForce) {
    Person person;
    const QString limit = "L'élève a déjà emprunté 2 livres...";
    const QString force = "Voulez-vous forcer cet emprunt ?";
    const QString notForced = "L'emprunt n'a pas été forcé...";
    person.steps = {{limit, {"DOC-00004"}, "Return"},
                    {force, {"DOC-00005"}, "n"},
                    {notForced, {}, "Return"},
                    {limit, {}, "Return"},
                    {force, {}, "Return"},
                    {notForced, {}, "Return"},
                    {limit, {}, "Return"},
                    {force, {}, "Return"},
                    {notForced, {}, "Return"}};
    for (const char* code : {"EMPRUNT", "ECO-00042", "DOC-00001", "DOC-00002", "DOC-00003"})
        scan(code);
    QTest::qWait(50);

    const QString one = " [1 lecture en attente]", two = " [2 lectures en attente]";
    const QString no = " {&Non}";
    EXPECT_EQ(person.seen, QStringList({limit + one, force + two + no, notForced + two, //
                                        limit + one, force + one + no, notForced + one, //
                                        limit, force + no, notForced}));
    for (const char* number : {"00003", "00004", "00005"})
        EXPECT_EQ(doc(number, "emprunté"), "N") << number;
    EXPECT_EQ(doc("00002", "emprunteur"), "00042");
    EXPECT_EQ(journal(school).count("Emprunt d'un document"), 2);
    EXPECT_EQ(listed(), QStringList({"00001 - Le Petit Prince", "00002 - Tintin"}));
    expectReadingFocused();
}

// A refused return followed at once by a good one: the second is taken back
// once the refusal is read, listed, journalled.
TEST_F(DeskInUseTest, AReturnScannedDuringARefusalIsMade) {
    RecordingSounds sounds;
    ctx.sounds = &sounds;
    Person person;
    person.steps = {{"Le document n'est pas actuellement", {"DOC-00006"}, "Return"}};
    scan("RESTITUTION");
    scan("DOC-00001");
    QTest::qWait(50);
    EXPECT_EQ(sounds.played, std::vector<Sound>({Sound::Refused, Sound::Waiting, Sound::Recorded}))
        << "the refusal, the reading kept, the return made";
    EXPECT_EQ(control<QListWidget>(&desk(), "List1")->currentRow(), 0) << "the new line stands out";

    EXPECT_EQ(doc("00006", "emprunté"), "N");
    EXPECT_EQ(listed(), QStringList({"00006 - Les Misérables"}));
    EXPECT_EQ(journal(school).count("Restitution d'un document"), 1);
    EXPECT_EQ(control<QLabel>(&desk(), "Label9")->text(), "Tom Petit")
        << "the borrower whose document came back";
    expectReadingFocused();
}

// While the refusal is open the desk shows what it is about, not the
// document before.
TEST_F(DeskInUseTest, TheDeskShowsWhatTheBoxIsAbout) {
    Person person;
    QString shownDuringTheBox;
    person.steps = {{"Le document est déjà considéré", {}, "Return"}};
    QTimer peek;
    QObject::connect(&peek, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget())
            shownDuringTheBox = control<QLineEdit>(&desk(), "Text4")->text();
    });
    peek.start(5);
    scan("EMPRUNT");
    scan("ECO-00042");
    scan("DOC-00002");
    scan("DOC-00006");
    QTest::qWait(50);
    EXPECT_EQ(shownDuringTheBox, "00006");
}

// The stocktaking's messages keep the next scan for the next document.
TEST_F(DeskInUseTest, AStocktakingScanDuringAMessageIsMarkedNext) {
    Person person;
    const QString prompt = "Effectuez une lecture";
    person.steps = {{prompt, {"DOC-00001"}, ""},
                    {prompt, {"DOC-00001"}, ""},
                    {"Le document a déjà été inventorié...", {"DOC-00002"}, "Return"},
                    {prompt, {}, "Escape"},
                    {" 2 documents inventoriés", {}, "Return"}};
    RunStocktaking(ctx);
    EXPECT_EQ(doc("00001", "emprunté"), "I");
    EXPECT_EQ(doc("00002", "emprunté"), "I");
}

// ---- A long session at a reader's speed. ----

// The reader scans at its own pace whatever is on the screen, one reading
// every few tenths of a second, into whatever has the focus; the person
// answers each box with Enter only after zero to two more scans. Every
// reading must be interpreted once, in order, and the files must end as if
// each had come after the answers.
class Session : public QObject {
  public:
    Session(QStringList readings, quint32 seed) : readings_(std::move(readings)), random_(seed) {
        QTimer::singleShot(0, this, &Session::tick);
    }
    bool done() const { return done_; }
    int typed = 0;
    int typedWhileABoxWasOpen = 0;
    int typedToNowhere = 0;

  private:
    // Scheduled afresh each time: a tick that opens a box runs on inside it,
    // and the next tick must come all the same.
    void tick() {
        QWidget* box = QApplication::activeModalWidget();
        if (!box && next_ == readings_.size()) {
            done_ = true;
            return;
        }
        QTimer::singleShot(int(kReaderKeyGapMs) * 2, this, &Session::tick);
        if (box) {
            if (!box->property("patience").isValid())
                box->setProperty("patience", int(random_() % 3));
            const int patience = box->property("patience").toInt();
            if (patience == 0 || next_ == readings_.size()) {
                box->setProperty("patience", -1);
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
                return;
            }
            box->setProperty("patience", patience - 1);
        }
        if (next_ == readings_.size())
            return;
        const QString reading = readings_[next_++];
        ++typed;
        QWidget* target =
            box ? (box->focusWidget() ? box->focusWidget() : box) : QApplication::focusWidget();
        if (!target) {
            ++typedToNowhere;
            return;
        }
        if (box)
            ++typedWhileABoxWasOpen;
        QTest::keyClicks(target, reading, Qt::NoModifier, kReaderKeyDelayMs);
        QTest::keyClick(target, Qt::Key_Return, Qt::NoModifier, kReaderKeyDelayMs);
    }

    QStringList readings_;
    qsizetype next_ = 0;
    std::mt19937 random_;
    bool done_ = false;
};

TEST_F(DeskInUseTest, ALongSessionEndsAsIfEachReadingCameAfterTheAnswers) {
    std::mt19937 random(20261208);
    const QStringList kinds = {"EMPRUNT",   "RESTITUTION", "ECO-00042",
                               "ECO-00043", "ECO-00099",   "DOC-99999"};
    QStringList readings;
    for (int i = 0; i < 150; ++i) {
        const unsigned pick = random() % 10;
        readings << (pick < 6 ? QStringLiteral("DOC-0000%1").arg(1 + random() % 6)
                              : kinds[random() % kinds.size()]);
    }

    QStringList interpreted;
    QObject::connect(&desk(), &LoanDeskWindow::readingInterpreted,
                     [&](const QString& reading) { interpreted << reading; });
    Session session(readings, 7);
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.done(); }, 120000));

    // The same readings one at a time, every box answered as it opens.
    SchoolFolder reference;
    fill(reference);
    TestContext one;
    ASSERT_EQ(RunStartup(one.ctx, reference.data(), {}), StartupResult::ShowMainWindow);
    one.ctx.loanLimits = ctx.loanLimits;
    DeskState calm;
    for (const QString& reading : readings) {
        calm.reading = reading;
        InterpretReading(one.ctx, calm);
    }

    EXPECT_EQ(interpreted, readings) << "each reading once, in the order it was made";
    for (int n = 1; n <= 6; ++n) {
        const QString number = QStringLiteral("0000%1").arg(n);
        for (const char* field : {"emprunté", "emprunteur", "catégorieemprunteur", "cumul"})
            EXPECT_EQ(doc(number, field), SchoolFolder::value(reference.catalogue(), "vok",
                                                              "inventaire", number, field))
                << number.toStdString() << ' ' << field;
    }
    EXPECT_EQ(journal(school), journal(reference));
    EXPECT_EQ(listed(), calm.handledDocuments);
    EXPECT_EQ(session.typedToNowhere, 0);
    EXPECT_GT(session.typedWhileABoxWasOpen, 10) << "the session tried what it means to";
    // The figures of the run, kept by the test log.
    std::cout << "readings typed: " << session.typed << '\n'
              << "readings kept while a box was open: " << session.typedWhileABoxWasOpen << '\n'
              << "readings lost: " << (readings.size() - interpreted.size()) << '\n';
}

// ---- The desk inside the main window, and where the focus goes. ----

TEST_F(DeskInUseTest, TheMainWindowHoldsItsWindows) {
    EXPECT_EQ(desk().window(), window.get());
    auto* frame = window->findChild<QMdiArea*>("MDIClient");
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(frame->activeSubWindow(), nullptr);
    EXPECT_EQ(frame->activeSubWindow()->widget(), &desk());
    EXPECT_EQ(frame->activeSubWindow()->windowTitle(), desk().windowTitle());

    // A click anywhere on the main window leaves the desk in front, reading.
    QTest::mouseClick(frame->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseClick(window->menuBar(), Qt::LeftButton, {}, QPoint(2, 2));
    QTest::keyClick(window->menuBar(), Qt::Key_Escape);
    EXPECT_TRUE(desk().isVisible());
    scan("EMPRUNT");
    EXPECT_EQ(control<QLineEdit>(&desk(), "Text2")->text(), "EMPRUNT");

    // Closed, it is hidden, not destroyed, and the menu brings it back empty.
    QPointer<QWidget> held = &desk();
    frame->activeSubWindow()->close();
    QTest::qWait(10);
    ASSERT_FALSE(held.isNull());
    EXPECT_FALSE(desk().isVisible());
    window->loanDeskAction()->trigger();
    EXPECT_TRUE(desk().isVisible());
    EXPECT_TRUE(control<QLineEdit>(&desk(), "Text2")->text().isEmpty());
    expectReadingFocused();
}

TEST_F(DeskInUseTest, TheReadingFieldGetsTheFocusBackAfterEachButton) {
    struct Case {
        const char* button; // pressed on the desk
        const char* window; // the choice window it opens
        const char* quit;   // its Quitter button; none: its close box
    };
    for (const Case& c :
         {Case{"SSCommand4", "Form5", nullptr}, Case{"SSCommand5", "Form3", "SSCommand2"},
          Case{"SSCommand6", "Form4", nullptr}, Case{"SSCommand1", nullptr, nullptr}}) {
        QTest::mouseClick(control<QPushButton>(&desk(), c.button), Qt::LeftButton);
        if (c.window) {
            QWidget* choice = window->findChild<QWidget*>(QString::fromLatin1(c.window));
            ASSERT_NE(choice, nullptr) << c.window;
            EXPECT_TRUE(choice->isVisible()) << c.window;
            EXPECT_EQ(choice->window(), window.get()) << c.window << " inside the main window";
            if (c.quit)
                QTest::mouseClick(control<QPushButton>(choice, c.quit), Qt::LeftButton);
            else
                choice->close();
        }
        expectReadingFocused(c.button);
    }

    // Printing the list, with its notice.
    Person person;
    person.steps = {};
    QTest::mouseClick(control<QPushButton>(&desk(), "SSCommand7"), Qt::LeftButton);
    expectReadingFocused("after printing");

    // A stocktaking started from the menu, ended at once.
    person.steps = {{"Voulez-vous réellement", {}, "Return"},
                    {"Effectuez une lecture", {}, "Escape"},
                    {" 0 document inventorié", {}, "Return"}};
    window->findChild<QAction*>("menuinventaireindex1")->trigger();
    expectReadingFocused("after a stocktaking");
}

} // namespace

// A pupil scans while the librarian looks at the preview of the list: the
// reading types nothing into the preview and is made once it closes.
TEST_F(DeskInUseTest, AReadingDuringThePreviewIsMadeOnceItCloses) {
    scan("EMPRUNT");
    scan("ECO-00042");
    scan("DOC-00001");
    whenPreviewShows("Fermer", [&](int) {
        QWidget* preview = QApplication::activeModalWidget();
        ASSERT_NE(preview, nullptr);
        QTest::keyClicks(preview, "DOC-00002", Qt::NoModifier, kReaderKeyDelayMs);
        QTest::keyClick(preview, Qt::Key_Return, Qt::NoModifier, kReaderKeyDelayMs);
        EXPECT_EQ(doc("00002", "emprunté"), "N") << "not while the preview is open";
    });
    control<QPushButton>(&desk(), "SSCommand8")->click();
    EXPECT_EQ(doc("00002", "emprunté"), "O");
    EXPECT_EQ(listed(), (QStringList{"00001 - Le Petit Prince", "00002 - Tintin"}));
    EXPECT_TRUE(printer.jobs().empty());
    expectReadingFocused("after the preview");
}
