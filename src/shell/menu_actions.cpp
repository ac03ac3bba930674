#include "shell/menu_actions.h"

#include "common/text.h"
#include "desk/app_context.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "shell/startup.h"
#include "shell/version.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace karvel {

namespace {

// One message per line, so that any text seen on screen can be found here.
// clang-format off
const QString kPortraitQuestion = QStringLiteral("Voulez-vous que «KarVel» mette l'imprimante en format portrait ?");
const QString kLandscapeQuestion = QStringLiteral("Voulez-vous que «KarVel» mette l'imprimante en format paysage ?");
const QString kHelpNotice = QStringLiteral("L'aide s'ouvre dans le lecteur de documents RTF du bureau (LibreOffice Writer, AbiWord...)...");
const QString kInformationNotice = QStringLiteral("Les informations générales s'ouvrent dans le lecteur de documents RTF du bureau (LibreOffice Writer, AbiWord...)...");
const QString kVersionAdvice = QStringLiteral("Vous devez toujours préférer la version la plus récente. Même si celle-ci ne vous semble pas disposer de nouvelles fonctionnalités, elle aura certainement subi quelques modifications ou corrections internes, quelques optimisations du programme...");
// clang-format on

// A help document: the data folder's own, else the one installed with the
// program; the data folder's name when neither is there, for the message.
QString helpDocument(const QString& dataFolder, const QString& name) {
    if (fileExistsIn(dataFolder, name))
        return pathIn(dataFolder, name);
    const QStringList installed = {QCoreApplication::applicationDirPath() +
                                       QStringLiteral("/../share/karvel/") + name,
                                   QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                          QStringLiteral("karvel/") + name)};
    for (const QString& path : installed) {
        if (!path.isEmpty() && QFileInfo(path).isFile())
            return QFileInfo(path).canonicalFilePath();
    }
    return pathIn(dataFolder, name);
}

} // namespace

bool AskPrinterOrientation(AppContext& ctx, Orientation orientation) {
    const QString& question =
        orientation == Orientation::Portrait ? kPortraitQuestion : kLandscapeQuestion;
    ctx.answer = ctx.dialogs.message(Icon::Question, kProgramCaption, question, Buttons::YesNo);
    if (ctx.answer != AnswerYes)
        return false;
    return RunReportingErrors(ctx, [&] {
        ctx.printer.setOrientation(orientation);
        // An empty document: nothing is printed, the setting reaches the printer.
        ctx.printer.endDocument();
    });
}

ErrorOutcome OpenDataDocument(AppContext& ctx, DataDocument document) {
    const bool help = document == DataDocument::Help;
    ctx.dialogs.message(Icon::Information, kProgramCaption,
                        help ? kHelpNotice : kInformationNotice);
    const QString path = helpDocument(ctx.dataFolder, help ? QStringLiteral("helpkv.rtf")
                                                           : QStringLiteral("karvel.rtf"));
    try {
        if (!ctx.desktop)
            throw KarvelError(ErrNoViewer, kNoViewerDescription, path);
        ctx.desktop->openDocument(path);
    } catch (const KarvelError& error) {
        return ExplainError(ctx, error);
    }
    return ErrorOutcome::Resume;
}

QString versionBoxText(const QVersionNumber& version) {
    return QStringLiteral("Vous utilisez actuellement la ") + kVersionText +
           QStringLiteral(".\n\nNuméro de version : v.") + QString::number(version.majorVersion()) +
           QLatin1Char('.') + QString::number(version.minorVersion()) + QLatin1Char('.') +
           QString::number(version.microVersion()) + QStringLiteral("\n\n") + kVersionAdvice;
}

void ShowVersionBox(AppContext& ctx) {
    ctx.dialogs.message(Icon::Information, kProgramCaption + QStringLiteral(" - Info version"),
                        versionBoxText(programVersion()));
}

} // namespace karvel
