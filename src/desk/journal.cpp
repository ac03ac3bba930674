#include "desk/journal.h"

#include "common/text.h"
#include "data/error_report.h"
#include "data/folders.h"
#include "data/settings.h"
#include "desk/app_context.h"

namespace karvel {

namespace {

QString borrowerLine(AppContext& ctx, const CurrentDocumentRecord& document) {
    const QString& number = document.borrower;
    const QString& kind = document.borrowerKind;
    if (kind.compare(QStringLiteral("extérieur"), Qt::CaseInsensitive) == 0) {
        RecordView& members = ctx.views.membersView;
        members.bind(pathIn(ctx.dataFolder, kMembersFile));
        members.query(Queries::memberByNumber(number));
        if (!members.isEmpty())
            return QStringLiteral("Emprunteur : ") + number + QStringLiteral(" (emprunteur ") +
                   kind + QStringLiteral(") - ") + members.field(QStringLiteral("nom")) +
                   QLatin1Char(' ') + members.field(QStringLiteral("prénom"));
    } else {
        RecordView& pupils = ctx.views.pupilsView;
        pupils.bind(pathIn(ctx.pupilsFolder, kPupilsFile));
        pupils.query(Queries::pupilByNumber(number));
        if (!pupils.isEmpty())
            return QStringLiteral("Emprunteur : ") + number + QStringLiteral(" (emprunteur ") +
                   kind + QStringLiteral(" - classe ") + pupils.field(QStringLiteral("classe")) +
                   QStringLiteral(" - ") + pupils.field(QStringLiteral("niveau")) +
                   QStringLiteral(") - ") + pupils.field(QStringLiteral("nomenfant")) +
                   QLatin1Char(' ') + pupils.field(QStringLiteral("prénomenfant"));
    }
    return number +
           QStringLiteral(" - L'emprunteur n'est plus inscrit dans le fichier (emprunteur ") +
           kind + QLatin1Char(')');
}

} // namespace

void CopyDocumentRecord(AppContext& ctx) {
    const DocumentView& view = ctx.views.documentsView;
    const auto f = [&](const char* name) { return view.field(QString::fromUtf8(name)); };
    CurrentDocumentRecord& d = ctx.desk.CurrentDocument;
    d.number = f("inventaire");
    d.title = f("titre");
    d.author = f("auteur");
    d.publisher = f("éditeur");
    d.isbn = f("ISBN");
    d.acquisitionDate = f("dateacquisition");
    d.price = f("prix");
    d.dewey = f("dewey");
    d.shelfMark = f("casier");
    d.lendable = f("emprunt");
    d.keywords = f("motsclés");
    d.loanState = f("emprunté");
    d.borrowerKind = f("catégorieemprunteur");
    d.borrower = f("emprunteur");
    d.loanDate = f("dateemprunt");
    d.loanCount = f("cumul");
}

QString JournalFileName(const QDate& day) {
    return day.toString(QStringLiteral("yy-MM-dd")) + QStringLiteral(".JNL");
}

QByteArray JournalEntry(AppContext& ctx) {
    CopyDocumentRecord(ctx);
    const CurrentDocumentRecord& d = ctx.desk.CurrentDocument;
    const QDateTime now = ctx.clock.now();
    const QString today = formatDate(now.date());
    const QString& action = ctx.desk.CurrentAction;

    QStringList lines;
    lines << today + QStringLiteral(" - ") + now.time().toString(QStringLiteral("hh:mm")) +
                 QStringLiteral(" - ") + action;
    if (d.borrowerKind.compare(QStringLiteral("extérieur"), Qt::CaseInsensitive) == 0 ||
        d.borrowerKind.compare(QStringLiteral("école"), Qt::CaseInsensitive) == 0)
        lines << borrowerLine(ctx, d);
    lines << QStringLiteral("Document : ") + d.number + QStringLiteral(" - ") + d.title +
                 QStringLiteral(" - ") + d.publisher;
    if (action.compare(QStringLiteral("Emprunt d'un document"), Qt::CaseInsensitive) == 0)
        lines << QStringLiteral("emprunté le ") + d.loanDate;
    else if (action.compare(QStringLiteral("Restitution d'un document"), Qt::CaseInsensitive) == 0)
        lines << QStringLiteral("emprunté le ") + d.loanDate + QStringLiteral(" - restitué le ") +
                     today + QStringLiteral(" - ") + ctx.views.documentsView.caption();
    else
        lines << QString();
    // The journal lines take the quoted form of the settings files.
    return settingsFileBytes(lines);
}

void AppendJournalEntry(AppContext& ctx, const QByteArray& entry) {
    ctx.files.append(pathIn(ctx.dataFolder, JournalFileName(ctx.clock.today())), entry);
}

bool WriteJournalEntry(AppContext& ctx) {
    return RunReportingErrors(ctx, [&] { AppendJournalEntry(ctx, JournalEntry(ctx)); });
}

} // namespace karvel
