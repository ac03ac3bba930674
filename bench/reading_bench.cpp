// One desk reading that lends or takes back a document (its compare-and-set
// save and its journal line) beside one bare durable commit of one record
// on the same file: median and 99th percentile, on a fresh demo school.

#include "bench_support.h"
#include "desk/desk_state.h"
#include "desk/interpreter.h"
#include "platform/sqlite_db.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <vector>

using namespace karvel;

namespace {

constexpr int kDocuments = 200;

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    DemoOptions options;
    options.documents = 2000;
    createDemoData(folder.path(), options);
    const QString data = pathIn(folder.path(), QStringLiteral("LAVOK"));
    const QString catalogue = pathIn(data, QStringLiteral("VOK.MDB"));

    // Documents that may be lent and are in the library.
    std::vector<qint64> rows;
    QStringList numbers;
    {
        Database db(catalogue, Database::Mode::ReadOnly);
        Statement& lendable = db.cached(
            QStringLiteral("SELECT rowid, inventaire FROM vok WHERE emprunt = 'O' AND "
                           "ifnull(emprunté, '') IN ('', 'N') ORDER BY inventaire LIMIT ?1"));
        lendable.bind(1, qint64(kDocuments));
        while (lendable.step()) {
            rows.push_back(lendable.integer(0));
            numbers << lendable.text(1);
        }
        lendable.reset();
    }

    bench::StartedSchool school(data);
    AppContext& ctx = school.ctx;
    ScriptedDialogs& dialogs = school.dialogs;
    ctx.loanLimits = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("15")};
    DeskState desk;
    const auto read = [&](const QString& reading) {
        desk.reading = reading;
        InterpretReading(ctx, desk);
    };
    std::vector<double> readings;
    for (const QString& action : {QStringLiteral("EMPRUNT"), QStringLiteral("RESTITUTION")}) {
        read(action);
        if (action == QLatin1String("EMPRUNT"))
            read(QStringLiteral("ECO-00001"));
        for (const QString& number : numbers)
            readings.push_back(
                bench::millisecondsOf([&] { read(QStringLiteral("DOC-") + number); }));
    }

    Database db(catalogue);
    std::vector<double> commits;
    for (int round = 0; round < 2; ++round) {
        for (const qint64 row : rows)
            commits.push_back(bench::millisecondsOf([&] {
                Transaction transaction(db);
                Statement& save =
                    db.cached(QStringLiteral("UPDATE vok SET cumul = ?1 WHERE rowid = ?2"));
                save.bind(1, QStringLiteral("%1").arg(round, 3, 10, QLatin1Char('0')));
                save.bind(2, row);
                save.run();
                save.reset();
                transaction.commit();
            }));
    }

    for (const auto& [name, fraction] : {std::pair{"median", 0.5}, std::pair{"p99", 0.99}})
        bench::printFigure(QStringLiteral("desk reading (save + journal), ") + QLatin1String(name),
                           bench::percentile(readings, fraction),
                           bench::percentile(commits, fraction), "ms");
    if (!dialogs.shown.empty())
        std::fprintf(stderr, "%d messages during the readings, first: %s\n",
                     int(dialogs.shown.size()), qPrintable(dialogs.shown.front().text));
    return dialogs.shown.empty() ? 0 : 1;
}
