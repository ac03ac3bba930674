#pragma once
// Sheets of adhesive labels (Form1): document, pupil and external-member
// barcodes for a series or a list of numbers, and the page of the three
// command barcodes. The grid, the number rules and the label loop are shared
// with the borrower cards.

#include "printing/layout_fit.h"
#include "printing/layout_settings.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

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

// The geometry of one job, in pixels of 1/600 inch. A cell is `divisions` units
// wide and high: 5 for a label, 10 for a card (the same cell cut finer).
struct LabelGrid {
    double W = 0; // printable width and height
    double H = 0;
    double top = 0;
    double bottom = 0;
    double left = 0;
    double right = 0;
    double U = 0; // width and height inside the margins
    double V = 0;
    double hu = 0; // horizontal and vertical units
    double vu = 0;
    double barHeight = 0;
};

LabelGrid computeLabelGrid(const LayoutSettings& layout, double pageWidth, double pageHeight,
                           int divisions = 5);

// The numbers of one job: a series, which may be far too long to list, or
// the items of a list.
class LabelNumbers {
  public:
    static LabelNumbers series(qint64 start, qint64 end);
    static LabelNumbers list(std::vector<double> items);

    qint64 count() const;
    // The number of the k-th label, from 0.
    double at(qint64 k) const;
    // The gauge, 0 to 100, once the k-th label (from 0) is printed. A series
    // counts from its first label (which shows 0), a list from 1; a series
    // of one label shows 100.
    int progressAfter(qint64 k) const;
    // The most characters a number of the job takes on its label.
    int widestNumber() const;

  private:
    bool series_ = true;
    qint64 start_ = 0;
    qint64 end_ = 0;
    std::vector<double> items_;
};

// A number as its label prints it: rounded, at least five digits.
QString formatLabelNumber(double number);
// The items of a list: "-" and "/" end an item; a separator at the very
// end adds none; two separators in a row give an empty item.
QStringList splitList(const QString& list);

// The most labels a series prints: every five-digit number and one more.
inline constexpr qint64 kLargestSeries = 100000;

// The series start and end checked, or the message that refuses them.
std::variant<LabelNumbers, QString> readSeries(const QString& start, const QString& end);
// The items of a list read as numbers; nothing when the list is blank.
std::optional<LabelNumbers> readList(const QString& text);

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
