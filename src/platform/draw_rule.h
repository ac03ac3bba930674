#pragma once
// The horizontal rule of the loan list and of the command-barcode page.

namespace karvel {

class PrinterSurface;

// Draws a line on `printer` at the current height, from the left margin to
// the printable width less the right margin, then puts the print position
// back at the left margin so the next text starts under the rule's start.
void DrawRule(PrinterSurface& printer, double leftMargin, double rightMargin);

} // namespace karvel
