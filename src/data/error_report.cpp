#include "data/error_report.h"

#include "common/text.h"
#include "data/data_context.h"
#include "data/folders.h"
#include "data/repair.h"
#include "platform/desktop.h"

#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <vector>

namespace karvel {

namespace {

const QString kDamagedText = QStringLiteral("Certains fichiers sont endommagés ou corrompus !!!\n"
                                            "(...suite à une opération d'écriture incomplète...)");

// A folder as it is typed in a shell: between double quotes, or single
// quotes when it holds a character that double quotes would not protect.
QString shellQuoted(const QString& path) {
    static const QString special = QStringLiteral("\"$`\\!");
    if (std::none_of(path.begin(), path.end(), [](QChar c) { return special.contains(c); }))
        return QLatin1Char('"') + path + QLatin1Char('"');
    QString escaped = path;
    escaped.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

struct FileRepair {
    QString name;
    RepairReport report;
    std::optional<KarvelError> failure;
};

// Each file is repaired or reported on its own: one that cannot be repaired
// does not stop the repair of the next.
std::vector<FileRepair> repairAll(DataContext& ctx) {
    // No link may keep a file open while it is swapped for its repaired copy.
    ctx.views.closeAll();
    std::vector<QString> paths;
    if (fileExistsIn(ctx.pupilsFolder, kPupilsFile))
        paths.push_back(pathIn(ctx.pupilsFolder, kPupilsFile));
    for (const QString& name : {kCatalogueFile, kMembersFile, kCotationFile})
        paths.push_back(pathIn(ctx.dataFolder, name));
    std::vector<FileRepair> repairs;
    for (const QString& path : paths) {
        FileRepair repair{QFileInfo(path).fileName(), {}, std::nullopt};
        try {
            repair.report = repairDatabase(path);
        } catch (const KarvelError& failure) {
            repair.failure = failure;
        }
        repairs.push_back(repair);
    }
    return repairs;
}

QString tableLine(const RepairReport::Table& table) {
    if (table.claimed)
        return QStringLiteral(
                   "    table %1 — lignes récupérées : %2 sur %3 comptées par le fichier endommagé")
            .arg(table.name)
            .arg(table.recovered)
            .arg(*table.claimed);
    return QStringLiteral(
               "    table %1 — lignes récupérées : %2 (le fichier endommagé ne permettait plus de les compter)")
        .arg(table.name)
        .arg(table.recovered);
}

// What the repair did to each file; `lost` receives the files KarVel cannot
// work without and that stay unreadable.
QString repairSummary(const std::vector<FileRepair>& repairs, QStringList& lost) {
    QStringList lines;
    for (const FileRepair& repair : repairs) {
        const bool needed = repair.name.compare(kCotationFile, Qt::CaseInsensitive) != 0;
        if (repair.failure) {
            lines
                << QStringLiteral(
                       "%1 : la réparation a échoué (erreur %2 : %3) ; le fichier est laissé tel quel.")
                       .arg(repair.name)
                       .arg(repair.failure->number())
                       .arg(repair.failure->description());
            if (needed)
                lost << repair.name;
            continue;
        }
        switch (repair.report.outcome) {
        case RepairReport::Outcome::Repaired:
            lines << QStringLiteral("%1 : réparé. L'original endommagé est gardé sous le nom %2.")
                         .arg(repair.name, QFileInfo(repair.report.keptAs).fileName());
            for (const RepairReport::Table& table : repair.report.tables)
                lines << tableLine(table);
            break;
        case RepairReport::Outcome::Healthy:
            lines << QStringLiteral("%1 : intact, laissé tel quel.").arg(repair.name);
            break;
        case RepairReport::Outcome::NotOurs:
            lines
                << QStringLiteral(
                       "%1 : base créée sous Windows (Microsoft Jet ou Access), laissée telle quelle.")
                       .arg(repair.name);
            break;
        case RepairReport::Outcome::Unrepairable:
            lines << QStringLiteral(
                         "%1 : aucune table n'a pu y être lue ; le fichier est laissé tel quel.")
                         .arg(repair.name);
            if (needed)
                lost << repair.name;
            break;
        case RepairReport::Outcome::Missing:
            break;
        }
    }
    for (const QString& name : lost)
        lines
            << QStringLiteral(
                   "KarVel ne peut pas fonctionner sans %1 et va s'arrêter : remettez en place une copie de sauvegarde de ce fichier (voir sa note .TXT dans le dossier des données).")
                   .arg(name);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void ShowStandardError(DataContext& ctx, const KarvelError& error) {
    ctx.dialogs.message(Icon::Exclamation, kApplicationTitle,
                        QStringLiteral("Le logiciel a rencontré l'erreur : ") +
                            QString::number(error.number()) + QStringLiteral("\n\n") +
                            error.description());
    ctx.dialogs.setBusy(false);
}

std::function<void(const KarvelError&)> reportTo(DataContext& ctx) {
    return [&ctx](const KarvelError& error) { ShowStandardError(ctx, error); };
}

void ReportFailedJob(DataContext& ctx, const KarvelError& error) {
    ShowStandardError(ctx, error);
    try {
        ctx.printer.endDocument();
    } catch (const KarvelError&) {
    }
}

bool RunReportingErrors(DataContext& ctx, const std::function<void()>& procedure) {
    try {
        procedure();
        return true;
    } catch (const KarvelError& error) {
        ShowStandardError(ctx, error);
    }
    return false;
}

QString explanationText(int number, const QString& description) {
    switch (number) {
    case ErrBadFileName:
        return QStringLiteral("Nom ou numéro de fichier incorrect");
    case ErrFileNotFound:
        return QStringLiteral("Fichier introuvable");
    case ErrNoViewer:
        return description;
    case ErrFileExists:
        return QStringLiteral("Ce fichier existe déjà");
    case ErrDiskFull:
        return QStringLiteral("Disque saturé");
    case ErrDeviceUnavailable:
        return QStringLiteral("Unité de stockage non-disponible");
    case ErrPermissionDenied:
        return QStringLiteral(
            "Accès refusé... (Certains fichiers sont peut-être encore ouverts...)");
    case ErrDiskNotReady:
        return QStringLiteral("Disque non prêt");
    case ErrDuplicateKey:
        return QStringLiteral(
            "Impossible de créer des doublons... Modifier le numéro d'inventaire !");
    default:
        return QStringLiteral("L'erreur ") + QString::number(number) +
               QStringLiteral(" est survenue .\n(") + description + QLatin1Char(')');
    }
}

ErrorOutcome ExplainError(DataContext& ctx, const KarvelError& error) {
    switch (error.number()) {
    case ErrPathNotFound:
        return ErrorOutcome::Resume;
    case ErrDatabaseNotFound: {
        // Ending without a word would leave the user guessing: name the file.
        const QFileInfo file(error.path());
        ctx.dialogs.message(
            Icon::Critical, kProgramCaption,
            QStringLiteral(
                "Le fichier de données %1 est introuvable dans le dossier %2.\nKarVel ne peut pas fonctionner sans lui et va s'arrêter.")
                .arg(file.fileName(), file.absolutePath()));
        return ErrorOutcome::EndProgram;
    }
    case ErrUnrecognisedFormat: {
        // A Jet file written on Windows is not damaged: it is never repaired nor touched.
        // The message gives the command that converts it, ready to be typed.
        const QFileInfo file(error.path());
        const QString folder = ctx.dataFolder.isEmpty() ? file.absolutePath() : ctx.dataFolder;
        ctx.dialogs.message(
            Icon::Critical, kProgramCaption,
            QStringLiteral(
                "Le fichier %1 du dossier %2 est une base de données créée sous Windows (Microsoft Jet ou Access).\nIl doit d'abord être converti pour KarVel pour Linux.\nCommande à lancer dans un terminal :\n"
                "karvel-convert %3\nKarVel va s'arrêter sans le modifier.")
                .arg(file.fileName(), file.absolutePath(), shellQuoted(folder)));
        return ErrorOutcome::EndProgram;
    }
    case ErrLockingUnavailable:
        ctx.dialogs.message(Icon::Critical, kProgramCaption,
                            QStringLiteral("Pour que «La V.O.K.» puisse fonctionner,\n"
                                           "SHARE /L:500   doit être chargé..."));
        return ErrorOutcome::EndProgram;
    case ErrDatabaseDamaged:
        ctx.dialogs.message(Icon::Critical, kProgramCaption, kDamagedText);
        ctx.answer = ctx.dialogs.message(
            Icon::Question, kProgramCaption,
            QStringLiteral("Voulez-vous que «La V.O.K.» essaie de les réparer ?"), Buttons::YesNo);
        if (ctx.answer != AnswerYes)
            return ErrorOutcome::EndProgram;
        {
            QStringList lost;
            const QString summary = repairSummary(repairAll(ctx), lost);
            ctx.dialogs.message(Icon::Critical, kProgramCaption,
                                kDamagedText + QStringLiteral("\n\n") + summary);
            return lost.isEmpty() ? ErrorOutcome::Resume : ErrorOutcome::EndProgram;
        }
    default: {
        QString text = explanationText(error.number(), error.description());
        // Which file, so that the user can look for it.
        if (error.number() == ErrFileNotFound && !error.path().isEmpty())
            text += QStringLiteral(" : ") + error.path();
        ctx.dialogs.message(Icon::Critical, kProgramCaption, text);
        return ErrorOutcome::Resume;
    }
    }
}

} // namespace karvel
