#pragma once
// Sheets of adhesive labels (Form1): document, pupil and external-member
// barcodes for a series or a list of numbers, and the page of the three
// command barcodes. The refusals, the checks before a job and the label
// loop are shared with the borrower cards.

#include "printing/label_grid.h"
#include "printing/label_numbers.h"
#include "printing/layout_fit.h"
#include "printing/layout_settings.h"

#include <QMarginsF>
#include <QString>
#include <functional>
#include <optional>

namespace karvel {

struct AppContext;

// Option1's indexes; there is no index 1.
enum class LabelKind { Commands = 0, Documents = 2, Pupils = 3, Members = 4 };
// Option2's indexes.
enum class NumberChoice { Series = 0, List = 1 };

// What Form1's controls hold when its print button is pressed.
struct LabelSheetRequest {
    std::optional<LabelKind> kind; // none selected prints nothing
    NumberChoice numbers = NumberChoice::Series;
    QString seriesStart; // Text1: series start
    QString seriesEnd;   // Text2: series end
    QString numberList;  // Text7: list
    // The cell the first sheet starts at, from 1 (top left), so that a sheet
    // already partly used is finished rather than thrown away.
    int firstLabel = 1;
};

// Shows a refusal: the window's first line, a line break and the reason.
void RefusePrinting(AppContext& ctx, const QString& firstLine, const QString& reason);
// Asks whether to print a last sheet that is not full; the answer goes to
// ctx.answer. True on Yes.
bool ConfirmIncompleteSheet(AppContext& ctx, const QString& question);

// The texts in which the label sheets and the cards differ.
struct NumberTexts {
    QString impossible;   // first line of a refusal
    QString noList;       // a blank list
    QString notAMultiple; // the question, with %1 for the labels of a sheet
};
// The numbers a series (from, to) or a list asks for, printed from the cell
// `firstLabel` (from 1) of the first sheet. A refusal is shown and a job
// whose last sheet is not full asks whether to go on; nothing then means
// printing stops.
std::optional<LabelNumbers> ReadNumbersToPrint(AppContext& ctx, NumberChoice choice,
                                               const QString& from, const QString& to,
                                               const QString& list, qint64 perSheet, int firstLabel,
                                               const NumberTexts& texts);

struct SheetJob {
    LayoutSettings layout;
    LabelGrid grid;
    // What the printer cannot print of the sheet, in pixels.
    QMarginsF unprintable;
};

// Reads and checks the layout (a refusal carries the label sheets' first
// line), sets the printer to pixels and portrait, and computes the grid; the
// margins in pixels become the program's left and right margins. A grid of
// labels is laid from the sheet's edge, so that it meets the labels of the
// sheet whatever margins the printer cannot print; a page of text lines
// starts at the edge of the printable area.
std::optional<SheetJob> PrepareSheetJob(AppContext& ctx, int divisions, bool fromSheetEdge);

// Asks, before a job, whether to print what does not fit the layout (the
// question names the first column or row at fault); true when everything
// fits or the answer, in ctx.answer, is Yes.
bool ConfirmLayoutFits(AppContext& ctx, const CellPlan& plan, const SheetJob& job);

using Progress = std::function<void(int percent)>;
// Draws the cell at `row` and `column` (from 1) for the number `number`, as
// its label prints it.
using DrawCell = std::function<void(int row, int column, const QString& number)>;

// Fills the sheets row by row from the cell `firstLabel` (from 1) of the
// first sheet, moving the gauge after every cell, starts a
// new page after every full sheet and after the last cell, sends the job,
// then shows `completion` (not for a preview) and puts the gauge back to 0. A printer failure
// shows the standard error message and drops the job.
void RunLabelLoop(AppContext& ctx, const SheetJob& job, const LabelNumbers& numbers, int firstLabel,
                  const DrawCell& draw, const Progress& progress, const QString& completion);

// "&Imprimer les codes-barres".
void PrintLabelSheets(AppContext& ctx, const LabelSheetRequest& request, const Progress& progress);

} // namespace karvel
