#pragma once
// The desktop's document viewer: the help documents are rich text and open
// with whatever the desktop uses for rich text, without the program waiting.

#include "platform/errors.h"

#include <QString>

namespace karvel {

// No application can open the document. Not one of the numbers the error
// reporting treats apart, so the user sees the description below.
inline constexpr int ErrNoViewer = 432;
// clang-format off
inline const QString kNoViewerDescription = QStringLiteral("Aucune application n'est installée pour lire les documents RTF : installez LibreOffice Writer (paquet libreoffice-writer) ou AbiWord (paquet abiword), puis ouvrez ce document à nouveau.");
// clang-format on

class Desktop {
  public:
    virtual ~Desktop() = default;

    // Opens the document at `path` and returns at once. Throws a KarvelError:
    // 53 when the file is missing, 76 when its folder is, ErrNoViewer when
    // nothing can open it.
    void openDocument(const QString& path);

  protected:
    // Hands an existing file to the viewer.
    virtual void launch(const QString& path) = 0;
};

} // namespace karvel
