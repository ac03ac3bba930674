// karvel-convert DATA_FOLDER [PUPILS_FOLDER]: converts a school's Jet database
// files, brought over from Windows, into KarVel files (see convert_folder.h).
#include "convert_folder.h"

#include "data/folders.h"
#include "shell/command_line.h"

#include <QCoreApplication>
#include <QDir>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

const QString kUsage = QStringLiteral(
    "Usage : karvel-convert DOSSIER_DES_DONNÉES [DOSSIER_DES_ÉLÈVES]\n"
    "Convertit VOK.MDB, MEMBRES.MDB, COTATION.MDB (dossier des données) et LEMAVORI.MDB\n"
    "(dossier des élèves) venus de Windows (Microsoft Jet ou Access) en bases KarVel.\n"
    "Chaque original est gardé à côté, sous le nom FICHIER.jet ; un fichier déjà au format\n"
    "KarVel n'est pas touché. Le dossier des élèves est par défaut celui que KarVel prend :\n"
    "le dossier LEMAVORI voisin d'un dossier LAVOK, s'il contient LEMAVORI.MDB.\n"
    "  -h, --help   affiche cette aide\n"
    "  --version    affiche la version\n");

int refuse(const QString& message) {
    karvel::printError(QStringLiteral("karvel-convert : ") + message + QLatin1Char('\n') + kUsage);
    return 2;
}

// The child reading one Jet file: libmdb writes its warnings and dumps on
// standard output as well as on standard error, so both go to the parent's
// capped channel and the lines of the conversion to a copy of the output.
int readOneFile(const QStringList& args) {
    std::fflush(stdout);
    const int report = ::dup(STDOUT_FILENO);
    std::FILE* out = report >= 0 ? ::fdopen(report, "w") : nullptr;
    if (!out || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return 2;
    return karvel::convert::convertInChild(args[1], args[2], args[3], [out](const QString& line) {
        print(out, line + QLatin1Char('\n'));
    });
}

} // namespace

int main(int argc, char** argv) {
    // libmdb gives texts in the character set this variable names; KarVel's are UTF-8.
    ::unsetenv("MDB_ICONV");
    const QStringList arguments = karvel::argumentsOf(argc, argv);
    QCommandLineParser parser;
    if (!(arguments.size() == 5 && arguments[1] == karvel::convert::kChildOption)) {
        if (const std::optional<int> exit = karvel::parseCommandLine(
                parser, arguments, QStringLiteral("karvel-convert"), kUsage))
            return *exit;
    }
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const auto printLine = [](const QString& line) { print(stdout, line + QLatin1Char('\n')); };
    if (args.size() == 4 && args[0] == karvel::convert::kChildOption)
        return readOneFile(args);
    const QStringList folders = parser.positionalArguments();
    if (folders.isEmpty())
        return refuse(QStringLiteral("indiquez le dossier des données."));
    if (folders.size() > 2)
        return refuse(QStringLiteral("deux dossiers au plus."));

    const karvel::Folders found = karvel::resolveFolders(QDir(folders[0]).absolutePath());
    const QString pupils = folders.size() > 1
                               ? karvel::resolveFolders(QDir(folders[1]).absolutePath()).data
                               : found.pupils;

    karvel::convert::StepHook hook;
#ifdef KARVEL_CONVERT_TEST_HOOKS
    // Only in the tests' own build of the tool, never installed:
    // KARVEL_CONVERT_CRASH_AT=link or rename kills it at that step, as a
    // power cut would, to show that the Jet data survives it.
    const QString crashAt = qEnvironmentVariable("KARVEL_CONVERT_CRASH_AT");
    if (!crashAt.isEmpty())
        hook = [crashAt](const QString& step) {
            if (step == crashAt)
                std::raise(SIGKILL);
        };
#endif

    const karvel::convert::FolderSummary summary = karvel::convert::convertFolders(
        found.data.isEmpty() ? QStringLiteral("/") : found.data, pupils,
        QCoreApplication::applicationFilePath(), printLine, hook);
    const bool foundAny = summary.converted + summary.alreadyKarvel + summary.failed > 0;
    return summary.failed == 0 && foundAny ? 0 : 1;
}
