#include "platform/desktop.h"

#include <QFileInfo>
#include <cerrno>

namespace karvel {

void Desktop::openDocument(const QString& path) {
    // Checked here rather than left to the viewer: it would start and then
    // complain in a window of its own, out of the program's error reporting.
    if (!QFileInfo(path).isFile())
        throw errorFromErrno(ENOENT, path);
    launch(path);
}

} // namespace karvel
