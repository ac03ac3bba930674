#pragma once
// One error type for every platform failure: the number the user's messages
// are built on and a French description of the condition.

#include <QString>
#include <exception>

namespace karvel {

// The numbers the error reporting tests, and a few more that the platform layers raise.
enum ErrorNumber : int {
    ErrBadFileName = 52,
    ErrFileNotFound = 53,
    ErrDeviceIo = 57,
    ErrFileExists = 58,
    ErrDiskFull = 61,
    ErrDeviceUnavailable = 68,
    ErrPermissionDenied = 70,
    ErrDiskNotReady = 71,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrDatabaseEngine = 3000,
    ErrNoCurrentRecord = 3021,
    ErrDuplicateKey = 3022,
    ErrDatabaseNotFound = 3024,
    ErrDiskOrNetwork = 3043,
    ErrDatabaseDamaged = 3049,
    ErrLockingUnavailable = 3050,
    ErrDatabaseInUse = 3051,
    ErrTableNotFound = 3078,
    ErrRecordDeleted = 3167,
    ErrRecordLocked = 3218,
    ErrItemNotFound = 3265,
    ErrUnrecognisedFormat = 3343,
    ErrObjectInvalid = 3420,
};

class KarvelError : public std::exception {
  public:
    KarvelError(int number, QString description, QString path = {});

    int number() const { return number_; }
    const QString& description() const { return description_; }
    // The file the failure concerns, when there is one.
    const QString& path() const { return path_; }
    const char* what() const noexcept override { return what_.constData(); }

  private:
    int number_;
    QString description_;
    QString path_;
    QByteArray what_;
};

// The French description of a number, as the platform words it; `subject`
// names the file or item when the wording has a place for it.
QString errorDescription(int number, const QString& subject = {});

// Builds the error of a number with its standard description.
KarvelError makeError(int number, const QString& path = {});

// Translates a C library errno value met on `path`.
KarvelError errorFromErrno(int errnum, const QString& path);

} // namespace karvel
