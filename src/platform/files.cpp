#include "platform/files.h"

#include "platform/errors.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QSysInfo>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace karvel {

namespace {

// clang-format off
const QString kNotARegularFile = QStringLiteral("Le fichier « %1 » n'est pas un fichier ordinaire (lien symbolique, tube nommé ou périphérique) : KarVel ne s'en sert pas.");
// clang-format on

KarvelError notARegularFile(const QString& path) {
    return KarvelError(ErrPathFileAccess, kNotARegularFile.arg(path), path);
}

// True when `path` names something other than a regular file, a symbolic
// link included.
bool somethingElseAt(const QString& path) {
    struct stat entry {};
    return ::lstat(QFile::encodeName(path).constData(), &entry) == 0 && !S_ISREG(entry.st_mode);
}

enum class Links { Follow, Refuse };

// RAII file descriptor on a regular file. A link, a pipe or a device in a
// file's place would send what the program writes somewhere else, or freeze
// the desk for ever on a pipe nobody reads: none is ever opened for writing,
// and a pipe or device is not read either.
class Fd {
  public:
    // Failures name `shown`: the file the user knows, not a temporary name.
    Fd(const QString& path, int flags, Links links, const QString& shown)
        : fd_(::open(QFile::encodeName(path).constData(),
                     flags | O_CLOEXEC | O_NONBLOCK | (links == Links::Refuse ? O_NOFOLLOW : 0),
                     0644)) {
        if (fd_ < 0) {
            const int error = errno;
            if (links == Links::Refuse && somethingElseAt(path))
                throw notARegularFile(shown);
            throw errorFromErrno(error, shown);
        }
        struct stat opened {};
        if (::fstat(fd_, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            throw notARegularFile(shown);
        }
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    }
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void close(const QString& path) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            throw errorFromErrno(errno, path);
    }

  private:
    int fd_;
};

void writeAll(int fd, const QByteArray& bytes, const QString& path) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw errorFromErrno(errno, path);
        }
        done += n;
    }
    if (::fsync(fd) != 0)
        throw errorFromErrno(errno, path);
}

// This machine's name as a file name may carry it on any disk: letters and digits.
QString hostTag() {
    QString tag;
    for (const QChar c : QSysInfo::machineHostName()) {
        if (c.isLetterOrNumber() && c.unicode() < 0x80)
            tag += c;
    }
    return tag.isEmpty() ? QStringLiteral("poste") : tag;
}

// Whether the writer of a temporary name, made on `host` by process `pid`
// (none for the older rule), is gone; `changed` is the file's last change.
bool writerGone(const QString& host, qint64 pid, const QDateTime& changed) {
    if (pid > 0 && host == hostTag())
        return pid != QCoreApplication::applicationPid() && ::kill(pid_t(pid), 0) != 0 &&
               errno == ESRCH;
    // Another machine's process cannot be asked: a copy is written in
    // seconds, so a file untouched for an hour has no writer left.
    return changed.secsTo(QDateTime::currentDateTime()) > 3600;
}

// Windows-1252 characters of bytes 0x80 to 0x9F; the others match Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

} // namespace

QString findEntry(const QString& folder, const QString& name) {
    const QString exact = folder + QLatin1Char('/') + name;
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList found = entriesNamed(folder, name);
    return found.isEmpty() ? QString() : found.first();
}

QStringList entriesNamed(const QString& folder, const QString& name) {
    const QDir dir(folder.isEmpty() ? QStringLiteral("/") : folder);
    QStringList found;
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        const QString path = folder + QLatin1Char('/') + entry;
        if (entry == name)
            found.prepend(path);
        else
            found.append(path);
    }
    return found;
}

QString pathIn(const QString& folder, const QString& name) {
    const QString found = findEntry(folder, name);
    return found.isEmpty() ? folder + QLatin1Char('/') + name : found;
}

bool folderExists(const QString& path) {
    return QFileInfo(path).isDir();
}

bool fileExistsIn(const QString& folder, const QString& name) {
    const QString found = findEntry(folder, name);
    return !found.isEmpty() && QFileInfo(found).isFile();
}

QString currentFolder() {
    QByteArray bytes(4096, '\0');
    while (!::getcwd(bytes.data(), size_t(bytes.size()))) {
        if (errno != ERANGE)
            return QDir::currentPath();
        bytes.resize(bytes.size() * 2);
    }
    bytes.truncate(qsizetype(qstrlen(bytes.constData())));
    // The folder as the shell reached it: through a link, its siblings are
    // those beside the link, not beside the folder the link leads to.
    const QByteArray shell = qgetenv("PWD");
    struct stat here {};
    struct stat named {};
    if (shell.startsWith('/') && ::stat(".", &here) == 0 &&
        ::stat(shell.constData(), &named) == 0 && here.st_dev == named.st_dev &&
        here.st_ino == named.st_ino)
        bytes = shell;
    const QString path = QFile::decodeName(bytes);
    if (QFile::encodeName(path) == bytes)
        return path;
    const QByteArray last = bytes.mid(bytes.lastIndexOf('/') + 1);
    const QString name = QFile::decodeName(last);
    if (!last.isEmpty() && QFile::encodeName(name) == last)
        return QStringLiteral("/proc/self/cwd/../") + name;
    return QStringLiteral("/proc/self/cwd");
}

