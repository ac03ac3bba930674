#pragma once
// Numbers of new records: documents, pupils and external members are known
// by five digits, printed in their barcodes.

#include <QString>
#include <optional>

namespace karvel {

class Database;

inline constexpr int kLargestNumber = 99999;

// The number after the largest five-digit `keyField` of `table`, as five
// digits ("00001" in an empty table); none once 99999 is taken. Numbers
// below the largest are never offered again: a label or card of a removed
// record may still be about, and a reading of it must not find another.
// Keys that are not five digits are ignored.
std::optional<QString> NextFreeNumber(Database& db, const QString& table, const QString& keyField);

} // namespace karvel
