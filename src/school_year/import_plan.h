#pragma once
// What importing a school year's pupil file changes in the pupils file,
// worked out before anything is written: the classes to create or update,
// the pupils who stay (and keep their numbers), arrive, or leave, and the
// lines that cannot be taken.

#include "school_year/pupil_file.h"

#include <QString>
#include <map>
#include <optional>
#include <vector>

namespace karvel::school_year {

// A pupil or a class as the pupils file holds it.
struct Pupil {
    QString number; // matricule
    QString surname;
    QString firstName;
    QString classNumber;
    QString level;
    QString cycle;
};

struct SchoolClass {
    QString number;
    QString level;
    QString cycle;
    QString teacher;
};

// What the import starts from.
struct CurrentSchool {
    std::vector<Pupil> pupils;
    std::vector<SchoolClass> classes;
    // Documents on loan now, by pupil number.
    std::map<QString, int> loans;
    // The number NextFreeNumber gives; none once 99999 is taken.
    std::optional<QString> nextNumber;
};

struct BadRow {
    int line;
    QString reason;
};

struct ClassChange {
    SchoolClass wanted;
    bool isNew = false;
};

struct StayingPupil {
    Pupil before;
    Pupil after;
    bool moves() const {
        return before.classNumber.compare(after.classNumber, Qt::CaseInsensitive) != 0;
    }
};

struct AbsentPupil {
    Pupil pupil;
    int loans = 0; // kept while this is above 0
};

struct ImportPlan {
    std::vector<BadRow> badRows;
    std::vector<ClassChange> classes; // only those that change
    std::vector<StayingPupil> staying;
    std::vector<Pupil> arriving;
    std::vector<AbsentPupil> absent;
    // Classes whose pupils the borrower choice cannot list: it selects a
    // class's pupils by the first two characters of its number.
    QStringList unlistedClasses;

    int moving() const;
    int absentWithLoans() const;
};

// The widths of the pupils file's fields.
inline constexpr int kNameWidth = 20;
inline constexpr int kClassWidth = 4;
inline constexpr int kLevelWidth = 5;
inline constexpr int kCycleWidth = 1;
inline constexpr int kClassLevelWidth = 10;
inline constexpr int kTeacherWidth = 40;

// Works out the import of `file` into `current`. A pupil of the file is the
// pupil of the same surname and first name (letter case, accents and extra
// blanks aside). The pupils file keeps no date of birth, so a name is
// matched only when one pupil holds it there and one line gives it; new
// pupils of one name are told apart by their dates of birth. Lines with a
// fault are listed in badRows and left out; the pupils a bad line names are
// neither changed nor counted absent. Numbers of new pupils follow one
// another from current.nextNumber, in the order of the file.
ImportPlan planImport(const PupilFile& file, const CurrentSchool& current);

} // namespace karvel::school_year
