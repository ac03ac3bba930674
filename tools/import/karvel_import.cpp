// karvel-import eleves FICHIER [--dossier DOSSIER]: the pupils of a new
// school year into the pupils file, from a terminal (see pupil_import.h).

#include "data/folders.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "school_year/pupil_import.h"
#include "shell/command_line.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <cstdio>

using namespace karvel;
using namespace karvel::school_year;

namespace {

const QString kProgram = QStringLiteral("karvel-import");

const QString kUsage = QStringLiteral(
    "Usage : karvel-import eleves FICHIER [--dossier DOSSIER_DES_DONNÉES] [options]\n"
    "Importe les élèves et les classes d'une année scolaire depuis un tableau (CSV en UTF-8\n"
    "ou Windows-1252, séparateur ; , ou tabulation, ou .ods/.xlsx avec LibreOffice) dont la\n"
    "première ligne nomme les colonnes : nom, prénom, classe, niveau, cycle, enseignant.\n"
    "Un élève déjà connu (même nom et prénom) garde son numéro ; un nouveau reçoit le\n"
    "numéro suivant. Ce qui va changer est affiché, puis confirmé ; une copie du fichier\n"
    "des élèves (MAV_jj.BAK) est faite d'abord, et l'import s'écrit en entier ou pas du tout.\n"
    "  --dossier DOSSIER          dossier des données (par défaut, le dossier courant)\n"
    "  --retirer-absents          retire les élèves absents du fichier qui n'ont aucun prêt\n"
    "  --sauter-lignes-fautives   importe les autres lignes quand certaines sont fautives\n"
    "  --oui                      importe sans poser la question\n"
    "  -h, --help                 affiche cette aide\n"
    "  --version                  affiche la version\n");

int refuse(const QString& message) {
    printError(kProgram + QStringLiteral(" : ") + message + QLatin1Char('\n') + kUsage);
    return 2;
}

bool confirmed() {
    printOut(QStringLiteral("Importer ces élèves ? [o/N] "));
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    return answer == QLatin1String("o") || answer == QLatin1String("oui");
}

} // namespace

int main(int argc, char** argv) {
    const QStringList arguments = argumentsOf(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption folder(QStringLiteral("dossier"), QString(),
                                    QStringLiteral("DOSSIER"));
    const QCommandLineOption removeAbsent(QStringLiteral("retirer-absents"));
    const QCommandLineOption skipBadRows(QStringLiteral("sauter-lignes-fautives"));
    const QCommandLineOption yes(QStringLiteral("oui"));
    parser.addOptions({folder, removeAbsent, skipBadRows, yes});
    if (const std::optional<int> exit = parseCommandLine(parser, arguments, kProgram, kUsage))
        return *exit;
    QCoreApplication app(argc, argv);
    const QStringList words = parser.positionalArguments();
    if (words.isEmpty() ||
        (words[0] != QLatin1String("eleves") && words[0] != QLatin1String("élèves")))
        return refuse(QStringLiteral("indiquez ce qu'il faut importer : eleves."));
    if (words.size() != 2)
        return refuse(QStringLiteral("indiquez un seul fichier des élèves."));

    const Folders found = resolveFolders(
        parser.isSet(folder) ? QDir(parser.value(folder)).absolutePath() : currentFolder());
    const SchoolFolders folders{found.data, found.pupils};
    const ImportChoices choices{parser.isSet(removeAbsent), parser.isSet(skipBadRows)};
    try {
        const PupilFile file = readPupilFile(words[1]);
        if (!file.refusal.isEmpty()) {
            printError(kProgram + QStringLiteral(" : ") + file.refusal + QLatin1Char('\n'));
            return 1;
        }
        const ImportPlan plan = preparePupilImport(folders, file);
        printOut(describePlan(plan, choices) + QLatin1Char('\n'));
        if (!plan.badRows.empty() && !choices.skipBadRows) {
            printError(QStringLiteral(
                "Rien n'a été importé : corrigez les lignes fautives, ou relancez avec --sauter-lignes-fautives pour importer les autres.\n"));
            return 1;
        }
        if (!parser.isSet(yes) && !confirmed()) {
            printOut(QStringLiteral("Rien n'a été importé.\n"));
            return 1;
        }
        FileSystem files;
        const ImportOutcome done =
            applyPupilImport(files, SystemClock().today(), folders, file, choices, plan);
        printOut(describeOutcome(done, QStringLiteral("\n")) + QLatin1Char('\n'));
        return 0;
    } catch (const KarvelError& error) {
        printError(
            kProgram +
            QStringLiteral(" : erreur %1 : %2\n").arg(error.number()).arg(error.description()));
        return 1;
    }
}
