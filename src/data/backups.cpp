#include "data/backups.h"

#include "common/text.h"
#include "data/data_context.h"
#include "data/error_report.h"
#include "data/folders.h"
#include "data/settings.h"
#include "platform/sqlite_db.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <array>
#include <optional>
#include <vector>

namespace karvel {

namespace {

struct BackupSource {
    QString fileName;
    QString prefix;
    QString firstLine; // the note's first line, after the backup's name
    bool inPupilsFolder;
    // The tables the program reads there: a copy that lacks one, or holds far
    // fewer of its rows than the backup it would replace, is no backup.
    QStringList tables;
};

// clang-format off
const QString kKeptHeader = QStringLiteral("Attention : certaines copies de sauvegarde n'ont pas été faites.");
const QString kKeptFooter = QStringLiteral("Faites vérifier ces fichiers de données : en cas de perte, la copie gardée se récupère en la renommant.");
const QString kEmptySource = QStringLiteral("Le fichier %1 est vide");
const QString kDamagedSource = QStringLiteral("Le fichier %1 est endommagé ou n'est pas une base de données");
const QString kUnreadableSource = QStringLiteral("Le fichier %1 n'a pas pu être lu (%2)");
const QString kMissingTable = QStringLiteral("Le fichier %1 ne contient pas la table %2");
const QString kFewerRows = QStringLiteral("Le fichier %1 ne compte que %2 enregistrements dans la table %3, contre %4 dans la copie précédente");
const QString kCopyKept = QStringLiteral("la copie %1 du %2 est gardée.");
const QString kNoCopy = QStringLiteral("aucune copie %1 n'a été faite.");
// clang-format on

QString quotedLine(const QString& text) {
    return QLatin1Char('"') + text + QStringLiteral("\"\r\n");
}

// The rows of each of `tables`; none when one of them is missing.
std::optional<std::vector<qint64>> rowCounts(Database& db, const QStringList& tables) {
    std::vector<qint64> counts;
    for (const QString& table : tables) {
        if (!db.tableExists(table))
            return std::nullopt;
        auto count = db.prepare(QStringLiteral("SELECT count(*) FROM ") + quotedIdentifier(table));
        count->step();
        counts.push_back(count->integer(0));
    }
    return counts;
}

QString unreadable(const QString& fileName, const KarvelError& error) {
    if (error.number() == ErrDatabaseDamaged || error.number() == ErrUnrecognisedFormat)
        return kDamagedSource.arg(fileName);
    return kUnreadableSource.arg(fileName, error.description());
}

// Copies the source into a new temporary file beside `backup`, named in
// `temporary` as soon as it exists, and checks the copy as the file a user
// would restore. Returns why it must not take the place of `backup`, if so.
std::optional<QString> copyChecked(const BackupSource& source, const QString& sourcePath,
                                   const QString& backup, QString& temporary) {
    // SQLite takes a file of no bytes for an empty database.
    if (QFileInfo(sourcePath).size() == 0)
        return kEmptySource.arg(source.fileName);
    try {
        Database from(sourcePath, Database::Mode::ReadOnly);
        temporary = createTemporaryFor(backup);
        Database to(temporary, Database::Mode::Create);
        // A copy that fails is thrown away whole, so it needs no journal; it
        // reaches the disk once, before its rename.
        to.exec(QStringLiteral("PRAGMA journal_mode=OFF"));
        to.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        from.backupTo(to);
    } catch (const KarvelError& error) {
        if (error.path() != sourcePath)
            throw;
        return unreadable(source.fileName, error);
    }

    Database copy(temporary, Database::Mode::ReadOnly);
    try {
        if (copy.integrityCheck() != QLatin1String("ok"))
            return kDamagedSource.arg(source.fileName);
    } catch (const KarvelError&) {
        return kDamagedSource.arg(source.fileName);
    }
    for (const QString& table : source.tables) {
        if (!copy.tableExists(table))
            return kMissingTable.arg(source.fileName, table);
    }
    const std::vector<qint64> counts = *rowCounts(copy, source.tables);
    std::optional<std::vector<qint64>> previous;
    try {
        Database old(backup, Database::Mode::ReadOnly);
        previous = rowCounts(old, source.tables);
    } catch (const KarvelError&) {
        // No backup, or none that could be restored: nothing to protect.
    }
    for (qsizetype i = 0; previous && i < source.tables.size(); ++i) {
        if (2 * counts[size_t(i)] < (*previous)[size_t(i)])
            return kFewerRows.arg(source.fileName)
                .arg(counts[size_t(i)])
                .arg(source.tables[i])
                .arg((*previous)[size_t(i)]);
    }
    return std::nullopt;
}

// Why a copy was refused, and which backup stays in its place.
QString keptLine(const QString& reason, const QString& backup) {
    const QFileInfo kept(backup);
    return reason + QStringLiteral(" : ") +
           (kept.isFile() ? kCopyKept.arg(backup, formatDate(kept.lastModified().date()))
                          : kNoCopy.arg(backup));
}

// A failure told of the day's backup: the temporary name it was made under
// means nothing to the user.
KarvelError toldOfBackup(const KarvelError& error, const QString& temporary,
                         const QString& backup) {
    const QString backupName = QFileInfo(backup).fileName();
    QString description = error.description();
    if (!temporary.isEmpty()) {
        description.replace(temporary, backup);
        description.replace(QFileInfo(temporary).fileName(), backupName);
    }
    if (!description.contains(backupName))
        description += QStringLiteral(" : ") + backup;
    return KarvelError(error.number(), description, backup);
}

} // namespace

QString joinNames(const QStringList& names, const QString& lastJoin) {
    QString joined;
    for (int i = 0; i < names.size(); ++i) {
        if (i > 0)
            joined += i == names.size() - 1 ? lastJoin : QStringLiteral(", ");
        joined += names[i];
    }
    return joined;
}

void CloseDatabases(DataContext& ctx) {
    for (RecordView* view : ctx.views.closingOrder()) {
        try {
            view->close();
        } catch (const KarvelError&) {
            // Never opened or already closed: the next link is closed all the same.
        }
    }
}

void RemoveLeftovers(const QString& dataFolder) {
    static const QRegularExpression backupOrNote(
        QStringLiteral(R"(^(VOK|MAV|MBRS)_\d\d\.(BAK|TXT)$)"),
        QRegularExpression::CaseInsensitiveOption);
    // A repair killed midway leaves its copy beside the database it repaired.
    removeLeftoverTemporaries(dataFolder, [](const QString& target) {
        return backupOrNote.match(target).hasMatch() ||
               target.compare(kSettingsFile, Qt::CaseInsensitive) == 0 ||
               target.compare(kCatalogueFile, Qt::CaseInsensitive) == 0 ||
               target.compare(kMembersFile, Qt::CaseInsensitive) == 0 ||
               target.compare(kCotationFile, Qt::CaseInsensitive) == 0;
    });
}

namespace {

const std::array<BackupSource, 3>& backupSources() {
    static const std::array<BackupSource, 3> sources = {{
        {kCatalogueFile,
         QStringLiteral("VOK_"),
         QStringLiteral(".BAK est une copie de sauvegarde de votre fichier de VOK."),
         false,
         {QStringLiteral("vok")}},
        {kPupilsFile,
         QStringLiteral("MAV_"),
         QStringLiteral(
             ".BAK est une copie de sauvegarde de votre fichier 'élèves' utilisé par le logiciel LA VOK."),
         true,
         {QStringLiteral("enfants"), QStringLiteral("équipe")}},
        {kMembersFile,
         QStringLiteral("MBRS_"),
         QStringLiteral(
             ".BAK est une copie de sauvegarde de votre fichier 'membres' (adhérents extérieurs) utilisé par le logiciel LA VOK."),
         false,
         {QStringLiteral("membres")}},
    }};
    return sources;
}

// What became of one backup.
struct OneBackup {
    QString backup;                         // the day's name
    bool made = false;                      // the copy took that name
    std::optional<QString> kept;            // why the copy was refused, and what stays
    std::optional<KarvelError> noteFailure; // the copy is made, its note is not
};

// Copies `sourcePath` to the day's backup of `source` in `dataFolder`, with
// its note. Failures of the copy are thrown, naming the backup.
OneBackup backUpOne(FileSystem& files, const BackupSource& source, const QString& sourcePath,
                    const QString& dataFolder, const QDate& today) {
    const QString dd = today.toString(QStringLiteral("dd"));
    const QString base = dataFolder + QLatin1Char('/') + source.prefix + dd;
    OneBackup result;
    // Made under a name of this process and checked before it takes the
    // day's name, so the day's backup stays whole until a better one is
    // complete, whoever else is quitting.
    result.backup = base + QStringLiteral(".BAK");
    QString temporary;
    std::optional<QString> refusal;
    try {
        refusal = copyChecked(source, sourcePath, result.backup, temporary);
        if (!refusal) {
            files.replace(temporary, result.backup);
            result.made = true;
        }
    } catch (const KarvelError& error) {
        if (!temporary.isEmpty())
            QFile::remove(temporary);
        throw toldOfBackup(error, temporary, result.backup);
    }
    if (!result.made && !temporary.isEmpty())
        QFile::remove(temporary);
    if (refusal)
        result.kept = keptLine(*refusal, result.backup);
    if (!result.made)
        return result;
    const QString note =
        quotedLine(QStringLiteral("Le fichier ") + source.prefix + dd + source.firstLine) +
        quotedLine(QStringLiteral("Cette copie a été créée automatiquement le ") +
                   formatDate(today)) +
        quotedLine(QStringLiteral("Pour la récupérer, renommez-la ") + source.fileName +
                   QStringLiteral(" à la place du fichier ") + source.fileName +
                   QStringLiteral(" existant..."));
    try {
        files.writeAtomically(base + QStringLiteral(".TXT"), note.toUtf8());
    } catch (const KarvelError& error) {
        result.noteFailure = error;
    }
    return result;
}

} // namespace

QString BackUpPupilsFile(FileSystem& files, const QString& dataFolder, const QString& pupilsFolder,
                         const QDate& today) {
    const BackupSource& source = backupSources()[1];
    const QString sourcePath = pathIn(pupilsFolder, source.fileName);
    const OneBackup one = backUpOne(files, source, sourcePath, dataFolder, today);
    if (one.kept)
        throw KarvelError(ErrDatabaseEngine, *one.kept, one.backup);
    if (one.noteFailure)
        throw *one.noteFailure;
    return one.backup;
}

QStringList MakeBackups(DataContext& ctx) {
    CloseDatabases(ctx);
    RemoveLeftovers(ctx.dataFolder);

    // One reading of the clock, so the names and the notes of one quit agree
    // even at midnight.
    const QDate today = ctx.clock.today();
    QStringList copies;
    QStringList copiedSources;
    QStringList kept;
    std::optional<KarvelError> failure;
    for (const BackupSource& source : backupSources()) {
        // The pupils file is saved from the folder in use, which may be the sibling LEMAVORI.
        const QString folder = source.inPupilsFolder ? ctx.pupilsFolder : ctx.dataFolder;
        const QString sourcePath = findEntry(folder, source.fileName);
        if (sourcePath.isEmpty())
            continue;
        OneBackup one;
        try {
            one = backUpOne(ctx.files, source, sourcePath, ctx.dataFolder, today);
        } catch (const KarvelError& error) {
            if (!failure)
                failure = error;
        }
        if (one.kept)
            kept << *one.kept;
        if (!one.made)
            continue; // a copy that fails leaves the others to be made
        copies << one.backup;
        copiedSources << source.fileName;
        // The copy is made; only its note may be missing.
        if (one.noteFailure && !failure)
            failure = one.noteFailure;
    }

    if (ctx.BackupNotice.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0 &&
        !copies.isEmpty()) {
        // The names in capitals, as the notice has always shown them; the
        // folders as they are, or a case-sensitive system would not find them.
        QStringList shownCopies;
        for (const QString& copy : copies) {
            const QFileInfo file(copy);
            shownCopies << file.path() + QLatin1Char('/') + file.fileName().toUpper();
        }
        ctx.dialogs.message(
            Icon::Information, kProgramCaption,
            QStringLiteral(
                "Des copies de sauvegarde ont été créées automatiquement par le logiciel.\n\nEn cas de perte accidentelle de données, les fichiers ") +
                joinNames(shownCopies, QStringLiteral(" ET ")) +
                QStringLiteral(" pourront être récupérés en les renommant respectivement ") +
                joinNames(copiedSources));
    }
    // Told after the notice, whatever BackupNotice says: the user must not
    // count on a copy of today that was not made.
    if (!kept.isEmpty())
        ctx.dialogs.message(Icon::Exclamation, kProgramCaption,
                            kKeptHeader + QStringLiteral("\n\n") + kept.join(QLatin1Char('\n')) +
                                QStringLiteral("\n\n") + kKeptFooter);
    // Told once everything else is done: quitting without a word would leave
    // the user counting on a copy that is not there.
    if (failure)
        ShowStandardError(ctx, *failure);
    return copies;
}

} // namespace karvel
