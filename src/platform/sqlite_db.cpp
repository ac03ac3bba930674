#include "platform/sqlite_db.h"

#include "platform/search_fold.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace karvel {

namespace {

int compareNoCase(void*, int lenA, const void* a, int lenB, const void* b) {
    const QString sa = QString::fromUtf8(static_cast<const char*>(a), lenA);
    const QString sb = QString::fromUtf8(static_cast<const char*>(b), lenB);
    return sa.compare(sb, Qt::CaseInsensitive);
}

// Sorting as a French reader expects: accents and case come after the letter itself.
int compareFrench(void*, int lenA, const void* a, int lenB, const void* b) {
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::French, QLocale::France)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(QString::fromUtf8(static_cast<const char*>(a), lenA),
                            QString::fromUtf8(static_cast<const char*>(b), lenB));
}

// FRHOLDS(text, folded): 1 when `text`, folded as a search compares it,
// holds `folded` (a search text already folded), else 0.
void searchHolds(sqlite3_context* context, int, sqlite3_value** args) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    const auto* wanted = reinterpret_cast<const char*>(sqlite3_value_text(args[1]));
    if (!text || !wanted) {
        sqlite3_result_int(context, 0);
        return;
    }
    const std::string folded =
        foldForSearch(std::string_view(text, size_t(sqlite3_value_bytes(args[0]))));
    const std::string_view needle(wanted, size_t(sqlite3_value_bytes(args[1])));
    sqlite3_result_int(context, folded.find(needle) != std::string::npos ? 1 : 0);
}

constexpr int kBusyTimeoutMs = 5000;

} // namespace

QString quotedIdentifier(const QString& identifier) {
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

bool isJetDatabaseFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(32);
    return head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB";
}

KarvelError errorFromSqlite(int rc, const QString& path, const QString& message) {
    const QString name = QFileInfo(path).fileName();
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return KarvelError(ErrDatabaseDamaged, errorDescription(ErrDatabaseDamaged, name), path);
    case SQLITE_CANTOPEN:
        if (!QFileInfo::exists(path))
            return KarvelError(ErrDatabaseNotFound, errorDescription(ErrDatabaseNotFound, path),
                               path);
        // A file its user may not open is not one another program holds.
        if (::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), R_OK | W_OK, AT_EACCESS) !=
                0 &&
            errno == EACCES)
            return KarvelError(ErrPermissionDenied, errorDescription(ErrPermissionDenied), path);
        return KarvelError(ErrDatabaseInUse, errorDescription(ErrDatabaseInUse, name), path);
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
        return KarvelError(ErrPermissionDenied, errorDescription(ErrPermissionDenied), path);
    case SQLITE_FULL:
        return KarvelError(ErrDiskFull, errorDescription(ErrDiskFull), path);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return KarvelError(ErrRecordLocked, errorDescription(ErrRecordLocked), path);
    case SQLITE_NOLFS:
    case SQLITE_IOERR:
        return KarvelError(ErrDiskOrNetwork, errorDescription(ErrDiskOrNetwork), path);
    case SQLITE_CONSTRAINT:
        if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
            return KarvelError(ErrDuplicateKey, errorDescription(ErrDuplicateKey), path);
        break;
    default:
        break;
    }
    const QString detail = message.isEmpty() ? QString::fromUtf8(sqlite3_errstr(rc)) : message;
    return KarvelError(ErrDatabaseEngine, errorDescription(ErrDatabaseEngine, detail), path);
}

// ---- Statement ----

