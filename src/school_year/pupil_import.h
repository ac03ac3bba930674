#pragma once
// Importing a school year's pupils into the pupils file: read what the file
// and the catalogue hold, show the plan, then write it whole or not at all.

#include "school_year/import_plan.h"

#include <QDate>
#include <QString>

namespace karvel {
class FileSystem;
}

namespace karvel::school_year {

// Where the import reads and writes: LEMAVORI.MDB in the pupils folder, the
// loans in VOK.MDB and the copy of the pupils file in the data folder.
struct SchoolFolders {
    QString data;
    QString pupils;
};

struct ImportChoices {
    // Pupils absent from the file who hold no document are removed.
    bool removeAbsent = false;
    // The bad lines are left out; without this nothing is written while there are any.
    bool skipBadRows = false;
};

struct ImportOutcome {
    QString backup; // the copy of the pupils file made first
    int added = 0;
    int changed = 0; // pupils whose class, level or cycle changed
    int removed = 0;
    int classesWritten = 0;
};

// What the pupils file and the catalogue hold now. Throws a KarvelError
// when one of them cannot be read.
CurrentSchool readCurrentSchool(const SchoolFolders& folders);

// The plan of importing `file` into the school as it is now.
ImportPlan preparePupilImport(const SchoolFolders& folders, const PupilFile& file);

// Copies the pupils file as the quit backups do, then writes the import in
// one transaction, planned again within it: the plan must still be the one
// `approved`, or nothing is written (another program changed the pupils
// meanwhile). Refuses, writing nothing, while the plan has bad lines that
// `choices` does not skip. Failures are thrown as KarvelError.
ImportOutcome applyPupilImport(FileSystem& files, const QDate& today, const SchoolFolders& folders,
                               const PupilFile& file, const ImportChoices& choices,
                               const ImportPlan& approved);

// The plan in a few lines of French: what will change, the pupils kept
// for their loans, the bad lines, the classes the borrower choice cannot list.
QString describePlan(const ImportPlan& plan, const ImportChoices& choices);

// What an import did and where the copy of the old file is, two sentences
// joined by `between`.
QString describeOutcome(const ImportOutcome& done, const QString& between);

} // namespace karvel::school_year
