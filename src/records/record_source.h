#pragma once
// What a record view lists: a table, or one of the program's fixed queries.
// Every query is written with its values as bound parameters and returns the
// row identifiers of its result, in its order; a view reads the fields of a
// record only when that record becomes current.

#include <QString>
#include <QStringList>

namespace karvel {

struct RecordSource {
    QString table; // the table whose records the result lists (and where saves go)
    QString sql;   // SELECT rowid ... with ?1, ?2 ... for the values
    QStringList values;
    // The same result in the opposite order, when the record source has one:
    // its last record is then found without reading the others.
    QString backwardSql;
};

namespace Queries {

// A whole table, in the file's own order: "vok", "enfants", "extérieurs", "école"...
RecordSource table(const QString& name);
// SELECT * FROM vok ORDER BY inventaire ASC
RecordSource allDocuments();
// The documents whose title or author holds `text`, case and accents aside,
// in inventory order.
RecordSource documentsMatching(const QString& text);
// SELECT * FROM vok WHERE inventaire = '...'
RecordSource documentByNumber(const QString& number);
// SELECT * FROM vok WHERE emprunté = 'O' AND catégorieemprunteur = '...' AND emprunteur = '...'
RecordSource currentLoans(const QString& borrowerCategory, const QString& borrowerNumber);
// The documents on loan (emprunté "O", any case), in inventory order.
RecordSource documentsOnLoan();
// SELECT DISTINCT titre FROM vok WHERE titre like 'a*'
RecordSource titlesStartingWithA();
// SELECT * FROM enfants WHERE matricule = '...'
RecordSource pupilByNumber(const QString& number);
// SELECT * FROM enfants WHERE classe like '...' ORDER BY nomenfant ASC, prénomenfant ASC
RecordSource pupilsOfClass(const QString& classNumber);
// SELECT * FROM équipe ORDER BY équipenuméro ASC
RecordSource classes();
// SELECT * FROM membres
RecordSource allMembers();
// SELECT * FROM membres WHERE matricule = '...'
RecordSource memberByNumber(const QString& number);
// SELECT * FROM membres ORDER BY nom ASC, prénom ASC
RecordSource membersByName();

} // namespace Queries

} // namespace karvel
