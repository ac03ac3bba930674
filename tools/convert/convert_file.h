#pragma once
// The conversion of one Jet file into one KarVel file: every table and column
// of the source under the same names, every value as text. It requires none
// of KarVel's tables; those it recognises get KarVel's keys and indexes.

#include "table_source.h"

#include <QString>

namespace karvel::schema {
struct Table;
}

namespace karvel::convert {

struct TableReport {
    QString sourceName;
    // The name in the KarVel file: the source's, or KarVel's own spelling of
    // one of its tables ("VOK" becomes "vok": SQLite ignores the case of
    // ASCII letters only, so "Équipe" would not answer to "équipe").
    QString name;
    QStringList columns;
    qint64 rowsRead = 0;
    qint64 rowsWritten = 0;
    qint64 declaredRows = -1;
    // True when the table is one of KarVel's and received its key and indexes.
    bool keyed = false;
};

struct ConversionReport {
    QString format;
    std::vector<TableReport> tables;
    QStringList linkedTables;
};

// Called after each table is written, before the file is checked.
using TableProgress = std::function<void(const TableReport&)>;

// Writes the KarVel database `outPath` (which must not exist) from `source`,
// then checks it: integrity_check and, per table, as many rows as were read.
// On any failure the partial file is removed and the error thrown.
ConversionReport writeKarvelDatabase(TableSource& source, const QString& outPath,
                                     const TableProgress& progress = {});

// Reads the Jet or ACE file `jetPath` through libmdb and writes `outPath` as above.
ConversionReport convertJetFile(const QString& jetPath, const QString& outPath,
                                const TableProgress& progress = {});

// KarVel's table answering to a source table name, compared without regard
// to case (accented letters included); nullptr when there is none.
const schema::Table* karvelTable(const QString& name);
// Whether two table or field names are the same name for Jet.
bool sameName(const QString& a, const QString& b);

} // namespace karvel::convert
