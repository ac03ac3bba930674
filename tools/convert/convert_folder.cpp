#include "convert_folder.h"

#include "convert_file.h"
#include "data/folders.h"
#include "jet_file.h"
#include "limited_run.h"
#include "platform/files.h"
#include "platform/sqlite_db.h"
#include "schema.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <csignal>
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

// The limits of the child process that reads one Jet file. libmdb loops on
// some damaged files, taking some 50 MB more each second and writing warnings
// without end: the address space stops it within half a minute. A real file
// reads well inside them, as rows stream from the Jet file into the new one:
// the 3 MB sample of 4,000 rows needs 70 MB of address space (libraries
// included) and 0.05 s, so the largest school catalogue known, 100,000
// documents in a 100 MB file, needs a few seconds here, under a minute on a
// slow school computer, and a memory that hardly grows with the file.
constexpr RunLimits kReadingLimits{
    .wallClock = std::chrono::minutes(10),
    .processor = std::chrono::minutes(5),
    .addressSpace = quint64(1) << 30,
    .errorLines = 5,
};

enum class Outcome { Converted, AlreadyKarvel, Missing, Failed };

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

bool isKarvelFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
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
            // A copy, where the file system has no links, is compared with the original.
            if (!sameContents(jetPath, candidate))
                throw KarvelError(ErrDeviceIo,
                                  QStringLiteral("La copie %1 ne redonne pas le fichier d'origine.")
                                      .arg(candidate),
                                  candidate);
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

