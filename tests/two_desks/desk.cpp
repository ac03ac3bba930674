// One of two loan desks on one school's folder, run by the two-desk test,
// which makes both validate their readings at the same instant.
//
// two_desks_desk DATA_FOLDER PUPIL SEED DAY
//   PUPIL is the number of the pupil this desk lends to; DAY (yyyy-mm-dd) is
//   the clock's date. Prints "ready" once started. Then, for each line read:
//   "L NUMBER" (lend the document), "R NUMBER" (take it back) or "M NUMBER"
//   (mark it in a stocktaking): makes the readings that come before the
//   document's (the command, the pupil's card) and prints "set"; on the next
//   line, "go", validates the document's reading, answering every limit
//   question with Yes, and prints "saved" or "not saved", one line per box
//   shown ("box ICON<TAB>CAPTION<TAB>TEXT", line feeds as \n), then "end".
//   "quit" ends.

#include "data/settings.h"
#include "desk/app_context.h"
#include "desk/desk_state.h"
#include "desk/interpreter.h"
#include "desk/stocktaking.h"
#include "fixed_clock.h"
#include "recording_printer.h"
#include "scripted_dialogs.h"
#include "shell/startup.h"

#include <QCoreApplication>
#include <chrono>
#include <iostream>
#include <random>
#include <string>
#include <thread>

using namespace karvel;

namespace {

class Desk {
  public:
    Desk(AppContext& ctx, ScriptedDialogs& dialogs, QString pupil, quint64 seed)
        : ctx_(ctx), dialogs_(dialogs), pupil_(std::move(pupil)), random_(seed) {
        // The librarian takes a moment over the force question, long enough
        // at times for the other desk to lend the same document meanwhile.
        dialogs_.whileOpen = [this](const ShownMessage& m) {
            if (m.buttons == Buttons::YesNo && random_() % 2)
                std::this_thread::sleep_for(std::chrono::microseconds(random_() % 3000));
        };
    }

    // The readings before the document's.
    void set(char action, const QString& number) {
        action_ = action;
        document_ = QStringLiteral("DOC-") + number;
        if (action == 'L') {
            read(QStringLiteral("EMPRUNT"));
            read(QStringLiteral("ECO-") + pupil_);
        } else if (action == 'R') {
            read(QStringLiteral("RESTITUTION"));
        }
        dialogs_.shown.clear();
    }

    // The document's reading; true when the change was saved.
    bool go() {
        if (action_ == 'M') {
            dialogs_.inputs = {document_, std::nullopt};
            RunStocktaking(ctx_);
            return !dialogs_.shown.empty() &&
                   dialogs_.shown.back().text == QStringLiteral(" 1 document inventorié  ");
        }
        dialogs_.answers = {AnswerOk, AnswerYes};
        read(document_);
        dialogs_.answers.clear();
        // The command word and the card emptied the list: a line is a change saved.
        return desk_.handledDocuments.size() == 1;
    }

  private:
    void read(const QString& reading) {
        desk_.reading = reading;
        InterpretReading(ctx_, desk_);
    }

    AppContext& ctx_;
    ScriptedDialogs& dialogs_;
    QString pupil_;
    std::mt19937_64 random_;
    DeskState desk_;
    char action_ = 0;
    QString document_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::cerr << "usage: two_desks_desk DATA_FOLDER PUPIL SEED DAY" << std::endl;
        return 2;
    }
    ScriptedDialogs dialogs;
    FixedClock clock(QDateTime(QDate::fromString(args[4], Qt::ISODate), QTime(10, 30)));
    FileSystem files;
    RecordingPrinter printer;
    AppContext ctx(dialogs, clock, files, printer);
    StartupHooks hooks;
    hooks.loadSettings = [&] { LoadSettings(ctx); };
    if (RunStartup(ctx, args[1], hooks) != StartupResult::ShowMainWindow ||
        !dialogs.shown.empty()) {
        std::cerr << "start-up did not go through" << std::endl;
        return 3;
    }
    std::cout << "ready" << std::endl;

    Desk desk(ctx, dialogs, args[2], args[3].toULongLong());
    for (std::string line; std::getline(std::cin, line) && line != "quit";) {
        if (line.size() < 3 || (line[0] != 'L' && line[0] != 'R' && line[0] != 'M')) {
            std::cerr << "unknown line: " << line << std::endl;
            return 2;
        }
        desk.set(line[0], QString::fromStdString(line.substr(2)));
        std::cout << "set" << std::endl;
        if (!std::getline(std::cin, line) || line != "go")
            return 2;
        const bool saved = desk.go();
        std::cout << (saved ? "saved" : "not saved") << '\n';
        for (const ShownMessage& m : dialogs.shown)
            std::cout
                << "box " << int(m.icon) << '\t' << m.caption.toStdString() << '\t'
                << QString(m.text).replace(QLatin1Char('\n'), QStringLiteral("\\n")).toStdString()
                << '\n';
        dialogs.shown.clear();
        std::cout << "end" << std::endl;
    }
    return 0;
}
