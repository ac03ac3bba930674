#pragma once
// "Aperçu": the pages a job would print, shown on screen before any paper is
// used.

#include <functional>

class QPrinter;
class QWidget;

namespace karvel {

struct Services;

// Runs `job`, which prints on ctx.printer, on `sheets` instead, with the
// printer's state; the printer keeps its own.
void PaintPreview(Services& ctx, QPrinter& sheets, const std::function<void()>& job);

// Runs `job`, which prints on ctx.printer, once on the sheets of a preview
// (the printer keeps its own state), then shows them in a window over
// `parent`. Its questions and refusals come as for printing; a job that
// prints nothing shows no window. "Imprimer" in the window runs `job` again,
// on the printer. Readings made while the window is open type nothing into
// it: they wait, as during a box.
void ShowPrintPreview(Services& ctx, QWidget* parent, const std::function<void()>& job);

} // namespace karvel
