#pragma once
// The data folder and the pupils folder, fixed at start-up.

#include <QString>

namespace karvel {

struct Folders {
    QString data;
    QString pupils;
};

// The data folder is the start folder without a trailing separator. The
// pupils folder is the sibling LEMAVORI of a folder named LAVOK (any letter
// case), else /LEMAVORI, when that folder holds LEMAVORI.MDB; otherwise the
// data folder itself.
Folders resolveFolders(const QString& startFolder);

// The message that refuses a folder holding one of the program's files twice,
// under names that differ only in letter case (files from Windows, copied
// twice); empty when every file is there once at most.
QString twinFilesMessage(const Folders& folders);

// The file names of the companion products' databases.
inline const QString kCatalogueFile = QStringLiteral("VOK.MDB");
inline const QString kMembersFile = QStringLiteral("MEMBRES.MDB");
inline const QString kPupilsFile = QStringLiteral("LEMAVORI.MDB");
inline const QString kCotationFile = QStringLiteral("COTATION.MDB");

} // namespace karvel
