#pragma once
// The raw pages of a database file as the table `sqlite_dbpage(schema)`
// (columns pgno and data), read-only. SQLite's recovery reads the damaged
// file through it; the system's SQLite library is built without its own.

struct sqlite3;

namespace karvel {

// Makes `sqlite_dbpage` known to one connection; returns an SQLite result code.
int registerPageTable(sqlite3* db);

} // namespace karvel
