#include "convert_folder.h"

#include "convert_file.h"
#include "data/folders.h"
#include "jet_file.h"
#include "platform/files.h"
#include "platform/sqlite_db.h"
#include "schema.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace karvel::convert {

namespace {

struct DatabaseFile {
    QString name;
    bool inPupilsFolder;
    // The tables KarVel cannot work without.
    std::vector<const schema::Table*> needs;
};

const std::vector<DatabaseFile>& databaseFiles() {
    static const std::vector<DatabaseFile> files = {
        {kCatalogueFile, false, {&schema::catalogue()}},
        {kMembersFile, false, {&schema::members()}},
        {kPupilsFile, true, {&schema::pupils(), &schema::classes()}},
        {kCotationFile, false, {}},
    };
    return files;
}

enum class Outcome { Converted, AlreadyKarvel, Missing, Failed };

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

bool isKarvelFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
}

// Makes the renames and new names in `folder` durable.
void syncFolder(const QString& folder) {
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool sameContents(const QString& a, const QString& b) {
    struct stat sa {};
    struct stat sb {};
    if (::stat(encoded(a).constData(), &sa) != 0 || ::stat(encoded(b).constData(), &sb) != 0)
        return false;
    if (sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino)
        return true;
    if (sa.st_size != sb.st_size)
        return false;
    QFile fa(a);
    QFile fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    while (!fa.atEnd()) {
        if (fa.read(1 << 20) != fb.read(1 << 20))
            return false;
    }
    return true;
}

// Gives the Jet file a second name. A hard link costs nothing and is atomic;
// where the file system has none, a copy is written under a temporary name,
// flushed, renamed, and compared with the original.
void linkOrCopy(const QString& from, const QString& to) {
    if (::link(encoded(from).constData(), encoded(to).constData()) == 0)
        return;
    const int error = errno;
    if (error != EXDEV && error != EPERM && error != EOPNOTSUPP && error != EMLINK &&
        error != ENOSYS)
        throw errorFromErrno(error, to);
    FileSystem files;
    files.writeAtomically(to, files.read(from));
    if (!sameContents(from, to))
        throw KarvelError(
            ErrDeviceIo, QStringLiteral("La copie %1 ne redonne pas le fichier d'origine.").arg(to),
            to);
}

// The name the Jet data keeps once the new file has taken its place: NAME.jet,
// else NAME.2.jet... A name left by an interrupted run for this very file is
// taken again; any other file is left alone.
QString keepOriginal(const QString& jetPath) {
    for (int n = 1;; ++n) {
        const QString candidate =
            jetPath + (n == 1 ? QStringLiteral(".jet") : QStringLiteral(".%1.jet").arg(n));
        const QFileInfo info(candidate);
        if (!info.exists() && !info.isSymLink()) {
            linkOrCopy(jetPath, candidate);
            syncFolder(info.absolutePath());
            return candidate;
        }
        if (info.isFile() && sameContents(jetPath, candidate))
            return candidate;
    }
}

// The new file serves the same users as the Jet file did: same permissions
// (at least readable and writable by its owner), and the same owner when the
// tool runs as root.
void matchOwnership(const QString& file, const QString& model) {
    struct stat st {};
    if (::stat(encoded(model).constData(), &st) != 0)
        return;
    ::chmod(encoded(file).constData(), (st.st_mode & 0777) | S_IRUSR | S_IWUSR);
    if (::geteuid() == 0 && ::chown(encoded(file).constData(), st.st_uid, st.st_gid) != 0)
        return;
}

void removeTemporary(const QString& temporary) {
    QFile::remove(temporary + QStringLiteral("-journal"));
    QFile::remove(temporary);
}

QString tableLine(const TableReport& table) {
    QString line = QStringLiteral("  « %1 » : %2 lignes lues, %3 écrites")
                       .arg(table.sourceName, QString::number(table.rowsRead),
                            QString::number(table.rowsWritten));
    if (table.name != table.sourceName)
        line += QStringLiteral(", nommée « %1 »").arg(table.name);
    if (table.keyed)
        line += QStringLiteral(", avec la clé et les index de KarVel");
    return line;
}

QString counted(int n, const QString& singular, const QString& plural) {
    return QString::number(n) + QLatin1Char(' ') + (n > 1 ? plural : singular);
}

Outcome convertFile(const DatabaseFile& file, const QString& folder, const LinePrinter& print,
                    const StepHook& beforeStep) {
    const QString path = findEntry(folder, file.name);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        print(QStringLiteral("%1 : absent du dossier %2").arg(file.name, folder));
        return Outcome::Missing;
    }
    const QString name = QFileInfo(path).fileName();
    if (isKarvelFile(path)) {
        print(QStringLiteral("%1 : déjà au format KarVel, rien à convertir").arg(name));
        return Outcome::AlreadyKarvel;
    }
    const QString stopped =
        QStringLiteral("%1 : conversion arrêtée, fichier laissé tel quel").arg(name);
    if (!isJetDatabaseFile(path)) {
        print(QStringLiteral("%1 : ni une base Jet ou Access, ni une base KarVel").arg(name));
        print(stopped);
        return Outcome::Failed;
    }

    const QString temporary = temporaryPath(path);
    try {
        {
            const JetFile jet(path);
            print(QStringLiteral("%1 : base %2").arg(name, jet.formatName()));
            const QStringList problems = missingNeeds(jet.tables(), file.needs);
            if (!problems.isEmpty()) {
                for (const QString& problem : problems)
                    print(QStringLiteral("  ") + problem);
                print(stopped);
                return Outcome::Failed;
            }
        }
        // What an interrupted run left under the temporary name is incomplete.
        removeTemporary(temporary);
        const ConversionReport report = convertJetFile(
            path, temporary, [&](const TableReport& table) { print(tableLine(table)); });
        for (const QString& linked : report.linkedTables)
            print(QStringLiteral("  table liée « %1 » non convertie : ses lignes sont dans un "
                                 "autre fichier")
                      .arg(linked));
        for (const TableReport& table : report.tables) {
            if (table.declaredRows >= 0 && table.declaredRows != table.rowsRead)
                print(QStringLiteral("  attention : le fichier annonce %1 lignes dans « %2 », "
                                     "%3 ont pu être lues")
                          .arg(QString::number(table.declaredRows), table.sourceName,
                               QString::number(table.rowsRead)));
        }

        // The Jet data keeps a name at every instant: a second name first,
        // then the new file takes the first one in a single rename.
        if (beforeStep)
            beforeStep(QStringLiteral("link"));
        const QString kept = keepOriginal(path);
        if (beforeStep)
            beforeStep(QStringLiteral("rename"));
        matchOwnership(temporary, path);
        FileSystem().rename(temporary, path);
        syncFolder(folder);
        print(QStringLiteral("%1 : converti et vérifié (%2) ; l'original est gardé sous le nom %3")
                  .arg(name,
                       counted(int(report.tables.size()), QStringLiteral("table"),
                               QStringLiteral("tables")),
                       QFileInfo(kept).fileName()));
        return Outcome::Converted;
    } catch (const KarvelError& error) {
        removeTemporary(temporary);
        print(QStringLiteral("%1 : erreur %2 : %3")
                  .arg(name, QString::number(error.number()), error.description()));
        print(stopped);
        return Outcome::Failed;
    }
}

} // namespace

