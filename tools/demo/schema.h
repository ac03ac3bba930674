#pragma once
// The tables of the companion products' files, as KarVel for Linux keeps
// them in SQLite: every field text, the keys unique, an index for the count
// of a borrower's current loans. The program itself never creates a table;
// this is for the demo data, the tests and the importers.

#include <QString>
#include <QStringList>

namespace karvel {
class Database;
}

namespace karvel::schema {

struct Table {
    QString name;
    QStringList fields;
    QString key; // unique key field, or empty
};

// vok (VOK.MDB)
const Table& catalogue();
// membres and extérieurs (MEMBRES.MDB)
const Table& members();
const Table& externalGroups();
// enfants, équipe and école (LEMAVORI.MDB)
const Table& pupils();
const Table& classes();
const Table& school();
// cotation (COTATION.MDB)
const Table& cotation();

// Creates a table with its key and indexes in an open database.
void createTable(Database& db, const Table& table);

// Creates the database file `path` (which must not exist) with its tables:
// "VOK.MDB", "MEMBRES.MDB", "LEMAVORI.MDB" or "COTATION.MDB" by file name.
void createDatabaseFile(const QString& path, const QString& fileName);

} // namespace karvel::schema
