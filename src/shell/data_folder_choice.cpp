#include "shell/data_folder_choice.h"

#include "data/folders.h"
#include "platform/files.h"

#include <QDir>

namespace karvel {

bool holdsCatalogue(const QString& folder) {
    return !folder.isEmpty() && fileExistsIn(folder, kCatalogueFile);
}

QString chooseDataFolder(const QString& argument, const QString& current,
                         const QString& remembered) {
    if (!argument.isEmpty())
        return QDir(argument).absolutePath();
    if (holdsCatalogue(current))
        return current;
    if (holdsCatalogue(remembered))
        return remembered;
    return {};
}

} // namespace karvel
