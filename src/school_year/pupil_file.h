#pragma once
// The pupils of a school year as a school's office gives them: a spreadsheet
// saved as CSV, one pupil a line under a header row that names the columns.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace karvel::school_year {

// One pupil line; `line` is its line number in the file (the header is 1).
struct PupilRow {
    int line = 0;
    QString surname;
    QString firstName;
    QString classNumber;
    QString level;
    QString cycle;
    QString teacher;
    QString birthDate; // as written; only tells apart pupils of one name
};

enum class Column { Surname, FirstName, Class, Level, Cycle, Teacher, BirthDate };

struct PupilFile {
    std::vector<PupilRow> rows;
    // The columns the header names. Those it does not name are empty in
    // every row: the import then leaves those fields of a known pupil as
    // they are.
    std::vector<Column> columns;
    QChar separator;
    // Why the file cannot be imported at all (no header naming "nom"...);
    // empty when it can.
    QString refusal;

    bool has(Column column) const;
};

// Reads CSV bytes: UTF-8 when they are valid UTF-8, else Windows-1252; the
// separator (";", tab or ",") is the one the header row holds most of. The
// header names the columns in any order and letter case, accents optional:
// nom, prénom, classe, niveau, cycle, enseignant (or instituteur), and date
// de naissance. Fields may be quoted, with separators, line ends and
// doubled quotes inside. Blank lines are skipped.
PupilFile parsePupilFile(const QByteArray& bytes);

// Reads the file `path`: a CSV as above, or a spreadsheet (.ods, .xlsx,
// .xls) converted to CSV by LibreOffice when it is installed. A file that
// cannot be read is thrown as a KarvelError; a spreadsheet without
// LibreOffice comes back with its refusal.
PupilFile readPupilFile(const QString& path);

} // namespace karvel::school_year
