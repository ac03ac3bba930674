// KarVel: the barcode module of the school library's loan desk.

#include "common/app_context.h"
#include "data/backups.h"
#include "data/settings.h"
#include "platform/files.h"
#include "platform/qt_desktop.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_printer.h"
#include "platform/qt_sounds.h"
#include "printing/printing_windows.h"
#include "shell/main_window.h"
#include "shell/presentation_window.h"
#include "shell/startup.h"
#include "shell/system_end.h"
#include "shell/version.h"

#include <QAction>
#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The user's own settings (the sounds on or off) go under these names.
    QApplication::setOrganizationName(QStringLiteral("KarVel"));
    QApplication::setApplicationName(QStringLiteral("KarVel"));
    QApplication::setApplicationVersion(karvel::programVersion().toString());
    // The program ends only through the quit window, the system's request or
    // a fatal error, never because its last window went away.
    QApplication::setQuitOnLastWindowClosed(false);
    // From here on, the system asking the program to end waits for the main window.
    karvel::SystemEnd systemEnd;

    karvel::QtDialogs dialogs;
    karvel::SystemClock clock;
    karvel::FileSystem files;
    // PDF files made when no printer is installed go to the data folder,
    // which is known only once start-up has run.
    karvel::AppContext* context = nullptr;
    const std::unique_ptr<karvel::PrinterSurface> printer =
        karvel::makeDefaultPrinter(dialogs, files, clock, [&context] {
            return context ? context->dataFolder : karvel::currentFolder();
        });
    karvel::QtDesktop desktop;
    karvel::AppContext ctx(dialogs, clock, files, *printer);
    context = &ctx;
    ctx.desktop = &desktop;
    karvel::QtSounds sounds;
    ctx.sounds = &sounds;

    auto splash = std::make_unique<karvel::PresentationWindow>();
    splash->showNow();
    karvel::PrintingWindows printing(ctx);
    karvel::StartupHooks hooks;
    // LoadSettings reports its own failures; start-up goes on either way.
    hooks.loadSettings = [&ctx] { karvel::LoadSettings(ctx); };
    hooks.loadLayoutWindow = [&printing] { printing.layoutWindow(); };
    const karvel::StartupResult result = karvel::RunStartup(ctx, karvel::currentFolder(), hooks);
    splash.reset();
    if (result == karvel::StartupResult::EndProgram)
        return 1;

    karvel::QuitActions quit;
    quit.makeBackups = [&ctx] { karvel::MakeBackups(ctx); };
    karvel::MainWindow mainWindow(ctx, quit);
    mainWindow.useSounds(sounds);
    QObject::connect(mainWindow.labelSheetsAction(), &QAction::triggered,
                     [&printing] { printing.showLabelSheets(); });
    mainWindow.labelSheetsAction()->setEnabled(true);
    QObject::connect(mainWindow.borrowerCardsAction(), &QAction::triggered,
                     [&printing] { printing.showBorrowerCards(); });
    mainWindow.borrowerCardsAction()->setEnabled(true);
    // The system ending the program quits as "Oui, je quitte" does, with
    // nobody left to answer a message.
    systemEnd.whenAsked([&dialogs, &mainWindow] {
        dialogs.answerForNobody();
        mainWindow.quitWindow().quit();
    });
    mainWindow.show();
    return app.exec();
}
