// A day at the loan desk, played by a script on a school's real files:
// loans (some beyond the limit, forced or not), returns and stocktaking
// marks, then the backups of quitting. The crash test kills it at random
// moments and starts it again on what it left.
//
// crash_desk_session DATA_FOLDER SEED VISITS DAY [repair | import FILE]
//   DAY (yyyy-mm-dd) is the clock's date, so the journal is one known file.
//   With "repair", start-up finds a damaged file and the repair offered is
//   accepted; the session prints "repairing" before it starts, "repaired"
//   at its end. With "import", the pupil file FILE is imported, bad lines
//   skipped and absent pupils removed, between "importing" and "imported".
// Prints "ready" once started, one "v" per visit done and "backups" when
// the quit backups begin; every standard error message goes to stderr, and
// the exit code is then 3.

#include "common/text.h"
#include "data/backups.h"
#include "data/folders.h"
#include "data/settings.h"
#include "desk/app_context.h"
#include "desk/desk_state.h"
#include "desk/interpreter.h"
#include "desk/stocktaking.h"
#include "fixed_clock.h"
#include "platform/sqlite_db.h"
#include "recording_printer.h"
#include "school_year/pupil_import.h"
#include "scripted_dialogs.h"
#include "shell/startup.h"

#include <QCoreApplication>
#include <iostream>
#include <random>

using namespace karvel;

namespace {

// The standard error message is the only failure a session may not meet.
int reportFailures(ScriptedDialogs& dialogs) {
    int failures = 0;
    for (const ShownMessage& m : dialogs.shown) {
        if (m.caption == kApplicationTitle || m.text.startsWith(QStringLiteral("Le logiciel"))) {
            std::cerr << "message: " << m.text.toStdString() << std::endl;
            ++failures;
        }
    }
    dialogs.shown.clear();
    return failures;
}

class Session {
  public:
    Session(AppContext& ctx, ScriptedDialogs& dialogs, quint64 seed)
        : ctx_(ctx), dialogs_(dialogs), random_(seed) {}

    void visit() {
        const int kind = below(100);
        if (kind < 55)
            lend();
        else if (kind < 90)
            takeBack();
        else
            stocktake();
    }

  private:
    int below(int n) { return int(random_() % quint64(n)); }
    static QString number(int n) { return QStringLiteral("%1").arg(n, 5, 10, QLatin1Char('0')); }
    QString anyDocument() { return QStringLiteral("DOC-") + number(1 + below(2000)); }

    void read(const QString& reading) {
        desk_.reading = reading;
        InterpretReading(ctx_, desk_);
        // Answers left unused must not answer the next reading's questions.
        dialogs_.answers.clear();
    }

    void lend() {
        read(below(4) ? QStringLiteral("EMPRUNT") : QStringLiteral("E"));
        read(below(5) ? QStringLiteral("ECO-") + number(1 + below(300))
                      : QStringLiteral("EXT-") + number(1 + below(40)));
        for (int n = 1 + below(3); n > 0; --n) {
            // A refusal takes the OK; a limit message takes the OK and the
            // force question the next answer.
            dialogs_.answers = {AnswerOk, below(10) < 7 ? AnswerYes : AnswerNo};
            read(anyDocument());
        }
    }

    // Mostly documents that are out, as a returns desk sees them.
    void takeBack() {
        read(below(4) ? QStringLiteral("RESTITUTION") : QStringLiteral("R"));
        for (int n = 1 + below(3); n > 0; --n)
            read(below(10) ? lentDocument() : anyDocument());
    }

    QString lentDocument() {
        if (!catalogue_)
            catalogue_ = std::make_unique<Database>(pathIn(ctx_.dataFolder, kCatalogueFile));
        auto count =
            catalogue_->prepare(QStringLiteral("SELECT count(*) FROM vok WHERE emprunté = 'O'"));
        count->step();
        const qint64 lent = count->integer(0);
        if (lent == 0)
            return anyDocument();
        auto pick = catalogue_->prepare(QStringLiteral(
            "SELECT inventaire FROM vok WHERE emprunté = 'O' ORDER BY rowid LIMIT 1 OFFSET ?1"));
        pick->bind(1, qint64(below(int(lent))));
        return pick->step() ? QStringLiteral("DOC-") + pick->text(0) : anyDocument();
    }

    void stocktake() {
        dialogs_.inputs.clear();
        for (int n = 1 + below(2); n > 0; --n)
            dialogs_.inputs.push_back(anyDocument());
        dialogs_.inputs.push_back(std::nullopt);
        RunStocktaking(ctx_);
        dialogs_.inputs.clear();
    }

    AppContext& ctx_;
    ScriptedDialogs& dialogs_;
    std::mt19937_64 random_;
    DeskState desk_;
    std::unique_ptr<Database> catalogue_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool repair = args.size() == 6 && args[5] == QLatin1String("repair");
    const bool import = args.size() == 7 && args[5] == QLatin1String("import");
    if (args.size() != 5 && !repair && !import) {
        std::cerr << "usage: crash_desk_session DATA_FOLDER SEED VISITS DAY [repair | import FILE]"
                  << std::endl;
        return 2;
    }
    const QDate day = QDate::fromString(args[4], Qt::ISODate);
    if (import) {
        const Folders found = resolveFolders(args[1]);
        const school_year::SchoolFolders folders{found.data, found.pupils};
        const school_year::PupilFile file = school_year::readPupilFile(args[6]);
        FileSystem files;
        std::cout << "importing" << std::endl;
        school_year::applyPupilImport(files, day, folders, file, {true, true},
                                      school_year::preparePupilImport(folders, file));
        std::cout << "imported" << std::endl;
        return 0;
    }

    ScriptedDialogs dialogs;
    FixedClock clock(QDateTime(day, QTime(10, 30)));
    FileSystem files;
    RecordingPrinter printer;
    AppContext ctx(dialogs, clock, files, printer);
    StartupHooks hooks;
    hooks.loadSettings = [&] { LoadSettings(ctx); };
    if (repair) {
        dialogs.answers = {AnswerOk, AnswerYes, AnswerOk};
        std::cout << "repairing" << std::endl;
        const bool ended = RunStartup(ctx, args[1], hooks) == StartupResult::ShowMainWindow;
        std::cout << (ended && dialogs.shown.size() == 3 ? "repaired" : "not repaired")
                  << std::endl;
        return 0;
    }
    const StartupResult started = RunStartup(ctx, args[1], hooks);
    // Any message at start-up (a damaged file, a repair offered) means the
    // last run left something behind.
    if (started != StartupResult::ShowMainWindow || !dialogs.shown.empty()) {
        for (const ShownMessage& m : dialogs.shown)
            std::cerr << "start-up: " << m.text.toStdString() << std::endl;
        std::cerr << "start-up did not go through" << std::endl;
        return 3;
    }
    std::cout << "ready" << std::endl;

    int failures = 0;
    Session session(ctx, dialogs, args[2].toULongLong());
    const int visits = args[3].toInt();
    for (int i = 0; i < visits; ++i) {
        session.visit();
        failures += reportFailures(dialogs);
        std::cout << 'v' << std::flush;
    }
    std::cout << "\nbackups" << std::endl;
    MakeBackups(ctx);
    failures += reportFailures(dialogs);
    std::cout << "\ndone" << std::endl;
    return failures ? 3 : 0;
}
