#pragma once
// What stands between the program and the machine: message boxes, the
// clock, files, the printer, the desktop, sounds and the main window's
// frame. Made once by main (scripted ones in tests) and passed down.

#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/printer_surface.h"
#include "platform/routed_printer.h"
#include "platform/sounds.h"

namespace karvel {

class WindowFrame;

struct Services {
    Services(Dialogs& boxes, const Clock& time, FileSystem& fileSystem, PrinterSurface& surface)
        : dialogs(boxes), clock(time), files(fileSystem), printer(surface) {}

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
};

} // namespace karvel
