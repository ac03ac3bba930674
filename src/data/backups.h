#pragma once
// The automatic backups made when the user quits: the three database files
// copied to day-of-month backups in the data folder, each with a note.

#include <QDate>
#include <QString>
#include <QStringList>

namespace karvel {

struct DataContext;
class FileSystem;

// Closes every data link, in the order the backups need; a link that is not
// open is skipped without a word.
void CloseDatabases(DataContext& ctx);

// Closes the databases, copies VOK.MDB, LEMAVORI.MDB and MEMBRES.MDB to
// VOK_dd.BAK, MAV_dd.BAK and MBRS_dd.BAK with a VOK_dd.TXT... note beside
// each copy made, and shows the notice when BackupNotice is "on". A copy is
// made under a name of this process and checked before it takes the day's
// name: a source that is empty or cannot be read, or whose copy has fewer
// than half the rows of the backup it would replace, leaves that backup as
// it was, and one message at the end says which copies were kept and why.
// Nothing that fails stops the rest; the first failure is shown at the end
// with the standard error message, naming the backup. Returns the full
// names of the copies made.
QStringList MakeBackups(DataContext& ctx);

// Copies LEMAVORI.MDB of `pupilsFolder` to the day's MAV_dd.BAK of the data
// folder, with its note, exactly as the quit does: what is about to change
// the whole pupils file keeps the file as it was. A copy refused by the
// checks of MakeBackups, or that fails, is thrown as a KarvelError naming
// the backup. Returns the full name of the copy.
QString BackUpPupilsFile(FileSystem& files, const QString& dataFolder, const QString& pupilsFolder,
                         const QDate& today);

// Removes from the data folder the temporary files of backups, notes and
// settings that a killed run left, once their writer is gone.
void RemoveLeftovers(const QString& dataFolder);

// "a", "a et b", "a, b et c": names joined as the notice lists them.
QString joinNames(const QStringList& names, const QString& lastJoin = QStringLiteral(" et "));

} // namespace karvel
