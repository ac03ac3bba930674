#include "test_data.h"

#include "platform/sqlite_db.h"
#include "schema.h"

#include <QDir>
#include <QFile>

namespace karvel::test {

SchoolFolder::SchoolFolder(bool withPupils) {
    QDir().mkpath(data());
    schema::createDatabaseFile(catalogue(), QStringLiteral("VOK.MDB"));
    schema::createDatabaseFile(members(), QStringLiteral("MEMBRES.MDB"));
    schema::createDatabaseFile(data() + QStringLiteral("/COTATION.MDB"),
                               QStringLiteral("COTATION.MDB"));
    if (withPupils) {
        QDir().mkpath(pupils());
        schema::createDatabaseFile(pupilsFile(), QStringLiteral("LEMAVORI.MDB"));
    }
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

void SchoolFolder::insert(const QString& file, const QString& table, const std::vector<Row>& rows) {
    Database db(file);
    db.exec(QStringLiteral("BEGIN"));
    for (const Row& row : rows) {
        QString columns, placeholders;
        int n = 0;
        for (auto it = row.begin(); it != row.end(); ++it) {
            columns += (n ? QStringLiteral(", \"") : QStringLiteral("\"")) + it.key() + '"';
            placeholders +=
                (n ? QStringLiteral(", ?") : QStringLiteral("?")) + QString::number(n + 1);
            ++n;
        }
        auto stmt = db.prepare(QStringLiteral("INSERT INTO \"") + table + QStringLiteral("\" (") +
                               columns + QStringLiteral(") VALUES (") + placeholders + ')');
        n = 0;
        for (auto it = row.begin(); it != row.end(); ++it)
            stmt->bind(++n, it.value());
        stmt->run();
    }
    db.exec(QStringLiteral("COMMIT"));
}

QString SchoolFolder::value(const QString& file, const QString& table, const QString& keyField,
                            const QString& key, const QString& field) {
    Database db(file, Database::Mode::ReadOnly);
    auto stmt =
        db.prepare(QStringLiteral("SELECT \"") + field + QStringLiteral("\" FROM \"") + table +
                   QStringLiteral("\" WHERE \"") + keyField + QStringLiteral("\" = ?1"));
    stmt->bind(1, key);
    return stmt->step() ? stmt->text(0) : QStringLiteral("<absent>");
}

} // namespace karvel::test