// The lock file Access keeps beside a database it has open (VOK.ldb beside
// VOK.MDB, .laccdb for an ACE file), whatever its letter case; empty when none.
QString lockFileOf(const QString& path) {
    const QFileInfo info(path);
    for (const QString& extension : {QStringLiteral(".ldb"), QStringLiteral(".laccdb")}) {
        const QString found = findEntry(info.absolutePath(), info.completeBaseName() + extension);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

// A read lock on the whole Jet file while it is converted, tied to this open
// file: another program that holds a lock on it (Access through Samba or Wine,
// another karvel-convert) keeps it from being taken, and sees it in turn.
class ReadLock {
  public:
    explicit ReadLock(const QString& path)
        : fd_(::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ < 0)
            return;
        struct flock lock {};
        lock.l_type = F_RDLCK;
        lock.l_whence = SEEK_SET;
        if (::fcntl(fd_, F_OFD_SETLK, &lock) != 0) {
            takenByAnother_ = errno == EAGAIN || errno == EACCES;
            return;
        }
        struct flock probe {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        takenByAnother_ = ::fcntl(fd_, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    }
    ~ReadLock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ReadLock(const ReadLock&) = delete;
    ReadLock& operator=(const ReadLock&) = delete;
    // A file that cannot be opened, or a file system without such locks, is
    // left to the reading to report.
    bool takenByAnother() const { return takenByAnother_; }

  private:
    int fd_;
    bool takenByAnother_ = false;
};

// Whether the system refuses a new file in the folder: one is made under the
// temporary name and removed at once.
bool folderRefusesWriting(const QString& temporary) {
    const int fd = ::open(encoded(temporary).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        ::unlink(encoded(temporary).constData());
        return false;
    }
    return errno == EACCES || errno == EPERM || errno == EROFS;
}

// Why the process that read `name` ended without a file, unless it said so itself.
QString readingFailure(const QString& name, const QString& program, const RunEnd& end) {
    if (end.how == RunEnd::How::NotStarted || (end.how == RunEnd::How::Exited && end.code == 127))
        return QStringLiteral("%1 : le programme de lecture %2 n'a pas pu être lancé")
            .arg(name, program);
    const bool outOfTime = end.how == RunEnd::How::OutOfTime ||
                           (end.how == RunEnd::How::Stopped && end.code == SIGXCPU);
    // clang-format off
    if (outOfTime)
        return QStringLiteral("%1 : fichier endommagé, sa lecture n'aboutit pas dans le temps permis").arg(name);
    return QStringLiteral("%1 : fichier endommagé, sa lecture a été arrêtée (mémoire épuisée ou données incohérentes)").arg(name);
    // clang-format on
}

// The Jet file read in a child process: everything the child said is printed,
// and true is returned when the new file waits, complete and checked, under
// the temporary name.
bool readInChild(const DatabaseFile& file, const QString& path, const QString& temporary,
                 const QString& program, const LinePrinter& print) {
    const RunEnd end =
        runLimited(program, {kChildOption, file.name, path, temporary}, kReadingLimits, print,
                   [&](const QString& line) { print(QStringLiteral("  libmdb : ") + line); });
    if (end.droppedErrorLines > 0)
        print(QStringLiteral("  (%1 autres lignes d'avertissement de libmdb non affichées)")
                  .arg(end.droppedErrorLines));
    if (end.how == RunEnd::How::Exited && end.code == 0)
        return true;
    removeTemporary(temporary);
    if (!(end.how == RunEnd::How::Exited && end.code == kChildRefused))
        print(readingFailure(QFileInfo(path).fileName(), program, end));
    return false;
}

Outcome convertFile(const DatabaseFile& file, const QString& path, const QString& program,
                    const LinePrinter& print, const StepHook& beforeStep) {
    const QString name = QFileInfo(path).fileName();
    if (isKarvelFile(path)) {
        print(QStringLiteral("%1 : déjà au format KarVel, rien à convertir").arg(name));
        return Outcome::AlreadyKarvel;
    }
    if (!isJetDatabaseFile(path)) {
        print(QStringLiteral("%1 : ni une base Jet ou Access, ni une base KarVel").arg(name));
        return Outcome::Failed;
    }
    const QString lockFile = lockFileOf(path);
    if (!lockFile.isEmpty()) {
        // clang-format off
        print(QStringLiteral("%1 : en cours d'utilisation, le fichier de verrou %2 est présent ; fermez le programme qui l'utilise (ou supprimez %2 si aucun ne l'utilise plus), puis relancez la conversion").arg(name, QFileInfo(lockFile).fileName()));
        // clang-format on
        return Outcome::Failed;
    }
    const ReadLock lock(path);
    if (lock.takenByAnother()) {
        // clang-format off
        print(QStringLiteral("%1 : en cours d'utilisation par un autre programme ; fermez-le, puis relancez la conversion").arg(name));
        // clang-format on
        return Outcome::Failed;
    }
    // What an interrupted run left under the temporary name is incomplete.
    const QString temporary = temporaryPath(path);
    removeTemporary(temporary);
    const QString folder = QFileInfo(path).absolutePath();
    if (folderRefusesWriting(temporary)) {
        // clang-format off
        print(QStringLiteral("%1 : le dossier %2 n'est pas modifiable, la conversion ne peut pas y écrire le nouveau fichier").arg(name, folder));
        // clang-format on
        return Outcome::Failed;
    }
    if (!readInChild(file, path, temporary, program, print))
        return Outcome::Failed;

    try {
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
        print(QStringLiteral("%1 : converti ; l'original est gardé sous le nom %2")
                  .arg(name, QFileInfo(kept).fileName()));
        return Outcome::Converted;
    } catch (const KarvelError& error) {
        removeTemporary(temporary);
        print(QStringLiteral("%1 : erreur %2 : %3")
                  .arg(name, QString::number(error.number()), error.description()));
        return Outcome::Failed;
    }
}

struct SeenFile {
    QString name;
    dev_t device;
    ino_t inode;
};

// The name under which the file at `path` was met already; otherwise it is
// recorded and the name is empty. A file reached under two of KarVel's names
// (a link) would else become two KarVel files.
QString metBefore(const QString& path, std::vector<SeenFile>& seen) {
    struct stat st {};
    if (::stat(encoded(path).constData(), &st) != 0)
        return QString();
    for (const SeenFile& file : seen) {
        if (file.device == st.st_dev && file.inode == st.st_ino)
            return file.name;
    }
    seen.push_back({QFileInfo(path).fileName(), st.st_dev, st.st_ino});
    return QString();
}

Outcome convertOnce(const DatabaseFile& file, const QString& folder, const QString& program,
                    const LinePrinter& print, const StepHook& beforeStep,
                    std::vector<SeenFile>& seen) {
    const QString path = findEntry(folder, file.name);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        print(QStringLiteral("%1 : absent du dossier %2").arg(file.name, folder));
        return Outcome::Missing;
    }
    const QString name = QFileInfo(path).fileName();
    Outcome outcome = Outcome::Failed;
    const QString earlier = metBefore(path, seen);
    if (earlier.isEmpty()) {
        outcome = convertFile(file, path, program, print, beforeStep);
    } else {
        // clang-format off
        print(QStringLiteral("%1 : même fichier que %2 ; KarVel a besoin de fichiers distincts").arg(name, earlier));
        // clang-format on
    }
    if (outcome == Outcome::Failed)
        print(QStringLiteral("%1 : conversion arrêtée, fichier laissé tel quel").arg(name));
    return outcome;
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

int convertInChild(const QString& role, const QString& jetPath, const QString& temporary,
                   const LinePrinter& print) {
    const auto file = std::find_if(databaseFiles().begin(), databaseFiles().end(),
                                   [&](const DatabaseFile& f) { return f.name == role; });
    if (file == databaseFiles().end())
        return 2;
    const QString name = QFileInfo(jetPath).fileName();
    try {
        {
            const JetFile jet(jetPath);
            print(QStringLiteral("%1 : base %2").arg(name, jet.formatName()));
            const QStringList problems = missingNeeds(jet.tables(), file->needs);
            if (!problems.isEmpty()) {
                for (const QString& problem : problems)
                    print(QStringLiteral("  ") + problem);
                return kChildRefused;
            }
        }
        const ConversionReport report = convertJetFile(
            jetPath, temporary, [&](const TableReport& table) { print(tableLine(table)); });
        for (const QString& linked : report.linkedTables)
            // clang-format off
            print(QStringLiteral("  table liée « %1 » non convertie : ses lignes sont dans un autre fichier").arg(linked));
        // clang-format on
        for (const TableReport& table : report.tables) {
            if (table.declaredRows >= 0 && table.declaredRows != table.rowsRead)
                // clang-format off
                print(QStringLiteral("  attention : le fichier annonce %1 lignes dans « %2 », %3 ont pu être lues").arg(QString::number(table.declaredRows), table.sourceName,
                               QString::number(table.rowsRead)));
        }
        print(QStringLiteral("%1 : %2 et vérifié")
                  .arg(name, counted(int(report.tables.size()), QStringLiteral("table écrite"),
                                     QStringLiteral("tables écrites"))));
        return 0;
    } catch (const KarvelError& error) {
        print(QStringLiteral("%1 : erreur %2 : %3")
                  .arg(name, QString::number(error.number()), error.description()));
        return kChildRefused;
    }
}

FolderSummary convertFolders(const QString& dataFolder, const QString& pupilsFolder,
                             const QString& program, const LinePrinter& print,
                             const StepHook& beforeStep) {
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
    // KarVel refuses such a folder: which of the two to convert is the school's choice.
    const QString twins = twinFilesMessage({dataFolder, pupilsFolder});
    if (!twins.isEmpty()) {
        print(twins);
        summary.failed = 1;
        return summary;
    }
    std::vector<SeenFile> seen;
    for (const DatabaseFile& file : databaseFiles()) {
        switch (convertOnce(file, file.inPupilsFolder ? pupilsFolder : dataFolder, program, print,
                            beforeStep, seen)) {
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
        print(QStringLiteral("Rien à convertir : les fichiers présents sont déjà au format KarVel."));
    if (summary.converted + summary.alreadyKarvel + summary.failed == 0)
        print(QStringLiteral("Aucun des fichiers de La V.O.K. ni de LEMAVORI n'est là : vérifiez le dossier indiqué."));
    print(QStringLiteral("Résumé : %1, %2 déjà au format KarVel, %3, %4 en échec.")
              .arg(counted(summary.converted, QStringLiteral("fichier converti"),
                           QStringLiteral("fichiers convertis")),
                   QString::number(summary.alreadyKarvel),
                   counted(summary.missing, QStringLiteral("absent"), QStringLiteral("absents")),
                   QString::number(summary.failed)));
    return summary;
}

} // namespace karvel::convert
