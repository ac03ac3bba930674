#pragma once
// The lines of the desk's choice windows and the readings they give, built
// from the record views without widgets: the class list and the borrowers
// of a class (Form3), the reading of a catalogue line (Form4).

#include <QString>
#include <QStringList>

namespace karvel {

struct AppContext;

// The entry that stands for every external member; always the last class line.
inline const QString kExternalMembersEntry = QStringLiteral("XX - Extérieurs");

// "numéro - niveau - instituteur" for each class in class-number order, then
// "XX - Extérieurs". Without a pupils database only that last line.
// Database failures are thrown.
QStringList ClassEntries(AppContext& ctx);

struct BorrowerList {
    QString category;  // "école" or "extérieur": the kind of every line
    QStringList lines; // "number - surname first name"
};

// The borrowers of a class line: every external member for "XX - Extérieurs",
// otherwise the pupils of the class whose number is the line's first two
// characters, by surname then first name. Sets ctx.desk.BorrowerCategory to
// the kind listed. Database failures are thrown.
BorrowerList BorrowersOfClass(AppContext& ctx, const QString& classLine);

// The first line whose name, from its ninth character, begins with `search`
// whatever the case; -1 for none or for a blank search.
int FindBorrowerLine(const QStringList& lines, const QString& search);

// The reading a borrower's card would give for a line of a list of `category`
// ("ECO-00042", "EXT-00007"); empty for any other category.
QString BorrowerReading(const QString& category, const QString& line);

// The reading a document's label would give for a catalogue line ("DOC-00123").
QString DocumentReading(const QString& line);

} // namespace karvel
