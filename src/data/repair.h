#pragma once
// Repair of a damaged database file: SQLite's recovery reads every page it
// can and writes what it finds into a fresh file, which then takes the
// original's place. The damaged original is kept beside it, never deleted.

#include <QString>
#include <optional>
#include <vector>

namespace karvel {

struct RepairReport {
    enum class Outcome { Repaired, Healthy, Missing, NotOurs, Unrepairable };
    Outcome outcome = Outcome::Missing;
    QString keptAs; // where the damaged original now lies
    struct Table {
        QString name;
        qint64 recovered = 0;
        // The rows the damaged file could still count, if it could.
        std::optional<qint64> claimed;
    };
    std::vector<Table> tables;
};

// A file that does not exist is skipped; a Jet or ACE file written on Windows
// is not damaged and a sound file needs nothing: both are left untouched. A
// file in which no table can be found is left as it is, Unrepairable. Throws
// when the repaired copy cannot be written or put in place; the file is then
// left as it was.
RepairReport repairDatabase(const QString& path);

} // namespace karvel
