#include "shell/menu_actions.h"

#include "common/app_context.h"
#include "common/text.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "shell/startup.h"
#include "shell/version.h"

namespace karvel {

namespace {

// One message per line, so that any text seen on screen can be found here.
// clang-format off
const QString kPortraitQuestion = QStringLiteral("Voulez-vous que «KarVel» mette l'imprimante en format portrait ?");
const QString kLandscapeQuestion = QStringLiteral("Voulez-vous que «KarVel» mette l'imprimante en format paysage ?");
const QString kHelpNotice = QStringLiteral("La lecture de l'aide s'effectue à l'aide de l'accessoire 'WRITE' OU 'WORDPAD' de Windows...");
const QString kInformationNotice = QStringLiteral("La lecture des informations générales s'effectue à l'aide de l'accessoire 'WRITE' OU 'WORDPAD' de Windows...");
const QString kVersionAdvice = QStringLiteral("Vous devez toujours préférer la version la plus récente. Même si celle-ci ne vous semble pas disposer de nouvelles fonctionnalités, elle aura certainement subi quelques modifications ou corrections internes, quelques optimisations du programme...");
// clang-format on

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
    const QString path =
        pathIn(ctx.dataFolder, help ? QStringLiteral("helpkv.rtf") : QStringLiteral("karvel.rtf"));
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
