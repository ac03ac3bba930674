#include "school_year/pupil_import.h"

#include "data/backups.h"
#include "data/folders.h"
#include "data/numbering.h"
#include "platform/files.h"
#include "platform/sqlite_db.h"

#include <QStringList>

namespace karvel::school_year {

namespace {

const QString kPupils = QStringLiteral("enfants");
const QString kClasses = QStringLiteral("équipe");

std::vector<Pupil> readPupils(Database& db) {
    std::vector<Pupil> pupils;
    auto rows = db.prepare(QStringLiteral(
        "SELECT matricule, nomenfant, \"prénomenfant\", classe, niveau, cycle FROM enfants"));
    while (rows->step())
        pupils.push_back({rows->text(0), rows->text(1), rows->text(2), rows->text(3), rows->text(4),
                          rows->text(5)});
    return pupils;
}

std::vector<SchoolClass> readClasses(Database& db) {
    std::vector<SchoolClass> classes;
    auto rows = db.prepare(QStringLiteral(
        "SELECT \"équipenuméro\", \"équipeniveau\", \"équipecycle\", \"équipeinstituteur\" "
        "FROM \"équipe\""));
    while (rows->step())
        classes.push_back({rows->text(0), rows->text(1), rows->text(2), rows->text(3)});
    return classes;
}

std::map<QString, int> readLoans(const QString& dataFolder) {
    std::map<QString, int> loans;
    Database catalogue(pathIn(dataFolder, kCatalogueFile), Database::Mode::ReadOnly);
    auto rows = catalogue.prepare(QStringLiteral(
        "SELECT emprunteur, count(*) FROM vok WHERE \"emprunté\" = 'O' COLLATE FRNOCASE AND "
        "\"catégorieemprunteur\" = 'école' COLLATE FRNOCASE GROUP BY emprunteur"));
    while (rows->step())
        loans[rows->text(0)] = int(rows->integer(1));
    return loans;
}

CurrentSchool readSchool(Database& pupilsFile, const QString& dataFolder) {
    CurrentSchool school;
    school.pupils = readPupils(pupilsFile);
    school.classes = readClasses(pupilsFile);
    school.loans = readLoans(dataFolder);
    school.nextNumber = NextFreeNumber(pupilsFile, kPupils, QStringLiteral("matricule"));
    return school;
}

// What a plan writes, as one text: two plans that write the same are equal.
QString whatItWrites(const ImportPlan& plan, const ImportChoices& choices) {
    QStringList parts;
    for (const ClassChange& c : plan.classes)
        parts << QStringLiteral("c") + c.wanted.number + c.wanted.level + c.wanted.cycle +
                     c.wanted.teacher;
    for (const StayingPupil& p : plan.staying)
        parts << QStringLiteral("s") + p.before.number + p.after.classNumber + p.after.level +
                     p.after.cycle;
    for (const Pupil& p : plan.arriving)
        parts << QStringLiteral("a") + p.number + p.surname + p.firstName + p.classNumber;
    for (const AbsentPupil& p : plan.absent)
        if (choices.removeAbsent && p.loans == 0)
            parts << QStringLiteral("r") + p.pupil.number;
    for (const BadRow& row : plan.badRows)
        parts << QStringLiteral("b%1").arg(row.line);
    return parts.join(QChar(0x1f));
}

void writeClass(Database& db, const ClassChange& change) {
    const SchoolClass& c = change.wanted;
    const QString sql =
        change.isNew
            ? QStringLiteral("INSERT INTO \"équipe\" (\"équipeniveau\", \"équipecycle\", "
                             "\"équipeinstituteur\", \"équipenuméro\") VALUES (?1, ?2, ?3, ?4)")
            : QStringLiteral("UPDATE \"équipe\" SET \"équipeniveau\" = ?1, \"équipecycle\" = ?2, "
                             "\"équipeinstituteur\" = ?3 WHERE \"équipenuméro\" = ?4");
    db.prepare(sql)->bind(1, c.level).bind(2, c.cycle).bind(3, c.teacher).bind(4, c.number).run();
}

} // namespace

CurrentSchool readCurrentSchool(const SchoolFolders& folders) {
    Database pupilsFile(pathIn(folders.pupils, kPupilsFile), Database::Mode::ReadOnly);
    return readSchool(pupilsFile, folders.data);
}

ImportPlan preparePupilImport(const SchoolFolders& folders, const PupilFile& file) {
    return planImport(file, readCurrentSchool(folders));
}

ImportOutcome applyPupilImport(FileSystem& files, const QDate& today, const SchoolFolders& folders,
                               const PupilFile& file, const ImportChoices& choices,
                               const ImportPlan& approved) {
    ImportOutcome outcome;
    if (!approved.badRows.empty() && !choices.skipBadRows)
        return outcome;
    outcome.backup = BackUpPupilsFile(files, folders.data, folders.pupils, today);

    Database db(pathIn(folders.pupils, kPupilsFile));
    Transaction transaction(db);
    const ImportPlan plan = planImport(file, readSchool(db, folders.data));
    if (whatItWrites(plan, choices) != whatItWrites(approved, choices))
        throw KarvelError(
            ErrDatabaseEngine,
            QStringLiteral(
                "Les élèves ou les prêts ont changé depuis la préparation de l'import (un autre poste les a modifiés) : rien n'a été importé. Recommencez l'import."),
            db.path());

    for (const ClassChange& change : plan.classes)
        writeClass(db, change);
    outcome.classesWritten = int(plan.classes.size());
    for (const StayingPupil& p : plan.staying) {
        if (p.after.classNumber == p.before.classNumber && p.after.level == p.before.level &&
            p.after.cycle == p.before.cycle)
            continue;
        db
            .prepare(QStringLiteral(
                "UPDATE enfants SET classe = ?1, niveau = ?2, cycle = ?3 WHERE matricule = ?4"))
            ->bind(1, p.after.classNumber)
            .bind(2, p.after.level)
            .bind(3, p.after.cycle)
            .bind(4, p.before.number)
            .run();
        ++outcome.changed;
    }
    for (const Pupil& p : plan.arriving) {
        db.prepare(QStringLiteral("INSERT INTO enfants (matricule, nomenfant, \"prénomenfant\", "
                                  "classe, niveau, cycle) VALUES (?1, ?2, ?3, ?4, ?5, ?6)"))
            ->bind(1, p.number)
            .bind(2, p.surname)
            .bind(3, p.firstName)
            .bind(4, p.classNumber)
            .bind(5, p.level)
            .bind(6, p.cycle)
            .run();
        ++outcome.added;
    }
    for (const AbsentPupil& p : plan.absent) {
        if (!choices.removeAbsent || p.loans > 0)
            continue;
        db.prepare(QStringLiteral("DELETE FROM enfants WHERE matricule = ?1"))
            ->bind(1, p.pupil.number)
            .run();
        ++outcome.removed;
    }
    transaction.commit();
    return outcome;
}

QString describePlan(const ImportPlan& plan, const ImportChoices& choices) {
    int newClasses = 0;
    for (const ClassChange& c : plan.classes)
        newClasses += c.isNew;
    const int absentFree = int(plan.absent.size()) - plan.absentWithLoans();
    QStringList lines;
    lines << QStringLiteral("Nouveaux élèves : %1").arg(plan.arriving.size());
    lines << QStringLiteral("Élèves qui changent de classe : %1").arg(plan.moving());
    lines << QStringLiteral("Élèves absents du fichier : %1, dont %2 avec des documents en prêt")
                 .arg(plan.absent.size())
                 .arg(plan.absentWithLoans());
    lines << QStringLiteral("Classes créées : %1, classes mises à jour : %2")
                 .arg(newClasses)
                 .arg(int(plan.classes.size()) - newClasses);
    if (absentFree > 0)
        lines
            << (choices.removeAbsent
                    ? QStringLiteral(
                          "Les %1 élèves absents du fichier sans prêt en cours seront retirés.")
                          .arg(absentFree)
                    : QStringLiteral(
                          "Les %1 élèves absents du fichier sans prêt en cours resteront dans leur classe.")
                          .arg(absentFree));
    if (plan.absentWithLoans() > 0) {
        lines << QString() << QStringLiteral("Élèves gardés car ils ont des documents en prêt :");
        for (const AbsentPupil& p : plan.absent)
            if (p.loans > 0)
                lines << QStringLiteral("  %1 %2 %3 (classe %4) : %5 document(s)")
                             .arg(p.pupil.number, p.pupil.surname, p.pupil.firstName,
                                  p.pupil.classNumber)
                             .arg(p.loans);
    }
    if (!plan.badRows.empty()) {
        lines << QString() << QStringLiteral("Lignes fautives, qui ne seront pas importées :");
        for (const BadRow& row : plan.badRows)
            lines << QStringLiteral("  ligne %1 : %2").arg(row.line).arg(row.reason);
    }
    if (!plan.unlistedClasses.isEmpty())
        lines
            << QString()
            << QStringLiteral(
                   "Attention : le choix de l'emprunteur ne liste que les classes dont le numéro a deux caractères ; les élèves de ces classes ne s'y trouveront pas (leur carte reste lue) : %1")
                   .arg(plan.unlistedClasses.join(QStringLiteral(", ")));
    return lines.join(QLatin1Char('\n'));
}

QString describeOutcome(const ImportOutcome& done, const QString& between) {
    return QStringLiteral(
               "Import terminé : %1 nouveaux élèves, %2 élèves changés de classe ou de niveau, %3 élèves retirés, %4 classes créées ou mises à jour.")
               .arg(done.added)
               .arg(done.changed)
               .arg(done.removed)
               .arg(done.classesWritten) +
           between +
           QStringLiteral("Le fichier des élèves d'avant l'import est copié dans %1.")
               .arg(done.backup);
}

} // namespace karvel::school_year
