#pragma once
// A thin RAII layer over the SQLite C API. Every failure is thrown as a
// KarvelError carrying the number the error reporting understands.

#include "platform/errors.h"

#include <QString>
#include <map>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace karvel {

class Database;

class Statement {
  public:
    Statement(Database& db, sqlite3_stmt* stmt);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, const QString& value);
    Statement& bind(int index, qint64 value);
    // Runs one step; true while a row is available.
    bool step();
    // Steps to the end, for statements that return no row.
    void run();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    // The name as SQLite holds it, valid until the statement is prepared again.
    const char* columnNameUtf8(int column) const;
    QString text(int column) const;
    qint64 integer(int column) const;
    bool isNull(int column) const;

  private:
    Database& db_;
    sqlite3_stmt* stmt_;
};

class Database {
  public:
    enum class Mode { ReadWrite, ReadOnly, Create };

    // Opens an existing database file. A missing file is error 3024, a file that
    // holds no database (or a damaged one) 3049, a Jet or ACE file 3343.
    explicit Database(const QString& path, Mode mode = Mode::ReadWrite);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return path_; }
    void exec(const QString& sql);
    std::unique_ptr<Statement> prepare(const QString& sql);
    // A prepared statement kept for the life of the connection, reset before use.
    Statement& cached(const QString& sql);
    int changes() const;
    bool tableExists(const QString& table);
    // "ok" when the file is sound, else the first problem found.
    QString integrityCheck();
    // Copies the whole database over what `target` holds with SQLite's online
    // backup: a consistent copy even while another program writes. A failure
    // of this database (damaged, held by a writer past the wait) names it;
    // any other names the target.
    void backupTo(Database& target);

    // True when the file under this name is no longer the one opened: put in
    // its place by a rename (a backup restored while KarVel runs), or removed.
    bool replacedOnDisk() const;

    // Throws the error of a result code, unless it is a success code.
    void check(int rc, const char* context = nullptr) const;
    sqlite3* handle() const { return db_; }

  private:
    QString path_;
    sqlite3* db_ = nullptr;
    // The file opened, as the system knows it.
    quint64 device_ = 0;
    quint64 inode_ = 0;
    std::map<QString, std::unique_ptr<Statement>> cache_;
};

// A table or field name as SQL text, between double quotes.
QString quotedIdentifier(const QString& identifier);

// A write transaction: BEGIN IMMEDIATE takes the file's write lock at once
// (waiting as long as the busy timeout), so what is read inside it cannot be
// changed by another program before the commit. Rolled back unless committed.
class Transaction {
  public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

  private:
    Database& db_;
    bool open_ = true;
};

// One read transaction over several statements, unless one is open already.
// Outside a transaction each statement takes and drops the file's lock and
// checks the file afresh (about ten system calls); a lookup that finds a row
// and then reads it pays that once this way. Nothing may be written meanwhile.
class ReadTransaction {
  public:
    explicit ReadTransaction(Database& db);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

  private:
    // Null when the transaction belongs to someone else.
    Database* db_ = nullptr;
};

// True when the file starts with the signature of a Jet or ACE (Access) database.
bool isJetDatabaseFile(const QString& path);

// Translates a SQLite result code met on `path`.
KarvelError errorFromSqlite(int rc, const QString& path, const QString& message = {});

// The case-insensitive collation used in queries: Unicode-aware, so "ÉCOLE"
// compares equal to "école".
inline constexpr const char* kNoCaseCollation = "FRNOCASE";
// The order of names in lists: French, ignoring case.
inline constexpr const char* kFrenchSortCollation = "FRSORT";

} // namespace karvel