Statement::Statement(Database& db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

Statement& Statement::bind(int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    db_.check(
        sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
    return *this;
}

Statement& Statement::bind(int index, qint64 value) {
    db_.check(sqlite3_bind_int64(stmt_, index, value));
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(stmt_);
    db_.check(rc);
    return false;
}

void Statement::run() {
    while (step()) {
    }
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(columnNameUtf8(column));
}

const char* Statement::columnNameUtf8(int column) const {
    return sqlite3_column_name(stmt_, column);
}

QString Statement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (!data)
        return QString();
    return QString::fromUtf8(data, sqlite3_column_bytes(stmt_, column));
}

qint64 Statement::integer(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

// ---- Database ----

Database::Database(const QString& path, Mode mode) : path_(path) {
    if (mode != Mode::Create && !QFileInfo(path).isFile())
        throw KarvelError(ErrDatabaseNotFound, errorDescription(ErrDatabaseNotFound, path), path);
    // SQLite takes a file of no bytes for an empty database; as a data file
    // it is one whose copy or write was cut short.
    if (mode != Mode::Create && QFileInfo(path).size() == 0)
        throw KarvelError(ErrDatabaseDamaged,
                          errorDescription(ErrDatabaseDamaged, QFileInfo(path).fileName()), path);
    if (mode != Mode::Create && isJetDatabaseFile(path))
        throw KarvelError(ErrUnrecognisedFormat,
                          errorDescription(ErrUnrecognisedFormat, QFileInfo(path).fileName()),
                          path);
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Mode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case Mode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case Mode::Create:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const KarvelError error = errorFromSqlite(rc, path);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw error;
    }
    try {
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        check(sqlite3_create_collation(db_, kNoCaseCollation, SQLITE_UTF8, nullptr, compareNoCase));
        check(sqlite3_create_collation(db_, kFrenchSortCollation, SQLITE_UTF8, nullptr,
                                       compareFrench));
        check(sqlite3_create_function(db_, kSearchHoldsFunction, 2,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      nullptr, searchHolds, nullptr, nullptr));
        // The rollback journal works on network shares; FULL makes every saved
        // record survive a power cut. Reading the schema here also tells a
        // damaged or foreign file at once.
        if (mode != Mode::ReadOnly)
            exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
        exec(QStringLiteral("PRAGMA synchronous=FULL"));
        exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        struct stat opened {};
        if (::stat(QFile::encodeName(path).constData(), &opened) == 0) {
            device_ = opened.st_dev;
            inode_ = opened.st_ino;
        }
    } catch (...) {
        cache_.clear();
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw;
    }
}

Database::~Database() {
    cache_.clear();
    sqlite3_close_v2(db_);
}

void Database::check(int rc, const char* context) const {
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE)
        return;
    // A disk that fills up in the middle of a save reaches SQLite as a
    // failed write: the user is told the disk is full, not of a disk error.
    if ((rc & 0xff) == SQLITE_IOERR) {
        const int errnum = sqlite3_system_errno(db_);
        if (errnum == ENOSPC || errnum == EDQUOT || errnum == EFBIG)
            throw errorFromErrno(errnum, path_);
    }
    QString message = QString::fromUtf8(sqlite3_errmsg(db_));
    if (context)
        message = QString::fromUtf8(context) + QStringLiteral(" : ") + message;
    if ((rc & 0xff) == SQLITE_ERROR && message.contains(QLatin1String("no such table"))) {
        const QString table = message.section(QLatin1Char(':'), -1).trimmed();
        throw KarvelError(ErrTableNotFound, errorDescription(ErrTableNotFound, table), path_);
    }
    throw errorFromSqlite(rc, path_, message);
}

void Database::exec(const QString& sql) {
    prepare(sql)->run();
}

std::unique_ptr<Statement> Database::prepare(const QString& sql) {
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    check(sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt, nullptr));
    return std::make_unique<Statement>(*this, stmt);
}

Statement& Database::cached(const QString& sql) {
    auto it = cache_.find(sql);
    if (it == cache_.end())
        it = cache_.emplace(sql, prepare(sql)).first;
    it->second->reset();
    return *it->second;
}

int Database::changes() const {
    return sqlite3_changes(db_);
}

bool Database::tableExists(const QString& table) {
    auto stmt = prepare(QStringLiteral(
        "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE"));
    stmt->bind(1, table);
    return stmt->step();
}

void Database::backupTo(Database& target) {
    sqlite3_backup* backup = sqlite3_backup_init(target.handle(), "main", db_, "main");
    if (!backup)
        target.check(sqlite3_errcode(target.handle()));
    int rc = SQLITE_OK;
    // A writer holding the source makes a step busy: wait for it as a query would.
    for (int waited = 0; waited <= kBusyTimeoutMs;) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        sqlite3_sleep(20);
        waited += 20;
    }
    const int finish = sqlite3_backup_finish(backup);
    switch (rc & 0xff) {
    case SQLITE_DONE:
        target.check(finish);
        return;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw errorFromSqlite(rc, path_);
    default:
        // The step's failure is set on the target's connection, with the
        // system's error behind it (a full disk).
        target.check(rc);
    }
}

Transaction::Transaction(Database& db) : db_(db) {
    db_.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction() {
    if (!open_)
        return;
    // A failed commit may have ended the transaction already; nothing was
    // saved either way.
    try {
        db_.exec(QStringLiteral("ROLLBACK"));
    } catch (const KarvelError&) {
    }
}

void Transaction::commit() {
    db_.exec(QStringLiteral("COMMIT"));
    open_ = false;
}

ReadTransaction::ReadTransaction(Database& db) {
    if (!sqlite3_get_autocommit(db.handle()))
        return;
    db.cached(QStringLiteral("BEGIN")).run();
    db_ = &db;
}

ReadTransaction::~ReadTransaction() {
    // A failure that ended the transaction (a busy or damaged file) has
    // ended it already; nothing was written either way.
    if (!db_ || sqlite3_get_autocommit(db_->handle()))
        return;
    try {
        db_->cached(QStringLiteral("COMMIT")).run();
    } catch (const KarvelError&) {
    }
}

bool Database::replacedOnDisk() const {
    struct stat now {};
    return ::stat(QFile::encodeName(path_).constData(), &now) != 0 || now.st_dev != device_ ||
           now.st_ino != inode_;
}

QString Database::integrityCheck() {
    auto stmt = prepare(QStringLiteral("PRAGMA integrity_check"));
    return stmt->step() ? stmt->text(0) : QString();
}

} // namespace karvel
