#include "data/folders.h"

#include "platform/files.h"

namespace karvel {

Folders resolveFolders(const QString& startFolder) {
    Folders folders;
    folders.data = startFolder;
    if (folders.data.size() > 1 && folders.data.endsWith(QLatin1Char('/'))) {
        folders.data.chop(1);
        folders.data = folders.data.trimmed();
    }
    // The root itself has no name after its separator: "/" becomes "", as C:\ became C:.
    if (folders.data == QLatin1String("/"))
        folders.data.clear();

    QString candidate;
    if (folders.data.right(6).toUpper() == QLatin1String("/LAVOK"))
        candidate = folders.data.left(folders.data.size() - 6) + QStringLiteral("/LEMAVORI");
    else
        candidate = QStringLiteral("/LEMAVORI");

    // Folders copied from Windows may have any letter case.
    const int slash = int(candidate.lastIndexOf(QLatin1Char('/')));
    const QString found = findEntry(candidate.left(slash), candidate.mid(slash + 1));
    if (!found.isEmpty())
        candidate = found;

    folders.pupils =
        folderExists(candidate) && fileExistsIn(candidate, kPupilsFile) ? candidate : folders.data;
    return folders;
}

} // namespace karvel
