#include "data/backups.h"

#include "common/app_context.h"
#include "common/text.h"
#include "data/error_report.h"
#include "data/folders.h"
#include "platform/sqlite_db.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <optional>

namespace karvel {

namespace {

struct BackupSource {
    QString fileName;
    QString prefix;
    QString firstLine; // the note's first line, after the backup's name
    bool inPupilsFolder;
};

QString quotedLine(const QString& text) {
    return QLatin1Char('"') + text + QStringLiteral("\"\r\n");
}

// Copies the source with SQLite's online backup into a new temporary file
// beside `backup`, named in `temporary` as soon as it exists.
void copyInto(const QString& sourcePath, const QString& backup, QString& temporary) {
    Database from(sourcePath, Database::Mode::ReadOnly);
    temporary = createTemporaryFor(backup);
    Database to(temporary);
    // A copy that fails is thrown away whole, so it needs no journal; it
    // reaches the disk once, before its rename.
    to.exec(QStringLiteral("PRAGMA journal_mode=OFF"));
    to.exec(QStringLiteral("PRAGMA synchronous=OFF"));
    from.backupTo(to);
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

QString joinNames(const QStringList& names) {
    QString joined;
    for (int i = 0; i < names.size(); ++i) {
        if (i > 0)
            joined += i == names.size() - 1 ? QStringLiteral(" et ") : QStringLiteral(", ");
        joined += names[i];
    }
    return joined;
}

void CloseDatabases(AppContext& ctx) {
    for (RecordView* view : ctx.views.closingOrder()) {
        try {
            view->close();
        } catch (const KarvelError&) {
            // Never opened or already closed: the next link is closed all the same.
        }
    }
}

QStringList MakeBackups(AppContext& ctx) {
    CloseDatabases(ctx);

    // One reading of the clock, so the names and the notes of one quit agree
    // even at midnight.
    const QDate today = ctx.clock.today();
    const QString dd = today.toString(QStringLiteral("dd"));
    const std::array<BackupSource, 3> sources = {{
        {kCatalogueFile, QStringLiteral("VOK_"),
         QStringLiteral(".BAK est une copie de sauvegarde de votre fichier de VOK."), false},
        {kPupilsFile, QStringLiteral("MAV_"),
         QStringLiteral(".BAK est une copie de sauvegarde de votre fichier 'élèves' utilisé par "
                        "le logiciel LA VOK."),
         true},
        {kMembersFile, QStringLiteral("MBRS_"),
         QStringLiteral(".BAK est une copie de sauvegarde de votre fichier 'membres' (adhérents "
                        "extérieurs) utilisé par le logiciel LA VOK."),
         false},
    }};

    QStringList copies;
    QStringList copiedSources;
    std::optional<KarvelError> failure;
    for (const BackupSource& source : sources) {
        // The pupils file is saved from the folder in use, which may be the sibling LEMAVORI.
        const QString folder = source.inPupilsFolder ? ctx.pupilsFolder : ctx.dataFolder;
        const QString sourcePath = findEntry(folder, source.fileName);
        const QString base = ctx.dataFolder + QLatin1Char('/') + source.prefix + dd;
        if (sourcePath.isEmpty())
            continue;
        // Made under a name of this process, so the day's backup stays whole
        // until the new one is complete, whoever else is quitting.
        const QString backup = base + QStringLiteral(".BAK");
        QString temporary;
        try {
            copyInto(sourcePath, backup, temporary);
            ctx.files.replace(temporary, backup);
        } catch (const KarvelError& error) {
            if (!temporary.isEmpty())
                QFile::remove(temporary);
            if (!failure)
                failure = toldOfBackup(error, temporary, backup);
            continue; // a copy that fails leaves the others to be made
        }
        copies << backup;
        copiedSources << source.fileName;
        const QString note =
            quotedLine(QStringLiteral("Le fichier ") + source.prefix + dd + source.firstLine) +
            quotedLine(QStringLiteral("Cette copie a été créée automatiquement le ") +
                       formatDate(today)) +
            quotedLine(QStringLiteral("Pour la récupérer, renommez-la ") + source.fileName +
                       QStringLiteral(" à la place du fichier ") + source.fileName +
                       QStringLiteral(" existant..."));
        try {
            ctx.files.writeAtomically(base + QStringLiteral(".TXT"), note.toUtf8());
        } catch (const KarvelError& error) {
            // The copy is made; only its note is missing.
            if (!failure)
                failure = error;
        }
    }

    if (ctx.BackupNotice.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0 &&
        !copies.isEmpty()) {
        ctx.dialogs.message(
            Icon::Information, kProgramCaption,
            QStringLiteral("Des copies de sauvegarde ont été créées automatiquement par le "
                           "logiciel.\n\nEn cas de perte accidentelle de données, les fichiers ") +
                joinNames(copies).toUpper() +
                QStringLiteral(" pourront être récupérés en les renommant respectivement ") +
                joinNames(copiedSources));
    }
    // Told once everything else is done: quitting without a word would leave
    // the user counting on a copy that is not there.
    if (failure)
        ShowStandardError(ctx, *failure);
    return copies;
}

} // namespace karvel