QString temporaryPath(const QString& jetPath) {
    return jetPath + QStringLiteral(".karvel-tmp");
}

QStringList missingNeeds(const std::vector<SourceTable>& tables,
                         const std::vector<const schema::Table*>& needs) {
    QStringList problems;
    for (const schema::Table* need : needs) {
        const auto table = std::find_if(tables.begin(), tables.end(), [&](const SourceTable& t) {
            return sameName(t.name, need->name);
        });
        if (table == tables.end()) {
            problems << QStringLiteral("la table « %1 » est absente").arg(need->name);
            continue;
        }
        QStringList absent;
        for (const QString& field : need->fields) {
            if (std::none_of(table->columns.begin(), table->columns.end(),
                             [&](const QString& column) { return sameName(column, field); }))
                absent << field;
        }
        if (!absent.isEmpty())
            problems << QStringLiteral("il manque à la table « %1 » %2 : %3")
                            .arg(need->name,
                                 absent.size() > 1 ? QStringLiteral("les champs")
                                                   : QStringLiteral("le champ"),
                                 absent.join(QStringLiteral(", ")));
    }
    return problems;
}

FolderSummary convertFolders(const QString& dataFolder, const QString& pupilsFolder,
                             const LinePrinter& print, const StepHook& beforeStep) {
    FolderSummary summary;
    for (const QString& folder : {dataFolder, pupilsFolder}) {
        if (!folderExists(folder)) {
            print(QStringLiteral("Le dossier %1 est introuvable.").arg(folder));
            summary.failed = 1;
            return summary;
        }
    }
    print(QStringLiteral("Dossier des données : %1").arg(dataFolder));
    print(QStringLiteral("Dossier des élèves : %1").arg(pupilsFolder));
    for (const DatabaseFile& file : databaseFiles()) {
        switch (
            convertFile(file, file.inPupilsFolder ? pupilsFolder : dataFolder, print, beforeStep)) {
        case Outcome::Converted:
            ++summary.converted;
            break;
        case Outcome::AlreadyKarvel:
            ++summary.alreadyKarvel;
            break;
        case Outcome::Missing:
            ++summary.missing;
            break;
        case Outcome::Failed:
            ++summary.failed;
            break;
        }
    }
    if (summary.converted == 0 && summary.failed == 0 && summary.alreadyKarvel > 0)
        print(QStringLiteral("Rien à convertir : les fichiers présents sont déjà au format "
                             "KarVel."));
    if (summary.converted + summary.alreadyKarvel + summary.failed == 0)
        print(QStringLiteral("Aucun des fichiers de La V.O.K. ni de LEMAVORI n'est là : "
                             "vérifiez le dossier indiqué."));
    print(QStringLiteral("Résumé : %1, %2 déjà au format KarVel, %3, %4 en échec.")
              .arg(counted(summary.converted, QStringLiteral("fichier converti"),
                           QStringLiteral("fichiers convertis")),
                   QString::number(summary.alreadyKarvel),
                   counted(summary.missing, QStringLiteral("absent"), QStringLiteral("absents")),
                   QString::number(summary.failed)));
    return summary;
}

} // namespace karvel::convert
