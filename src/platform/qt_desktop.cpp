#include "platform/qt_desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace karvel {

namespace {

// xdg-open hands a file to the desktop and returns at once, even when no
// application takes its kind: the desktop is asked first which one would.
// True when one would, or when there is no asking.
bool desktopHasViewerFor(const QString& path) {
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return true;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    for (const QString& name : QStringList{type.name()} + type.aliases()) {
        QProcess process;
        process.start(query, {QStringLiteral("query"), QStringLiteral("default"), name});
        if (!process.waitForFinished(5000))
            return true;
        if (!process.readAllStandardOutput().trimmed().isEmpty())
            return true;
    }
    return false;
}

} // namespace

QtDesktop::QtDesktop(QString opener) : opener_(std::move(opener)) {}

void QtDesktop::launch(const QString& path) {
    const QString program =
        QFileInfo(opener_).isAbsolute() ? opener_ : QStandardPaths::findExecutable(opener_);
    if (opener_ == QLatin1String("xdg-open") && !desktopHasViewerFor(path))
        throw KarvelError(ErrNoViewer, kNoViewerDescription, path);
    if (!program.isEmpty() && QProcess::startDetached(program, {path}))
        return;
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return;
    throw KarvelError(ErrNoViewer, kNoViewerDescription, path);
}

} // namespace karvel
