#include "platform/qt_desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace karvel {

QtDesktop::QtDesktop(QString opener) : opener_(std::move(opener)) {}

void QtDesktop::launch(const QString& path) {
    const QString program =
        QFileInfo(opener_).isAbsolute() ? opener_ : QStandardPaths::findExecutable(opener_);
    if (!program.isEmpty() && QProcess::startDetached(program, {path}))
        return;
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return;
    throw KarvelError(ErrNoViewer, kNoViewerDescription, path);
}

} // namespace karvel
