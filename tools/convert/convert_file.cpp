#include "convert_file.h"

#include "jet_file.h"
#include "platform/sqlite_db.h"
#include "schema.h"

#include <QFile>
#include <QFileInfo>

namespace karvel::convert {

namespace {

QString quoted(const QString& identifier) {
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

const std::vector<const schema::Table*>& knownTables() {
    static const std::vector<const schema::Table*> tables = {
        &schema::catalogue(), &schema::members(), &schema::externalGroups(), &schema::pupils(),
        &schema::classes(),   &schema::school(),  &schema::cotation()};
    return tables;
}

// A source table as the KarVel file holds it.
struct KarvelForm {
    QString name;
    QStringList columns;
    const schema::Table* known = nullptr;
    // Every field of the known table is there, so its indexes can be built.
    bool complete = false;
};

KarvelForm karvelForm(const SourceTable& source) {
    KarvelForm form{source.name, source.columns};
    form.known = karvelTable(source.name);
    if (!form.known)
        return form;
    form.name = form.known->name;
    int found = 0;
    for (const QString& field : form.known->fields) {
        for (QString& column : form.columns) {
            if (sameName(column, field)) {
                column = field;
                ++found;
                break;
            }
        }
    }
    form.complete = found == form.known->fields.size();
    return form;
}

// The keys and indexes of a KarVel table, as the schema declares them: built
// once in a scratch database and read back, so they never drift apart.
QStringList indexStatements(const schema::Table& table) {
    Database scratch(QStringLiteral(":memory:"), Database::Mode::Create);
    schema::createTable(scratch, table);
    auto stmt = scratch.prepare(QStringLiteral(
        "SELECT sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL ORDER BY name"));
    QStringList statements;
    while (stmt->step())
        statements << stmt->text(0);
    return statements;
}

// The key values found more than once, for a message the user can act on.
QString duplicateKeys(Database& db, const KarvelForm& form) {
    const QString key = quoted(form.known->key);
    auto stmt = db.prepare(
        QStringLiteral("SELECT ") + key + QStringLiteral(", count(*) FROM ") + quoted(form.name) +
        QStringLiteral(" WHERE ") + key + QStringLiteral(" IS NOT NULL GROUP BY ") + key +
        QStringLiteral(" HAVING count(*) > 1 ORDER BY ") + key + QStringLiteral(" LIMIT 10"));
    QStringList values;
    while (stmt->step())
        values << QStringLiteral("« %1 » (%2 fois)")
                      .arg(stmt->text(0), QString::number(stmt->integer(1)));
    return QStringLiteral(
               "La table « %1 » a plusieurs lignes de même %2 : %3. KarVel exige qu'il soit unique : corrigez ces lignes dans le logiciel d'origine, puis relancez la conversion.")
        .arg(form.name, form.known->key, values.join(QStringLiteral(", ")));
}

// Removes a file being written, with its rollback journal, unless it was completed.
class PartialFile {
  public:
    explicit PartialFile(QString path) : path_(std::move(path)) {}
    ~PartialFile() {
        if (!done_) {
            QFile::remove(path_ + QStringLiteral("-journal"));
            QFile::remove(path_);
        }
    }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    void complete() { done_ = true; }

  private:
    QString path_;
    bool done_ = false;
};

TableReport writeTable(Database& db, TableSource& source, size_t index) {
    const SourceTable& table = source.tables()[index];
    const KarvelForm form = karvelForm(table);
    if (form.columns.isEmpty())
        throw KarvelError(ErrDatabaseEngine,
                          QStringLiteral("La table « %1 » n'a aucun champ.").arg(table.name));

    // Every field text, compared without regard to case, as KarVel's own tables.
    QString create = QStringLiteral("CREATE TABLE ") + quoted(form.name) + QStringLiteral(" (");
    QString insert =
        QStringLiteral("INSERT INTO ") + quoted(form.name) + QStringLiteral(" VALUES (");
    for (int c = 0; c < form.columns.size(); ++c) {
        const QString separator = c ? QStringLiteral(", ") : QString();
        create += separator + quoted(form.columns[c]) + QStringLiteral(" TEXT COLLATE NOCASE");
        insert += separator + QLatin1Char('?') + QString::number(c + 1);
    }
    db.exec(create + QLatin1Char(')'));
    auto statement = db.prepare(insert + QLatin1Char(')'));

    TableReport report{table.name, form.name, form.columns};
    report.declaredRows = table.declaredRows;
    report.rowsRead = source.readRows(index, [&](const RowValues& values) {
        statement->reset();
        for (size_t c = 0; c < values.size(); ++c) {
            if (values[c])
                statement->bind(int(c) + 1, *values[c]);
        }
        statement->run();
        ++report.rowsWritten;
    });

    // Indexes after the rows: faster, and a duplicate key is met once, with all its rows there.
    if (form.known && form.complete) {
        for (const QString& sql : indexStatements(*form.known)) {
            try {
                db.exec(sql);
            } catch (const KarvelError& error) {
                if (error.number() != ErrDuplicateKey)
                    throw;
                throw KarvelError(ErrDuplicateKey, duplicateKeys(db, form), db.path());
            }
        }
        report.keyed = true;
    }
    return report;
}

} // namespace

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

const schema::Table* karvelTable(const QString& name) {
    for (const schema::Table* table : knownTables()) {
        if (sameName(table->name, name))
            return table;
    }
    return nullptr;
}

ConversionReport writeKarvelDatabase(TableSource& source, const QString& outPath,
                                     const TableProgress& progress) {
    if (QFileInfo::exists(outPath))
        throw makeError(ErrFileExists, outPath);
    PartialFile partial(outPath);
    ConversionReport report;
    {
        Database db(outPath, Database::Mode::Create);
        db.exec(QStringLiteral("BEGIN"));
        for (size_t i = 0; i < source.tables().size(); ++i) {
            report.tables.push_back(writeTable(db, source, i));
            if (progress)
                progress(report.tables.back());
        }
        db.exec(QStringLiteral("COMMIT"));

        const QString integrity = db.integrityCheck();
        if (integrity != QLatin1String("ok"))
            throw KarvelError(
                ErrDatabaseDamaged,
                QStringLiteral("Le fichier écrit ne passe pas le contrôle d'intégrité : %1")
                    .arg(integrity),
                outPath);
        for (TableReport& table : report.tables) {
            auto count = db.prepare(QStringLiteral("SELECT count(*) FROM ") + quoted(table.name));
            count->step();
            table.rowsWritten = count->integer(0);
            if (table.rowsWritten != table.rowsRead)
                throw KarvelError(ErrDatabaseEngine,
                                  QStringLiteral("Table « %1 » : %2 lignes lues mais %3 écrites.")
                                      .arg(table.name, QString::number(table.rowsRead),
                                           QString::number(table.rowsWritten)),
                                  outPath);
        }
    }
    partial.complete();
    return report;
}

ConversionReport convertJetFile(const QString& jetPath, const QString& outPath,
                                const TableProgress& progress) {
    JetFile jet(jetPath);
    ConversionReport report = writeKarvelDatabase(jet, outPath, progress);
    report.format = jet.formatName();
    report.linkedTables = jet.linkedTables();
    return report;
}

} // namespace karvel::convert
