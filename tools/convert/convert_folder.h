#pragma once
// karvel-convert's work on a school's folders: it finds VOK.MDB, MEMBRES.MDB,
// LEMAVORI.MDB and COTATION.MDB whatever their letter case, converts those
// that are Jet files and puts each new file in place of its Jet original,
// which is kept under a name of its own and never deleted.

#include "table_source.h"

namespace karvel::schema {
struct Table;
}

namespace karvel::convert {

struct FolderSummary {
    int converted = 0;
    int alreadyKarvel = 0;
    int missing = 0;
    int failed = 0;
};

using LinePrinter = std::function<void(const QString&)>;
// Called with "link" just before the Jet file gets its second name, and with
// "rename" just before the new file takes its place; tests stop the tool there.
using StepHook = std::function<void(const QString& step)>;

// Each Jet file is read by `program` (karvel-convert itself) in a child process
// of its own, under limits of time and memory: a file it cannot read within
// them is reported damaged and left as it is.
FolderSummary convertFolders(const QString& dataFolder, const QString& pupilsFolder,
                             const QString& program, const LinePrinter& print,
                             const StepHook& beforeStep = {});

// The first argument that makes karvel-convert the child reading one file:
// then come KarVel's name for the file, the Jet file and the temporary name.
inline const QString kChildOption = QStringLiteral("--lire-un-fichier");

// The child's work: reads the Jet file `jetPath` as KarVel's file `role`
// ("VOK.MDB"...) and writes it to `temporary`, printing what it finds. Returns
// 0 when `temporary` is complete and checked, kChildRefused when the file is
// refused (the reasons printed), 2 for a role KarVel does not have. Any other
// end of the child (a signal, a sanitizer's exit status 1) is a file it could
// not read.
constexpr int kChildRefused = 3;
int convertInChild(const QString& role, const QString& jetPath, const QString& temporary,
                   const LinePrinter& print);

// The tables and fields of `needs` that `tables` lack, one French phrase each.
QStringList missingNeeds(const std::vector<SourceTable>& tables,
                         const std::vector<const schema::Table*>& needs);

// The name under which the new file is written before it replaces `jetPath`.
QString temporaryPath(const QString& jetPath);

} // namespace karvel::convert
