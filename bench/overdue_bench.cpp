// The overdue list on a catalogue of N documents (--documents N, 99,999 by
// default): reading it through the record views (the loans, then each
// borrower and class once), beside the bare query of the loans' fields, and
// printing it on the recording printer, beside a loan list sheet.

#include "bench_support.h"
#include "data/folders.h"
#include "desk/desk_state.h"
#include "desk/loan_list.h"
#include "desk/overdue_list.h"
#include "platform/sqlite_db.h"

#include <QGuiApplication>

using namespace karvel;

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int documents = bench::documentsArgument(argc, argv);
    const QString data = bench::demoSchool(documents);
    bench::StartedSchool school(data);
    AppContext& ctx = school.ctx;

    OverdueList list;
    const double build = bench::millisecondsOf([&] { list = BuildOverdueList(ctx); });
    size_t lines = 0;
    for (const OverdueGroup& group : list.groups)
        lines += group.lines.size();

    // What the file does at the least: the loans' fields in one query.
    Database raw(pathIn(data, kCatalogueFile), Database::Mode::ReadOnly);
    const double bare = bench::millisecondsOf([&] {
        Statement& stmt = raw.cached(
            QStringLiteral("SELECT inventaire, titre, emprunteur, catégorieemprunteur, dateemprunt "
                           "FROM vok WHERE emprunté = 'O' ORDER BY inventaire"));
        while (stmt.step())
            (void)stmt.text(1);
        stmt.reset();
    });
    const double print = bench::millisecondsOf([&] { PrintOverdueList(ctx, list); });
    const int sheets = school.printer.jobs().empty() ? 0 : school.printer.jobs().back().sheets;
    // A sheet of the loan list, as full as a class's page.
    DeskState desk;
    for (int i = 0; i < 40; ++i)
        desk.handledDocuments << QStringLiteral("%1 - Un document").arg(i, 5, 10, QLatin1Char('0'));
    const double loanListSheet = bench::millisecondsOf([&] { PrintLoanList(ctx, desk); });

    const QString size = QStringLiteral(", %1 documents, %2 late").arg(documents).arg(lines);
    bench::printFigure(QStringLiteral("Overdue list read") + size, build, bare, "ms");
    bench::printFigure(QStringLiteral("Overdue list printed, ms per sheet") + size,
                       sheets ? print / sheets : 0, loanListSheet, "ms");
    return school.dialogs.shown.empty() ? 0 : 1;
}
