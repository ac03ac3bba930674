// karvel-demo FOLDER [--documents N] [--date dd/mm/yyyy]: creates a school's
// files filled with demonstration data (see demo_data.h).
#include "demo_data.h"

#include "platform/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>

namespace {

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toUtf8().constData(), stream);
}

const QString kUsage = QStringLiteral(
    "Usage : karvel-demo DOSSIER [--documents N] [--date jj/mm/aaaa]\n"
    "Crée DOSSIER/LAVOK (VOK.MDB, MEMBRES.MDB, COTATION.MDB, LAVOK.INI, helpkv.rtf, karvel.rtf)\n"
    "et DOSSIER/LEMAVORI (LEMAVORI.MDB), remplis de données de démonstration.\n"
    "  --documents N      nombre de documents du catalogue (2000 par défaut, 1000000 au plus)\n"
    "                     Le bureau de prêt ne lit que les numéros 00001 à 99999.\n"
    "  --date jj/mm/aaaa  date de référence des prêts (aujourd'hui par défaut)\n");

int refuse(const QString& message) {
    print(stderr, QStringLiteral("karvel-demo : ") + message + QLatin1Char('\n') + kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    QString folder;
    karvel::DemoOptions options;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            print(stdout, kUsage);
            return 0;
        }
        if (arg == QLatin1String("--documents") || arg == QLatin1String("--date")) {
            if (i + 1 >= args.size())
                return refuse(QStringLiteral("il manque la valeur de ") + arg + QLatin1Char('.'));
            const QString value = args[++i];
            if (arg == QLatin1String("--documents")) {
                bool ok = false;
                options.documents = value.toInt(&ok);
                if (!ok || options.documents < 0 || options.documents > karvel::kDemoMaxDocuments)
                    return refuse(QStringLiteral("nombre de documents incorrect : ") + value +
                                  QLatin1Char('.'));
            } else {
                options.referenceDate = QDate::fromString(value, QStringLiteral("dd/MM/yyyy"));
                if (!options.referenceDate.isValid())
                    return refuse(QStringLiteral("date incorrecte : ") + value +
                                  QStringLiteral(" (attendu jj/mm/aaaa)."));
            }
        } else if (arg.startsWith(QLatin1Char('-'))) {
            return refuse(QStringLiteral("option inconnue : ") + arg + QLatin1Char('.'));
        } else if (folder.isEmpty()) {
            folder = arg;
        } else {
            return refuse(QStringLiteral("un seul dossier à la fois."));
        }
    }
    if (folder.isEmpty())
        return refuse(QStringLiteral("indiquez le dossier à créer."));

    QElapsedTimer timer;
    timer.start();
    try {
        const karvel::DemoSummary s = karvel::createDemoData(QDir(folder).absolutePath(), options);
        print(stdout, QStringLiteral("Données de démonstration créées dans %1 : %2 documents "
                                     "(%3 en prêt), %4 classes, %5 élèves, %6 adhérents "
                                     "extérieurs, en %7 s.\n")
                          .arg(QDir::toNativeSeparators(QDir(folder).absolutePath()))
                          .arg(s.documents)
                          .arg(s.onLoan)
                          .arg(s.classes)
                          .arg(s.pupils)
                          .arg(s.members)
                          .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1));
        // clang-format off
        if (s.documents > karvel::kDeskMaxDocuments)
            print(stdout, QStringLiteral("Attention : les documents au-delà du numéro 99999 ne peuvent pas être lus au bureau de prêt.\n"));
        // clang-format on
        return 0;
    } catch (const karvel::KarvelError& error) {
        print(stderr, QStringLiteral("karvel-demo : erreur %1 : %2\n")
                          .arg(error.number())
                          .arg(error.description()));
    } catch (const std::exception& error) {
        print(stderr, QStringLiteral("karvel-demo : ") + QString::fromUtf8(error.what()) +
                          QLatin1Char('\n'));
    }
    return 1;
}
