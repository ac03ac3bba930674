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

FolderSummary convertFolders(const QString& dataFolder, const QString& pupilsFolder,
                             const LinePrinter& print, const StepHook& beforeStep = {});

// The tables and fields of `needs` that `tables` lack, one French phrase each.
QStringList missingNeeds(const std::vector<SourceTable>& tables,
                         const std::vector<const schema::Table*>& needs);

// The name under which the new file is written before it replaces `jetPath`.
QString temporaryPath(const QString& jetPath);

} // namespace karvel::convert
