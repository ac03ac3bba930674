#pragma once
// The program-wide values: one object, made at start-up and passed to every
// procedure that needs them. Nothing else holds state for the whole run.

#include "data/settings_values.h"
#include "desk/desk_values.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/printer_surface.h"
#include "platform/routed_printer.h"
#include "platform/sounds.h"
#include "records/record_views.h"

#include <QString>

namespace karvel {

class WindowFrame;

struct AppContext {
    AppContext(Dialogs& dialogs, const Clock& clock, FileSystem& files, PrinterSurface& printer)
        : dialogs(dialogs), clock(clock), files(files), printer(printer), views(clock) {}

    Dialogs& dialogs;
    const Clock& clock;
    FileSystem& files;
    // The surface every job prints on; a preview detours it for one job.
    RoutedPrinter printer;
    // Opens the help documents; set by main, a scripted one in tests. None
    // means no viewer can be reached.
    Desktop* desktop = nullptr;
    // The desk's sounds; none in tests that do not listen.
    Sounds* sounds = nullptr;
    void play(Sound sound) const {
        if (sounds)
            sounds->play(sound);
    }
    // The main window's frame, which holds the windows it opens; none when a
    // window is tried on its own.
    WindowFrame* frame = nullptr;

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

    // The loan desk's values that outlive its window.
    DeskValues desk;

    // The answer to the last Yes/No question of the program (6 Yes, 7 No).
    int answer = 0;

    // Margins of the printed pages, in the printer's current unit: the loan
    // list sets the left one, the label sheets set both. DrawRule stops at
    // the right one, which stays 0 until a label sheet sets it.
    double LeftMargin = 0;
    double RightMargin = 0;
};

} // namespace karvel
