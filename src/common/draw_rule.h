#pragma once
// The horizontal rule of the loan list and of the command-barcode page.

namespace karvel {

struct AppContext;

// Draws a line on the printer at the current height, from the left margin
// to the printable width less the right margin, then puts the print position
// back at the left margin so the next text starts under the rule's start.
void DrawRule(AppContext& ctx);

} // namespace karvel
