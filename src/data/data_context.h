#pragma once
// The school's files as the program holds them: the folders, the record
// views over the databases and the values read from the settings files.
// Backups, settings and error reporting work from this much; the desk and
// the printing add their own values on top (AppContext).

#include "data/settings_values.h"
#include "platform/services.h"
#include "records/record_views.h"

#include <QString>

namespace karvel {

struct DataContext : Services {
    DataContext(Dialogs& boxes, const Clock& time, FileSystem& fileSystem, PrinterSurface& surface)
        : Services(boxes, time, fileSystem, surface), views(time) {}

    // Fixed at start-up: the folder the program runs in (no trailing
    // separator) and the folder that holds the pupils file.
    QString dataFolder;
    QString pupilsFolder;

    RecordViews views;

    // The nine page-layout fields of Form6 and the loan limits of
    // paramètresemprunt, filled by LoadSettings.
    LayoutFields layout;
    LoanLimitFields loanLimits;
    // "on" (any case) shows the notice after the automatic backups; empty
    // until LAVOK.INI is read, so the notice stays off without that file.
    QString BackupNotice;

    // The answer to the last Yes/No question of the program (6 Yes, 7 No).
    int answer = 0;
};

} // namespace karvel
