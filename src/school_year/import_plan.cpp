#include "school_year/import_plan.h"

#include "common/text.h"
#include "data/numbering.h"
#include "platform/search_fold.h"
#include "records/document_view.h"

#include <QDate>
#include <algorithm>
#include <set>

namespace karvel::school_year {

namespace {

// A pupil's name as the import compares it.
QString nameKey(const QString& surname, const QString& firstName) {
    return foldForSearch(surname.simplified()) + QChar(0x1f) +
           foldForSearch(firstName.simplified());
}

// An invalid date when the text is not a date written day first.
QDate birthDateOf(const PupilRow& row) {
    return parseDayFirstDate(row.birthDate).value_or(QDate());
}

// What is wrong with one line on its own.
QStringList faultsOf(const PupilRow& row, const PupilFile& file) {
    QStringList faults;
    if (row.surname.isEmpty())
        faults << QStringLiteral("nom absent");
    if (file.has(Column::FirstName) && row.firstName.isEmpty())
        faults << QStringLiteral("prénom absent");
    if (file.has(Column::Class) && row.classNumber.isEmpty())
        faults << QStringLiteral("classe absente");
    // Each fault names the value as %1 and the width as %2.
    const struct {
        const QString& value;
        int width;
        QString fault;
    } widths[] = {
        {row.surname, kNameWidth, QStringLiteral("nom « %1 » de plus de %2 caractères")},
        {row.firstName, kNameWidth, QStringLiteral("prénom « %1 » de plus de %2 caractères")},
        {row.classNumber, kClassWidth, QStringLiteral("classe « %1 » de plus de %2 caractères")},
        {row.level, kLevelWidth, QStringLiteral("niveau « %1 » de plus de %2 caractères")},
        {row.cycle, kCycleWidth, QStringLiteral("cycle « %1 » de plus de %2 caractères")},
        {row.teacher, kTeacherWidth, QStringLiteral("enseignant « %1 » de plus de %2 caractères")},
    };
    for (const auto& field : widths) {
        if (field.value.size() > field.width)
            faults << field.fault.arg(field.value).arg(field.width);
    }
    if (!row.birthDate.isEmpty() && !birthDateOf(row).isValid())
        faults
            << QStringLiteral("date de naissance « %1 » illisible (jj/mm/aaaa)").arg(row.birthDate);
    return faults;
}

struct ClassBuild {
    SchoolClass wanted;
    int teacherLine = 0;
    QStringList levels;
    std::set<QString> cycles;
};

} // namespace

int ImportPlan::moving() const {
    return int(std::count_if(staying.begin(), staying.end(),
                             [](const StayingPupil& p) { return p.moves(); }));
}

int ImportPlan::absentWithLoans() const {
    return int(std::count_if(absent.begin(), absent.end(),
                             [](const AbsentPupil& p) { return p.loans > 0; }));
}

ImportPlan planImport(const PupilFile& file, const CurrentSchool& current) {
    ImportPlan plan;
    std::set<QString> untouchable; // names on bad lines: their pupils stay as they are
    const auto refuse = [&](const PupilRow& row, const QString& reason) {
        plan.badRows.push_back({row.line, reason});
        untouchable.insert(nameKey(row.surname, row.firstName));
    };

    // The classes of the file, by number whatever its letter case, in the
    // order they come; a class spelt as the pupils file already spells it.
    std::map<QString, const SchoolClass*> known;
    for (const SchoolClass& c : current.classes)
        known.emplace(c.number.toUpper(), &c);
    std::vector<ClassBuild> builds;
    std::map<QString, size_t> buildOf;

    std::vector<const PupilRow*> good;
    for (const PupilRow& row : file.rows) {
        const QStringList faults = faultsOf(row, file);
        if (!faults.isEmpty()) {
            refuse(row, faults.join(QStringLiteral(" ; ")));
            continue;
        }
        if (file.has(Column::Class)) {
            const QString key = row.classNumber.toUpper();
            auto [it, added] = buildOf.emplace(key, builds.size());
            if (added) {
                const auto old = known.find(key);
                builds.push_back(
                    {old == known.end() ? SchoolClass{row.classNumber, {}, {}, {}} : *old->second,
                     0,
                     {},
                     {}});
            }
            ClassBuild& build = builds[it->second];
            if (!row.teacher.isEmpty() && build.teacherLine > 0 &&
                row.teacher.compare(build.wanted.teacher, Qt::CaseInsensitive) != 0) {
                refuse(row, QStringLiteral("la classe %1 a déjà l'enseignant « %2 » (ligne %3)")
                                .arg(build.wanted.number, build.wanted.teacher)
                                .arg(build.teacherLine));
                continue;
            }
            if (!row.teacher.isEmpty() && build.teacherLine == 0) {
                build.wanted.teacher = row.teacher;
                build.teacherLine = row.line;
            }
            if (!row.level.isEmpty() && !build.levels.contains(row.level, Qt::CaseInsensitive))
                build.levels << row.level;
            if (!row.cycle.isEmpty())
                build.cycles.insert(row.cycle.toUpper());
        }
        good.push_back(&row);
    }

    // The lines of each name, and the pupils of each name (their numbers in
    // order, as the report lists them).
    std::map<QString, std::vector<const PupilRow*>> rowsNamed;
    std::vector<QString> nameOrder;
    for (const PupilRow* row : good) {
        auto& rows = rowsNamed[nameKey(row->surname, row->firstName)];
        if (rows.empty())
            nameOrder.push_back(nameKey(row->surname, row->firstName));
        rows.push_back(row);
    }
    std::map<QString, std::vector<const Pupil*>> pupilsNamed;
    for (const Pupil& p : current.pupils)
        pupilsNamed[nameKey(p.surname, p.firstName)].push_back(&p);
    for (auto& [key, pupils] : pupilsNamed)
        std::sort(pupils.begin(), pupils.end(),
                  [](const Pupil* a, const Pupil* b) { return a->number < b->number; });

    const auto classNumberOf = [&](const PupilRow& row) {
        const auto it = buildOf.find(row.classNumber.toUpper());
        return it == buildOf.end() ? row.classNumber : builds[it->second].wanted.number;
    };
    std::set<const Pupil*> matched;
    std::vector<std::pair<int, Pupil>> arriving; // by line, to keep the file's order
    for (const QString& key : nameOrder) {
        std::vector<const PupilRow*>& rows = rowsNamed[key];
        const std::vector<const Pupil*>& pupils = pupilsNamed[key];
        // The pupils file keeps no date of birth: several pupils of one name
        // there, or several lines of a name already there, cannot be told
        // apart, and a number given to the wrong one would lend to the other.
        // Only pupils who are all new may share a name, given their dates.
        std::vector<QDate> dates;
        for (const PupilRow* row : rows)
            dates.push_back(birthDateOf(*row));
        std::sort(dates.begin(), dates.end());
        bool datesApart = true;
        for (size_t i = 1; i < dates.size(); ++i)
            datesApart = datesApart && dates[i - 1].isValid() && dates[i - 1] < dates[i];
        if (!datesApart || (rows.size() > 1 && !pupils.empty()) || pupils.size() > 1) {
            QStringList numbers;
            for (const Pupil* p : pupils)
                numbers << p->number;
            for (const PupilRow* row : rows)
                refuse(
                    *row,
                    !datesApart
                        ? QStringLiteral(
                              "même nom et prénom qu'une autre ligne, sans date de naissance qui les distingue")
                        : QStringLiteral(
                              "plusieurs élèves portent ce nom (%1) : impossible de savoir lequel est sur cette ligne, ils restent tels quels")
                              .arg(numbers.isEmpty() ? QStringLiteral("dans le fichier")
                                                     : numbers.join(QStringLiteral(", "))));
            continue;
        }
        for (const PupilRow* row : rows) {
            if (pupils.empty()) {
                arriving.push_back({row->line,
                                    {QString(), row->surname, row->firstName, classNumberOf(*row),
                                     row->level, row->cycle.toUpper()}});
                continue;
            }
            Pupil after = *pupils[0];
            if (file.has(Column::Class))
                after.classNumber = classNumberOf(*row);
            if (file.has(Column::Level))
                after.level = row->level;
            if (file.has(Column::Cycle))
                after.cycle = row->cycle.toUpper();
            plan.staying.push_back({*pupils[0], after});
            matched.insert(pupils[0]);
        }
    }
    std::optional<int> next;
    if (current.nextNumber)
        next = current.nextNumber->toInt();
    std::sort(arriving.begin(), arriving.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [line, pupil] : arriving) {
        if (!next || *next > kLargestNumber) {
            plan.badRows.push_back({line, QStringLiteral("plus aucun numéro d'élève libre")});
            continue;
        }
        pupil.number = zeroPadded(QString::number((*next)++));
        plan.arriving.push_back(pupil);
    }
    std::sort(plan.badRows.begin(), plan.badRows.end(),
              [](const BadRow& a, const BadRow& b) { return a.line < b.line; });

    for (const Pupil& p : current.pupils) {
        if (matched.count(&p) || untouchable.count(nameKey(p.surname, p.firstName)))
            continue;
        const auto loans = current.loans.find(p.number);
        plan.absent.push_back({p, loans == current.loans.end() ? 0 : loans->second});
    }

    for (ClassBuild& build : builds) {
        SchoolClass& wanted = build.wanted;
        const QString levels = build.levels.join(QLatin1Char('-'));
        if (file.has(Column::Level) && !levels.isEmpty())
            wanted.level = levels.size() <= kClassLevelWidth ? levels : build.levels.first();
        if (build.cycles.size() == 1)
            wanted.cycle = *build.cycles.begin();
        const auto old = known.find(wanted.number.toUpper());
        const bool isNew = old == known.end();
        if (isNew || old->second->level != wanted.level || old->second->cycle != wanted.cycle ||
            old->second->teacher != wanted.teacher)
            plan.classes.push_back({wanted, isNew});
        if (wanted.number.size() != 2)
            plan.unlistedClasses << wanted.number;
    }
    return plan;
}

} // namespace karvel::school_year
