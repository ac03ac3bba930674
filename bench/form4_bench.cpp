// The document choice window on a catalogue of N documents (--documents N,
// 99,999 by default): opened from the desk up to its first paint, and each
// keystroke of a search typed into it, beside the bare work the file does for
// them (the row ids in inventory order and a screenful of lines; SQLite's own
// LIKE on the same texts), and the resident memory it adds.

#include "bench_support.h"
#include "desk/loan_desk_window.h"
#include "platform/sqlite_db.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <vector>

using namespace karvel;

namespace {

const QString kSearch = QStringLiteral("aventure");

std::vector<qint64> rowIds(Database& db, const QString& sql, const QString& value = QString()) {
    std::vector<qint64> rows;
    Statement& stmt = db.cached(sql);
    if (!value.isNull())
        stmt.bind(1, value);
    while (stmt.step())
        rows.push_back(stmt.integer(0));
    stmt.reset();
    return rows;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int documents = bench::documentsArgument(argc, argv);
    const QString data = bench::demoSchool(documents);

    bench::StartedSchool school(data);
    AppContext& ctx = school.ctx;
    ScriptedDialogs& dialogs = school.dialogs;
    LoanDeskWindow desk(ctx);
    desk.open();
    QApplication::processEvents();
    const double residentBefore = bench::residentMegabytes("VmRSS:");

    QListView* list = nullptr;
    const double open = bench::millisecondsOf([&] {
        desk.findChild<QPushButton*>(QStringLiteral("SSCommand6"))->click();
        list = desk.findChild<QWidget*>(QStringLiteral("Form4"))
                   ->findChild<QListView*>(QStringLiteral("List2"));
        list->viewport()->repaint();
    });
    QApplication::processEvents();
    const double residentAfter = bench::residentMegabytes("VmRSS:");

    auto* search = desk.findChild<QWidget*>(QStringLiteral("Form4"))
                       ->findChild<QLineEdit*>(QStringLiteral("Text1"));
    std::vector<double> keystrokes;
    for (int typed = 1; typed <= kSearch.size(); ++typed)
        keystrokes.push_back(bench::millisecondsOf([&] {
            search->setText(kSearch.left(typed));
            list->viewport()->repaint();
        }));

    Database raw(pathIn(data, QStringLiteral("VOK.MDB")), Database::Mode::ReadOnly);
    const double bareOpen = bench::millisecondsOf([&] {
        const std::vector<qint64> rows =
            rowIds(raw, QStringLiteral("SELECT rowid FROM vok ORDER BY inventaire ASC"));
        Statement& line = raw.cached(
            QStringLiteral("SELECT inventaire, titre, auteur, emprunté FROM vok WHERE rowid = ?1"));
        for (size_t i = 0; i < std::min<size_t>(rows.size(), 30); ++i) {
            line.bind(1, rows[i]);
            line.step();
            (void)line.text(1);
            line.reset();
        }
    });
    std::vector<double> bareKeystrokes;
    for (int typed = 1; typed <= kSearch.size(); ++typed)
        bareKeystrokes.push_back(bench::millisecondsOf([&] {
            rowIds(raw,
                   QStringLiteral("SELECT rowid FROM vok WHERE titre LIKE ?1 OR auteur LIKE ?1 "
                                  "ORDER BY inventaire ASC"),
                   QLatin1Char('%') + kSearch.left(typed) + QLatin1Char('%'));
        }));

    const QString size = QStringLiteral(", %1 documents").arg(documents);
    bench::printFigure(QStringLiteral("Form4 open to first paint") + size, open, bareOpen, "ms");
    bench::printFigure(QStringLiteral("Form4 search keystroke, slowest of \"aventure\"") + size,
                       bench::percentile(keystrokes, 1.0), bench::percentile(bareKeystrokes, 1.0),
                       "ms");
    bench::printFigure(QStringLiteral("Form4 resident memory after opening") + size, residentAfter,
                       residentBefore, "MB");
    return dialogs.shown.empty() ? 0 : 1;
}
