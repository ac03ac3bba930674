#include "data/repair.h"

#include "platform/sqlite_db.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

namespace karvel {

namespace {

struct SchemaEntry {
    QString type;
    QString name;
    QString sql;
};

std::vector<SchemaEntry> readSchema(Database& source) {
    std::vector<SchemaEntry> entries;
    auto stmt = source.prepare(QStringLiteral(
        "SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL AND name NOT LIKE "
        "'sqlite_%' ORDER BY CASE type WHEN 'table' THEN 0 ELSE 1 END"));
    while (stmt->step())
        entries.push_back({stmt->text(0), stmt->text(1), stmt->text(2)});
    return entries;
}

// Copies the rows of one table in rowid order. A damaged page stops a scan;
// the copy then seeks further and further past it, and reads back down from
// where the reading could start again, so that only the rows of unreadable
// pages are lost.
void copyTable(Database& source, Database& target, const QString& table, RepairReport& report) {
    const QString name = quotedIdentifier(table);
    QString columns = QStringLiteral("rowid");
    QString placeholders = QStringLiteral("?1");
    int count = 0;
    {
        auto probe = source.prepare(QStringLiteral("SELECT * FROM ") + name + " LIMIT 0");
        count = probe->columnCount();
        for (int c = 0; c < count; ++c) {
            columns += QStringLiteral(", ") + quotedIdentifier(probe->columnName(c));
            placeholders += QStringLiteral(", ?") + QString::number(c + 2);
        }
    }
    auto insert =
        target.prepare(QStringLiteral("INSERT OR IGNORE INTO ") + name + QLatin1Char('(') +
                       columns + QStringLiteral(") VALUES (") + placeholders + QLatin1Char(')'));

    // Reads rows past `from` in the direction of `order`, copying each one;
    // `last` is the last rowid read. True when the scan reached the end.
    auto scan = [&](const char* order, std::optional<qint64> from, std::optional<qint64>& last) {
        const bool ascending = qstrcmp(order, "ASC") == 0;
        QString sql = QStringLiteral("SELECT rowid, * FROM ") + name;
        if (from)
            sql += ascending ? QStringLiteral(" WHERE rowid > ?1")
                             : QStringLiteral(" WHERE rowid < ?1");
        sql += QStringLiteral(" ORDER BY rowid ") + QLatin1String(order);
        try {
            auto row = source.prepare(sql);
            if (from)
                row->bind(1, *from);
            while (row->step()) {
                last = row->integer(0);
                insert->reset();
                insert->bind(1, *last);
                for (int c = 0; c < count; ++c) {
                    if (!row->isNull(c + 1))
                        insert->bind(c + 2, row->text(c + 1));
                }
                insert->run();
                report.rowsCopied += target.changes();
            }
            return true;
        } catch (const KarvelError&) {
            return false;
        }
    };

    std::optional<qint64> last;
    if (scan("ASC", std::nullopt, last))
        return;
    ++report.unreadableStretches;
    qint64 base = last.value_or(0);
    qint64 step = 1;
    while (step < (qint64(1) << 40)) {
        std::optional<qint64> reached;
        const bool complete = scan("ASC", base + step, reached);
        if (!reached && !complete) {
            step *= 2;
            continue;
        }
        // Reading started again after base + step: take back the rows of
        // good pages just below it.
        std::optional<qint64> below;
        scan("DESC", base + step + 1, below);
        // A damaged page may also yield rows out of order: go on only while
        // the reading moves forward.
        if (complete || *reached <= base)
            return;
        ++report.unreadableStretches;
        base = *reached;
        step = 1;
    }
}

QString keptName(const QString& path) {
    QString candidate = path + QStringLiteral(".endommagé");
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = path + QStringLiteral(".endommagé-") + QString::number(n);
    return candidate;
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

    const QString temporary = path + QStringLiteral(".réparation");
    QFile::remove(temporary);
    try {
        Database source(path, Database::Mode::ReadOnly);
        const std::vector<SchemaEntry> schema = readSchema(source);
        Database target(temporary, Database::Mode::Create);
        target.exec(QStringLiteral("BEGIN"));
        for (const SchemaEntry& entry : schema) {
            if (entry.type == QLatin1String("table"))
                target.exec(entry.sql);
        }
        for (const SchemaEntry& entry : schema) {
            if (entry.type == QLatin1String("table"))
                copyTable(source, target, entry.name, report);
        }
        for (const SchemaEntry& entry : schema) {
            if (entry.type == QLatin1String("index") || entry.type == QLatin1String("view") ||
                entry.type == QLatin1String("trigger")) {
                try {
                    target.exec(entry.sql);
                } catch (const KarvelError&) {
                    // Rows that break a unique index stay: an index is rebuilt, data is not.
                }
            }
        }
        target.exec(QStringLiteral("COMMIT"));
        const QString check = target.integrityCheck();
        if (check != QLatin1String("ok"))
            throw makeError(ErrDatabaseDamaged, QFileInfo(path).fileName());
    } catch (...) {
        QFile::remove(temporary);
        QFile::remove(temporary + QStringLiteral("-journal"));
        throw;
    }

    // The original stays, under a name that says what it is; its journal goes
    // with it, since it belongs to the old file and must not be played on the new one.
    report.keptAs = keptName(path);
    if (!QFile::copy(path, report.keptAs)) {
        QFile::remove(temporary);
        throw makeError(ErrPermissionDenied, report.keptAs);
    }
    const QString journal = path + QStringLiteral("-journal");
    if (QFileInfo::exists(journal))
        QFile::rename(journal, report.keptAs + QStringLiteral("-journal"));
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) !=
        0) {
        QFile::remove(temporary);
        throw errorFromErrno(errno, path);
    }
    report.outcome = RepairReport::Outcome::Repaired;
    return report;
}

} // namespace karvel
