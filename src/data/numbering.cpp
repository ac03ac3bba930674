#include "data/numbering.h"

#include "common/text.h"
#include "platform/sqlite_db.h"

namespace karvel {

std::optional<QString> NextFreeNumber(Database& db, const QString& table, const QString& keyField) {
    const QString key = quotedIdentifier(keyField);
    const auto largest =
        db.prepare(QStringLiteral("SELECT MAX(CAST(%1 AS INTEGER)) FROM %2 WHERE %1 GLOB "
                                  "'[0-9][0-9][0-9][0-9][0-9]'")
                       .arg(key, quotedIdentifier(table)));
    qint64 next = 1;
    if (largest->step() && !largest->isNull(0))
        next = largest->integer(0) + 1;
    if (next > kLargestNumber)
        return std::nullopt;
    return zeroPadded(QString::number(next));
}

} // namespace karvel
