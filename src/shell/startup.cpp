#include "shell/startup.h"

#include "common/text.h"
#include "data/backups.h"
#include "data/error_report.h"
#include "data/folders.h"
#include "desk/app_context.h"

#include <vector>

namespace karvel {

namespace {

// One binding of the table of start-up: a link, its file, what it lists, and
// whether it is refreshed.
struct Binding {
    RecordView* view;
    QString file;
    bool inPupilsFolder;
    RecordSource source;
    bool refresh;
    // Skipped quietly when the pupils database is missing.
    bool needsPupilsDatabase = false;
    // Opened by a procedure with its own handler: a failure shows the
    // standard message and start-up goes on.
    bool ownHandler = false;
};

} // namespace

StartupResult RunStartup(AppContext& ctx, const QString& startFolder, const StartupHooks& hooks) {
    ctx.dialogs.setBusy(true);
    RecordViews& v = ctx.views;

    // Runs one step under the start-up handler; false when the program must end.
    auto step = [&](const std::function<void()>& body) {
        try {
            body();
        } catch (const KarvelError& error) {
            if (ExplainError(ctx, error) == ErrorOutcome::EndProgram)
                return false;
        }
        return true;
    };

    QString twins;
    if (!step([&] {
            const Folders folders = resolveFolders(startFolder);
            ctx.dataFolder = folders.data;
            ctx.pupilsFolder = folders.pupils;
            twins = twinFilesMessage(folders);
        }))
        return StartupResult::EndProgram;
    // Working on either of two twin files could lose what was written to the other.
    if (!twins.isEmpty()) {
        ctx.dialogs.setBusy(false);
        ctx.dialogs.message(Icon::Critical, kProgramCaption, twins);
        return StartupResult::EndProgram;
    }
    // A run killed while it wrote left its temporary files: they go before
    // anything else is written.
    RemoveLeftovers(ctx.dataFolder);

    const std::vector<Binding> bindings = {
        {&v.pupilsView, kPupilsFile, true, Queries::table(QStringLiteral("enfants")), false},
        {&v.membersView, kMembersFile, false, Queries::table(QStringLiteral("membres")), false},
        {&v.classesView, kPupilsFile, true, Queries::table(QStringLiteral("équipe")), false},
        {&v.documentsView, kCatalogueFile, false, Queries::table(QStringLiteral("vok")), false},
        {&v.externalGroupsLink, kMembersFile, false, Queries::table(QStringLiteral("extérieurs")),
         false},
        {&v.schoolLink, kPupilsFile, true, Queries::table(QStringLiteral("école")), false},
        {&v.titlesLink, kCatalogueFile, false, Queries::table(QStringLiteral("vok")), false},
        {&v.documentsView, kCatalogueFile, false, Queries::allDocuments(), true},
        {&v.titlesLink, kCatalogueFile, false, Queries::titlesStartingWithA(), true},
        {&v.membersView, kMembersFile, false, Queries::allMembers(), true},
        {&v.externalGroupsLink, kMembersFile, false, Queries::table(QStringLiteral("extérieurs")),
         true, false, true},
        {&v.schoolLink, kPupilsFile, true, Queries::table(QStringLiteral("école")), true, true},
        {&v.classesView, kPupilsFile, true, Queries::classes(), true, true},
    };
    const bool pupilsDatabase =
        folderExists(ctx.pupilsFolder) && fileExistsIn(ctx.pupilsFolder, kPupilsFile);

    for (const Binding& b : bindings) {
        if (b.needsPupilsDatabase && !pupilsDatabase)
            continue;
        auto bind = [&] {
            b.view->bind(pathIn(b.inPupilsFolder ? ctx.pupilsFolder : ctx.dataFolder, b.file));
            b.view->setRecordSource(b.source);
            // Nothing reads these results before setting its own record source:
            // each view only stands on its first record (the document view on
            // its last), and a million documents cost one read.
            if (b.refresh)
                b.view->refreshUnwalked(b.view == &v.documentsView ? RecordView::Stand::Last
                                                                   : RecordView::Stand::First);
        };
        if (b.ownHandler) {
            RunReportingErrors(ctx, bind);
            continue;
        }
        if (!step(bind))
            return StartupResult::EndProgram;
    }

    if (hooks.loadSettings && !step(hooks.loadSettings))
        return StartupResult::EndProgram;
    if (hooks.loadLayoutWindow && !step(hooks.loadLayoutWindow))
        return StartupResult::EndProgram;
    ctx.dialogs.setBusy(false);
    return StartupResult::ShowMainWindow;
}

} // namespace karvel
