#include "data/repair.h"

#include "platform/files.h"
#include "platform/sqlite_db.h"
#include "platform/sqlite_pages.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <sqlite3recover.h>

namespace karvel {

namespace {

QStringList tableNames(Database& db) {
    QStringList names;
    auto stmt = db.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                          "AND name NOT LIKE 'sqlite_%' ORDER BY rowid"));
    while (stmt->step())
        names << stmt->text(0);
    return names;
}

qint64 rowCount(Database& db, const QString& table) {
    auto stmt = db.prepare(QStringLiteral("SELECT count(*) FROM ") + quotedIdentifier(table));
    stmt->step();
    return stmt->integer(0);
}

bool isSound(const QString& path) {
    try {
        Database db(path, Database::Mode::ReadOnly);
        return db.integrityCheck() == QLatin1String("ok") && !tableNames(db).isEmpty();
    } catch (const KarvelError&) {
        return false;
    }
}

// What the damaged file still tells of each table's rows; a table whose
// pages cannot all be read has no count.
std::vector<RepairReport::Table> countsClaimed(const QString& path) {
    std::vector<RepairReport::Table> tables;
    try {
        Database db(path, Database::Mode::ReadOnly);
        // A damaged schema entry must not hide the tables that are sound.
        db.exec(QStringLiteral("PRAGMA writable_schema = ON"));
        for (const QString& name : tableNames(db)) {
            RepairReport::Table table{name, 0, std::nullopt};
            try {
                table.claimed = rowCount(db, name);
            } catch (const KarvelError&) {
            }
            tables.push_back(table);
        }
    } catch (const KarvelError&) {
    }
    return tables;
}

// Writes into `target` (an empty file) what SQLite's recovery finds in
// `path`; false when the file holds nothing SQLite can take for a database.
bool recoverInto(const QString& path, const QString& target) {
    sqlite3* input = nullptr;
    int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &input, SQLITE_OPEN_READONLY, nullptr);
    QString message;
    if (rc == SQLITE_OK)
        rc = registerPageTable(input);
    if (rc == SQLITE_OK) {
        sqlite3_recover* recover =
            sqlite3_recover_init(input, "main", QFile::encodeName(target).constData());
        if (!recover) {
            rc = SQLITE_NOMEM;
        } else {
            rc = sqlite3_recover_run(recover);
            if (rc != SQLITE_OK && sqlite3_recover_errmsg(recover))
                message = QString::fromUtf8(sqlite3_recover_errmsg(recover));
            sqlite3_recover_finish(recover);
        }
    } else if (input) {
        message = QString::fromUtf8(sqlite3_errmsg(input));
    }
    sqlite3_close(input);
    if (rc == SQLITE_NOTADB)
        return false;
    if (rc != SQLITE_OK)
        throw errorFromSqlite(rc, path, message);
    return true;
}

QString keptName(const QString& path) {
    QString candidate = path + QStringLiteral(".endommagé");
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = path + QStringLiteral(".endommagé-") + QString::number(n);
    return candidate;
}

void removeWithJournal(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

} // namespace

RepairReport repairDatabase(const QString& path) {
    RepairReport report;
    if (!QFileInfo(path).isFile())
        return report;
    if (isJetDatabaseFile(path)) {
        report.outcome = RepairReport::Outcome::NotOurs;
        return report;
    }
    if (isSound(path)) {
        report.outcome = RepairReport::Outcome::Healthy;
        return report;
    }

    report.tables = countsClaimed(path);
    const QString temporary = createTemporaryFor(path);
    try {
        if (!recoverInto(path, temporary)) {
            removeWithJournal(temporary);
            report.tables.clear();
            report.outcome = RepairReport::Outcome::Unrepairable;
            return report;
        }
        Database repaired(temporary, Database::Mode::ReadOnly);
        if (repaired.integrityCheck() != QLatin1String("ok"))
            throw makeError(ErrDatabaseDamaged, QFileInfo(path).fileName());
        std::vector<RepairReport::Table> tables;
        for (const QString& name : tableNames(repaired)) {
            RepairReport::Table table{name, rowCount(repaired, name), std::nullopt};
            for (const RepairReport::Table& claimed : report.tables) {
                if (claimed.name == name)
                    table.claimed = claimed.claimed;
            }
            tables.push_back(table);
        }
        report.tables = std::move(tables);
    } catch (...) {
        removeWithJournal(temporary);
        throw;
    }
    if (report.tables.empty()) {
        // Nothing could be found: the file stays as it is, for someone who can
        // do more with it than an empty database would.
        removeWithJournal(temporary);
        report.outcome = RepairReport::Outcome::Unrepairable;
        return report;
    }

    // The original stays, under a name that says what it is; its journal goes
    // with it, since it belongs to the old file and must not be played on the new one.
    // Both names reach the disk before the repaired copy takes the file's, so
    // that no power cut can leave neither.
    report.keptAs = keptName(path);
    try {
        linkOrCopy(path, report.keptAs);
        const QString journal = path + QStringLiteral("-journal");
        if (QFileInfo::exists(journal))
            QFile::rename(journal, report.keptAs + QStringLiteral("-journal"));
        FileSystem().replace(temporary, path);
    } catch (...) {
        removeWithJournal(temporary);
        throw;
    }
    report.outcome = RepairReport::Outcome::Repaired;
    return report;
}

} // namespace karvel
