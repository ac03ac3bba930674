#include "shell/version.h"

namespace karvel {

QVersionNumber programVersion() {
    return QVersionNumber(KARVEL_VERSION_MAJOR, KARVEL_VERSION_MINOR, KARVEL_VERSION_PATCH);
}

} // namespace karvel
