// One desk reading that lends or takes back a document beside one bare
// durable commit of the same change, on a fresh demo school: median and 99th
// percentile.
//
// The reading is all the desk does for a scan: the document's lookup, the
// borrower's count of loans, the compare-and-set save in one transaction,
// and the journal line appended and flushed. The baseline writes the same
// fields of a record (the same table and index pages) in one transaction
// with no check, no view and no journal line, on a copy of the catalogue
// beside it, so that neither connection sees the other's writes. The two
// are timed in turn, in alternating order, so that other work on the
// machine and its disk weighs on both alike.

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

// Documents that may be lent and are in the library: row and number.
std::vector<std::pair<qint64, QString>> lendable(const QString& catalogue) {
    std::vector<std::pair<qint64, QString>> documents;
    Database db(catalogue, Database::Mode::ReadOnly);
    Statement& lendable =
        db.cached(QStringLiteral("SELECT rowid, inventaire FROM vok WHERE emprunt = 'O' AND "
                                 "ifnull(emprunté, '') IN ('', 'N') ORDER BY inventaire LIMIT ?1"));
    lendable.bind(1, qint64(kDocuments));
    while (lendable.step())
        documents.emplace_back(lendable.integer(0), lendable.text(1));
    lendable.reset();
    return documents;
}

// A loan (or, with `lent` false, a return) of the document of `row`,
// written as the desk writes it, without anything else.
void bareCommit(Database& db, qint64 row, bool lent) {
    Transaction transaction(db);
    Statement& save = db.cached(
        lent ? QStringLiteral("UPDATE vok SET emprunté = 'O', emprunteur = '00001', "
                              "catégorieemprunteur = 'école', dateemprunt = '01/12/2026', "
                              "cumul = '001' WHERE rowid = ?1")
             : QStringLiteral("UPDATE vok SET emprunté = 'N', emprunteur = '', "
                              "catégorieemprunteur = '', dateemprunt = '01/12/2026' "
                              "WHERE rowid = ?1"));
    save.bind(1, row);
    save.run();
    save.reset();
    transaction.commit();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    DemoOptions options;
    options.documents = 2000;
    createDemoData(folder.path(), options);
    const QString data = pathIn(folder.path(), QStringLiteral("LAVOK"));
    const QString catalogue = pathIn(data, QStringLiteral("VOK.MDB"));
    const QString copy = data + QStringLiteral("/COPIE.MDB");
    if (!QFile::copy(catalogue, copy))
        return 1;
    const auto documents = lendable(catalogue);

    bench::StartedSchool school(data);
    AppContext& ctx = school.ctx;
    ScriptedDialogs& dialogs = school.dialogs;
    ctx.loanLimits = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("15")};
    DeskState desk;
    const auto read = [&](const QString& reading) {
        desk.reading = reading;
        InterpretReading(ctx, desk);
    };
    Database bare(copy);
    std::vector<double> readings, commits;
    int i = 0;
    for (const QString& action : {QStringLiteral("EMPRUNT"), QStringLiteral("RESTITUTION")}) {
        const bool lending = action == QLatin1String("EMPRUNT");
        read(action);
        if (lending)
            read(QStringLiteral("ECO-00001"));
        for (const auto& [row, number] : documents) {
            const auto reading = [&] {
                readings.push_back(
                    bench::millisecondsOf([&] { read(QStringLiteral("DOC-") + number); }));
            };
            const auto commit = [&] {
                commits.push_back(bench::millisecondsOf([&] { bareCommit(bare, row, lending); }));
            };
            if (++i % 2 == 0) {
                reading();
                commit();
            } else {
                commit();
                reading();
            }
        }
    }

    std::printf("# reading: lookup, count of the borrower's loans, compare-and-set save, journal "
                "line flushed; baseline: the same fields written in one transaction, alone\n");
    for (const auto& [name, fraction] : {std::pair{"median", 0.5}, std::pair{"p99", 0.99}})
        bench::printFigure(QStringLiteral("desk reading (save + journal), ") + QLatin1String(name),
                           bench::percentile(readings, fraction),
                           bench::percentile(commits, fraction), "ms");
    if (!dialogs.shown.empty())
        std::fprintf(stderr, "%d messages during the readings, first: %s\n",
                     int(dialogs.shown.size()), qPrintable(dialogs.shown.front().text));
    return dialogs.shown.empty() ? 0 : 1;
}
