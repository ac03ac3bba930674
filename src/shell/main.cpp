// KarVel: the barcode module of the school library's loan desk.

#include "data/backups.h"
#include "data/settings.h"
#include "desk/app_context.h"
#include "platform/files.h"
#include "platform/qt_desktop.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_printer.h"
#include "platform/qt_sounds.h"
#include "printing/printing_windows.h"
#include "shell/command_line.h"
#include "shell/data_folder_choice.h"
#include "shell/main_window.h"
#include "shell/presentation_window.h"
#include "shell/startup.h"
#include "shell/system_end.h"
#include "shell/version.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QIcon>
#include <QSettings>

namespace {

const QString kUsage = QStringLiteral(
    "Usage : karvel [DOSSIER_DES_DONNÉES]\n"
    "Le module codes-barres de la bibliothèque de l'école : prêts et retours au lecteur de codes-barres, étiquettes, cartes d'emprunteurs, inventaire et sauvegardes.\n"
    "Sans dossier, KarVel travaille dans le dossier courant s'il contient VOK.MDB, sinon dans le dernier dossier choisi, sinon il demande où se trouve le dossier des données (LAVOK).\n"
    "  -h, --help   affiche cette aide\n"
    "  --version    affiche la version\n");

// Where this user's chosen data folder is remembered.
const QString kDataFolderKey = QStringLiteral("dossierDesDonnees");

// The options Qt's own windowing reads from the command line: accepted, and
// left to it.
void acceptQtOptions(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin", "display",
                             "style", "stylesheet", "geometry", "qwindowgeometry", "qwindowtitle",
                             "qwindowicon", "session", "name", "title"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("valeur"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : {"reverse", "nograb", "dograb", "sync", "widgetcount"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    // Answered before any window system is needed: a terminal without a
    // display gets its help and version too.
    QCommandLineParser parser;
    acceptQtOptions(parser);
    if (const std::optional<int> exit = karvel::parseCommandLine(
            parser, karvel::argumentsOf(argc, argv), QStringLiteral("karvel"), kUsage))
        return *exit;
    if (parser.positionalArguments().size() > 1) {
        karvel::printError(QStringLiteral("karvel : un seul dossier des données.\n") + kUsage);
        return 2;
    }

    QApplication app(argc, argv);
    // The user's own settings (the sounds on or off) go under these names.
    QApplication::setOrganizationName(QStringLiteral("KarVel"));
    QApplication::setApplicationName(QStringLiteral("KarVel"));
    QApplication::setApplicationVersion(karvel::programVersion().toString());
    // The menu entry and the icon installed with the program.
    QGuiApplication::setDesktopFileName(QStringLiteral("karvel"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("karvel")));
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

    // Started from a menu, the current folder is the user's home: the folder
    // is named, or the one chosen last time, or asked for once.
    QSettings settings;
    QString dataFolder =
        karvel::chooseDataFolder(parser.positionalArguments().value(0), karvel::currentFolder(),
                                 settings.value(kDataFolderKey).toString());
    if (dataFolder.isEmpty()) {
        dataFolder = QFileDialog::getExistingDirectory(
            nullptr,
            QStringLiteral(
                "KarVel : choisissez le dossier des données de la bibliothèque (LAVOK, qui contient VOK.MDB)"));
        if (dataFolder.isEmpty())
            return 1;
    }
    if (karvel::holdsCatalogue(dataFolder))
        settings.setValue(kDataFolderKey, dataFolder);

    auto splash = std::make_unique<karvel::PresentationWindow>();
    splash->showNow();
    karvel::PrintingWindows printing(ctx);
    karvel::StartupHooks hooks;
    // LoadSettings reports its own failures; start-up goes on either way.
    hooks.loadSettings = [&ctx] { karvel::LoadSettings(ctx); };
    hooks.loadLayoutWindow = [&printing] { printing.layoutWindow(); };
    const karvel::StartupResult result = karvel::RunStartup(ctx, dataFolder, hooks);
    splash.reset();
    if (result == karvel::StartupResult::EndProgram)
        return 1;

    karvel::QuitActions quit;
    quit.makeBackups = [&ctx] { karvel::MakeBackups(ctx); };
    karvel::MainWindow mainWindow(ctx, quit);
    mainWindow.useSounds(sounds);
    mainWindow.usePrintingWindows(printing);
    // The system ending the program quits as "Oui, je quitte" does, with
    // nobody left to answer a message.
    systemEnd.whenAsked([&dialogs, &mainWindow] {
        dialogs.answerForNobody();
        mainWindow.quitWindow().quit();
    });
    mainWindow.show();
    return app.exec();
}
