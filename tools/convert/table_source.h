#pragma once
// What the conversion reads: named tables of named columns, each row a list
// of texts or NULLs. The Jet reader is one source; tests give others.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace karvel::convert {

struct SourceTable {
    QString name;
    QStringList columns;
    // The row count the source's own catalogue gives, or -1 when it has none.
    qint64 declaredRows = -1;
};

// One row, a value per column in the order of SourceTable::columns; NULL stays
// NULL, so that an empty text and a missing value remain apart.
using RowValues = std::vector<std::optional<QString>>;
using RowSink = std::function<void(const RowValues&)>;

class TableSource {
  public:
    virtual ~TableSource() = default;
    virtual const std::vector<SourceTable>& tables() const = 0;
    // Gives every row of a table to `sink`; returns the number of rows read.
    virtual qint64 readRows(size_t table, const RowSink& sink) = 0;
};

} // namespace karvel::convert
