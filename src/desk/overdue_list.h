#pragma once
// The documents kept longer than the maximum loan duration, grouped for the
// teachers: one group per class, in class order, then the external members.
// Shown in a window, printed one page (or more) per group, exported for a
// spreadsheet.

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace karvel {

struct AppContext;

// The maximum loan duration in days, as LAVOK.INI gives it; 15 when the file
// gives none or not a whole number of days.
int MaximumLoanDays(const AppContext& ctx);

// The days a document lent on `loanDate` is late on `today`: the days since
// the loan less `maximumDays` (0 or less: not late). None when the loan date
// cannot be read as a date.
std::optional<qint64> DaysLate(const QString& loanDate, const QDate& today, int maximumDays);

struct OverdueLine {
    QString inventaire;
    QString titre;
    QString borrowerNumber;
    // "Surname First name", or the number when no record holds it.
    QString borrowerName;
    // The loan date as the catalogue holds it.
    QString dateemprunt;
    // None when the loan date cannot be read: the document is listed all the
    // same, since nothing shows it is back in time, and the librarian sees
    // which record to put right.
    std::optional<qint64> daysLate;
};

struct OverdueGroup {
    // The class number; empty for external members and for pupils of no known class.
    QString classNumber;
    QString teacher;
    // "Classe 12 - Mme Durand", "Élèves sans classe connue" or "Extérieurs".
    QString heading;
    // By borrower, then by loan date (unreadable dates last).
    std::vector<OverdueLine> lines;
};

struct OverdueList {
    QDate day;
    int maximumDays = 0;
    // Only groups that hold a late document: the classes by number, the
    // pupils of no known class, then the external members.
    std::vector<OverdueGroup> groups;
};

// Reads the documents on loan and their borrowers through the record views.
// Database failures are thrown.
OverdueList BuildOverdueList(AppContext& ctx);

// "3 jours", "1 jour", or "date illisible".
QString DaysLateText(const OverdueLine& line);

// One print job: every group starts a sheet headed with its class and
// teacher, and goes on to further sheets when long. A printer failure gets
// the standard error message; false then.
bool PrintOverdueList(AppContext& ctx, const OverdueList& list);

// The list as a spreadsheet opens it: UTF-8, ";" between fields, a header
// row, CR LF line ends.
QByteArray OverdueCsv(const OverdueList& list);
// Writes OverdueCsv to `path` under a temporary name, then renames it. A
// failure gets the standard error message; false then.
bool ExportOverdueCsv(AppContext& ctx, const OverdueList& list, const QString& path);

} // namespace karvel
