#pragma once
// Repair of a damaged database file: every readable row of every table is
// copied into a fresh file, which then takes the original's place. The
// damaged original is kept beside it, never deleted.

#include <QString>

namespace karvel {

struct RepairReport {
    enum class Outcome { Repaired, Missing, NotOurs };
    Outcome outcome = Outcome::Missing;
    QString keptAs; // where the damaged original now lies
    qint64 rowsCopied = 0;
    int unreadableStretches = 0; // places where rows could not be read and were skipped
};

// A file that does not exist is skipped; a Jet or ACE file written on Windows
// is not damaged and is left untouched. Throws when not even the list of
// tables can be read: the file is then left as it was.
RepairReport repairDatabase(const QString& path);

} // namespace karvel
