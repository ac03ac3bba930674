#pragma once
// Which folder start-up works in. Started from a terminal in the library's
// data folder, KarVel works there; started from a desktop menu the current
// folder is the user's home, so the folder is named on the command line or
// chosen once and remembered for that user.

#include <QString>

namespace karvel {

// The folder named on the command line; else the current folder when it
// holds the catalogue; else the folder this user chose last time, if it
// still holds it. Empty when the user must be asked.
QString chooseDataFolder(const QString& argument, const QString& current,
                         const QString& remembered);

// True when `folder` holds the catalogue, whatever its letter case.
bool holdsCatalogue(const QString& folder);

} // namespace karvel
