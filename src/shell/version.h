#pragma once
// The program's version numbers, taken from the project's version in the
// build files so that the version box and the package never disagree.

#include <QVersionNumber>

namespace karvel {

// Major, minor and revision: 2.1.6.
QVersionNumber programVersion();

} // namespace karvel
