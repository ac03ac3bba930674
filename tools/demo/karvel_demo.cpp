// karvel-demo FOLDER [--documents N] [--date dd/mm/yyyy]: creates a school's
// files filled with demonstration data (see demo_data.h).
#include "demo_data.h"

#include "platform/errors.h"
#include "shell/command_line.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

namespace {

const QString kUsage = QStringLiteral(
    "Usage : karvel-demo DOSSIER [--documents N] [--date jj/mm/aaaa]\n"
    "Crée DOSSIER/LAVOK (VOK.MDB, MEMBRES.MDB, COTATION.MDB, LAVOK.INI, helpkv.rtf, karvel.rtf)\n"
    "et DOSSIER/LEMAVORI (LEMAVORI.MDB), remplis de données de démonstration.\n"
    "  --documents N      nombre de documents du catalogue (2000 par défaut, 1000000 au plus)\n"
    "                     Le bureau de prêt ne lit que les numéros 00001 à 99999.\n"
    "  --date jj/mm/aaaa  date de référence des prêts (aujourd'hui par défaut)\n"
    "  -h, --help         affiche cette aide\n"
    "  --version          affiche la version\n");

int refuse(const QString& message) {
    karvel::printError(QStringLiteral("karvel-demo : ") + message + QLatin1Char('\n') + kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCommandLineParser parser;
    const QCommandLineOption documents(QStringLiteral("documents"), QString(), QStringLiteral("N"));
    const QCommandLineOption date(QStringLiteral("date"), QString(), QStringLiteral("jj/mm/aaaa"));
    parser.addOption(documents);
    parser.addOption(date);
    if (const std::optional<int> exit = karvel::parseCommandLine(
            parser, karvel::argumentsOf(argc, argv), QStringLiteral("karvel-demo"), kUsage))
        return *exit;
    QCoreApplication app(argc, argv);
    karvel::DemoOptions options;
    if (parser.isSet(documents)) {
        const QString value = parser.value(documents);
        bool ok = false;
        options.documents = value.toInt(&ok);
        if (!ok || options.documents < 0 || options.documents > karvel::kDemoMaxDocuments)
            return refuse(QStringLiteral("nombre de documents incorrect : ") + value +
                          QLatin1Char('.'));
    }
    if (parser.isSet(date)) {
        const QString value = parser.value(date);
        options.referenceDate = QDate::fromString(value, QStringLiteral("dd/MM/yyyy"));
        if (!options.referenceDate.isValid())
            return refuse(QStringLiteral("date incorrecte : ") + value +
                          QStringLiteral(" (attendu jj/mm/aaaa)."));
    }
    const QStringList folders = parser.positionalArguments();
    if (folders.isEmpty())
        return refuse(QStringLiteral("indiquez le dossier à créer."));
    if (folders.size() > 1)
        return refuse(QStringLiteral("un seul dossier à la fois."));
    const QString folder = folders[0];

    QElapsedTimer timer;
    timer.start();
    try {
        const karvel::DemoSummary s = karvel::createDemoData(QDir(folder).absolutePath(), options);
        karvel::printOut(
            QStringLiteral(
                "Données de démonstration créées dans %1 : %2 documents (%3 en prêt), %4 classes, %5 élèves, %6 adhérents extérieurs, en %7 s.\n")
                .arg(QDir::toNativeSeparators(QDir(folder).absolutePath()))
                .arg(s.documents)
                .arg(s.onLoan)
                .arg(s.classes)
                .arg(s.pupils)
                .arg(s.members)
                .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1));
        if (s.documents > karvel::kDeskMaxDocuments)
            karvel::printOut(QStringLiteral(
                "Attention : les documents au-delà du numéro 99999 ne peuvent pas être lus au bureau de prêt.\n"));
        return 0;
    } catch (const karvel::KarvelError& error) {
        karvel::printError(QStringLiteral("karvel-demo : erreur %1 : %2\n")
                               .arg(error.number())
                               .arg(error.description()));
    } catch (const std::exception& error) {
        karvel::printError(QStringLiteral("karvel-demo : ") + QString::fromUtf8(error.what()) +
                           QLatin1Char('\n'));
    }
    return 1;
}