QString decodeText(const QByteArray& bytes) {
    // Only a decoding error tells another encoding: valid UTF-8 may hold
    // U+FFFD itself, as a legacy byte without a character comes back once
    // the program has rewritten the file.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    text.clear();
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text.append(byte >= 0x80 && byte < 0xA0 ? QChar(kCp1252High[byte - 0x80])
                                                : QChar(char16_t(byte)));
    }
    return text;
}

QString createTemporaryFor(const QString& path) {
    // Made afresh: nothing already there is opened, a link least of all.
    const QString temporary =
        path + QStringLiteral(".%1-%2-%3.tmp")
                   .arg(hostTag())
                   .arg(QCoreApplication::applicationPid())
                   .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    Fd fd(temporary, O_WRONLY | O_CREAT | O_EXCL, Links::Refuse, path);
    fd.close(path);
    return temporary;
}

void removeLeftoverTemporaries(const QString& folder,
                               const std::function<bool(const QString& target)>& ours) {
    static const QRegularExpression named(
        QStringLiteral(R"(^(.+)\.([A-Za-z0-9]+)-([0-9]+)-[0-9a-f]{8}\.tmp(?:-journal)?$)"));
    static const QRegularExpression older(QStringLiteral(R"(^(.+)\.tmp(?:-journal)?$)"));
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        QString target, host;
        qint64 pid = 0;
        if (const QRegularExpressionMatch m = named.match(entry); m.hasMatch()) {
            target = m.captured(1);
            host = m.captured(2);
            pid = m.captured(3).toLongLong();
        } else if (const QRegularExpressionMatch o = older.match(entry); o.hasMatch()) {
            target = o.captured(1);
        }
        if (target.isEmpty() || !ours(target))
            continue;
        const QString path = folder + QLatin1Char('/') + entry;
        // A symbolic link is never ours, whatever it points to.
        if (somethingElseAt(path))
            continue;
        const QFileInfo info(path);
        if (info.exists() && writerGone(host, pid, info.lastModified()))
            ::unlink(QFile::encodeName(path).constData());
    }
}

void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void linkOrCopy(const QString& from, const QString& to) {
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) {
        syncFolder(QFileInfo(to).absolutePath());
        return;
    }
    const int error = errno;
    if (error != EXDEV && error != EPERM && error != EOPNOTSUPP && error != EMLINK &&
        error != ENOSYS)
        throw errorFromErrno(error, to);
    FileSystem files;
    files.writeAtomically(to, files.read(from));
}

QByteArray FileSystem::read(const QString& path) {
    Fd fd(path, O_RDONLY, Links::Follow, path);
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw errorFromErrno(errno, path);
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    return bytes;
}

void FileSystem::writeAtomically(const QString& path, const QByteArray& bytes) {
    // The rename would put the file in the place of a link or a pipe that
    // someone set there on purpose: that is refused before anything is written.
    if (somethingElseAt(path))
        throw notARegularFile(path);
    const QString temporary = createTemporaryFor(path);
    try {
        Fd fd(temporary, O_WRONLY, Links::Refuse, path);
        writeAll(fd.get(), bytes, path);
        fd.close(path);
        replace(temporary, path);
    } catch (...) {
        ::unlink(QFile::encodeName(temporary).constData());
        throw;
    }
}

void FileSystem::append(const QString& path, const QByteArray& bytes) {
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        Fd fd(path, O_WRONLY | O_CREAT | O_APPEND, Links::Refuse, path);
        // Another desk on the same folder appends to the same journal. With
        // the lock held, the size taken below is where these bytes start, so
        // taking back a write cut short never cuts into the other's entries.
        // A file system without locks leaves each entry to its one write.
        while (::flock(fd.get(), LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat before {};
        struct stat named {};
        const bool sized = ::fstat(fd.get(), &before) == 0;
        // A desk whose first entry failed removed the new file while this one
        // waited: the entry goes to the file that now has the name.
        if (sized && (::lstat(name.constData(), &named) != 0 || named.st_ino != before.st_ino ||
                      named.st_dev != before.st_dev))
            continue;
        const bool created = sized && before.st_size == 0;
        try {
            writeAll(fd.get(), bytes, path);
        } catch (...) {
            // A disk that fills up cuts a write short: what did go in is
            // taken back, so the file never ends with part of the bytes.
            if (created)
                ::unlink(name.constData());
            else if (sized && ::ftruncate(fd.get(), before.st_size) == 0)
                ::fsync(fd.get());
            throw;
        }
        fd.close(path);
        // A new file's name must reach the disk with its first lines.
        if (created)
            syncFolder(QFileInfo(path).absolutePath());
        return;
    }
}

void FileSystem::remove(const QString& path) {
    if (::unlink(QFile::encodeName(path).constData()) != 0)
        throw errorFromErrno(errno, path);
}

void FileSystem::rename(const QString& from, const QString& to) {
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw errorFromErrno(errno, to);
}

void FileSystem::replace(const QString& temporary, const QString& path) {
    if (somethingElseAt(path))
        throw notARegularFile(path);
    {
        Fd fd(temporary, O_RDONLY, Links::Refuse, path);
        if (::fsync(fd.get()) != 0)
            throw errorFromErrno(errno, path);
    }
    rename(temporary, path);
    syncFolder(QFileInfo(path).absolutePath());
}

} // namespace karvel
