#include "data/folders.h"

#include "data/settings.h"
#include "platform/files.h"

#include <QFileInfo>

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

QString twinFilesMessage(const Folders& folders) {
    struct File {
        const QString& folder;
        const QString& name;
    };
    const File files[] = {{folders.data, kCatalogueFile},         {folders.data, kMembersFile},
                          {folders.data, kCotationFile},          {folders.data, kSettingsFile},
                          {folders.data, kCompanionSettingsFile}, {folders.pupils, kPupilsFile}};
    for (const File& file : files) {
        const QStringList twins = entriesNamed(file.folder, file.name);
        if (twins.size() < 2)
            continue;
        // clang-format off
        return QStringLiteral("Le dossier « %1 » contient deux fichiers dont les noms ne diffèrent que par les majuscules : « %2 » et « %3 ».\nKarVel ne peut pas savoir lequel utiliser : renommez ou déplacez l'un des deux, puis relancez KarVel.")
            // clang-format on
            .arg(file.folder, QFileInfo(twins[0]).fileName(), QFileInfo(twins[1]).fileName());
    }
    return QString();
}

} // namespace karvel
