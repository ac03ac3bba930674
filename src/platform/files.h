#pragma once
// Files and folders. The data files come from Windows machines, so names are
// found whatever their letter case. Text files are UTF-8 with CR LF line ends,
// and legacy files in Windows-1252 are still read.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace karvel {

// The path of the entry `name` in `folder` as it is spelt on disk, matched
// without regard to case (an exact match wins); empty when there is none.
QString findEntry(const QString& folder, const QString& name);
// Every entry of `folder` spelt as `name` whatever its case, exact spelling first.
QStringList entriesNamed(const QString& folder, const QString& name);
// The path of `name` in `folder`: the entry found whatever its case, else the name as given.
QString pathIn(const QString& folder, const QString& name);
bool folderExists(const QString& path);
bool fileExistsIn(const QString& folder, const QString& name);

// The folder the program runs in, as a path that reaches it. A folder whose
// name came from an old disk in Latin-1 is not valid UTF-8 and has no exact
// spelling as text: it is then reached through the process's own link to
// its working folder, keeping the last name when it can be spelt, so that
// the folder rules that go by that name still apply.
QString currentFolder();

// Creates, empty, a new regular file beside `path` under a name of this
// machine's and this process's own, made afresh, for a writer that then puts
// it in the place of `path`: two desks writing one file at once never share
// a temporary file. Returns its name; failures name `path`.
QString createTemporaryFor(const QString& path);

// Removes from `folder` what writers of createTemporaryFor (and of the older
// "name.tmp" rule), or SQLite's "-journal" beside them, left when they were
// killed: only for a target name that `ours` accepts, only regular files,
// and only when the writer is gone: its process on this machine is no longer
// running, or, for a name without one or of another machine, the file has
// not changed for an hour.
void removeLeftoverTemporaries(const QString& folder,
                               const std::function<bool(const QString& target)>& ours);

// Makes the renames and new names in `folder` durable.
void syncFolder(const QString& folder);

// Gives the file `from` the second name `to`, durably: a hard link where the
// file system has them (atomic, nothing copied), else a copy flushed to disk
// under a temporary name and then renamed. Failures name `to`.
void linkOrCopy(const QString& from, const QString& to);

// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString decodeText(const QByteArray& bytes);

// File operations that can fail, each failure thrown as a KarvelError. A
// class with virtual members so that tests can inject failures such as a full disk.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual QByteArray read(const QString& path);
    // Writes the whole file under a temporary name, flushes it to disk and
    // renames it over the old one: a failure never leaves a half-written file.
    virtual void writeAtomically(const QString& path, const QByteArray& bytes);
    // Appends and flushes to disk before returning; creates the file if absent.
    // A failure takes back whatever part of the bytes went in. Appends of
    // two processes to one file take turns.
    virtual void append(const QString& path, const QByteArray& bytes);
    virtual void remove(const QString& path);
    virtual void rename(const QString& from, const QString& to);
    // Puts the complete file `temporary` in the place of `path` in one step:
    // its bytes reach the disk before the new name does. A link, pipe or
    // device in that place is refused. Failures name `path`.
    void replace(const QString& temporary, const QString& path);
};

} // namespace karvel
