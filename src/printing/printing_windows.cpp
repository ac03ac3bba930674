#include "printing/printing_windows.h"

#include "desk/app_context.h"

#include "platform/window_frame.h"
#include "printing/card_window.h"
#include "printing/label_sheet_window.h"
#include "printing/layout_window.h"

namespace karvel {

PrintingWindows::PrintingWindows(AppContext& ctx) : ctx_(ctx) {}

PrintingWindows::~PrintingWindows() = default;

LayoutWindow& PrintingWindows::layoutWindow() {
    if (!Form6)
        Form6 = std::make_unique<LayoutWindow>(ctx_);
    return *Form6;
}

LabelSheetWindow& PrintingWindows::labelSheetWindow() {
    if (!Form1)
        Form1 = std::make_unique<LabelSheetWindow>(ctx_, layoutWindow());
    return *Form1;
}

CardWindow& PrintingWindows::cardWindow() {
    if (!Form7)
        Form7 = std::make_unique<CardWindow>(ctx_, layoutWindow());
    return *Form7;
}

void PrintingWindows::showLabelSheets() {
    BringUp(ctx_, labelSheetWindow());
}

void PrintingWindows::showBorrowerCards() {
    BringUp(ctx_, cardWindow());
}

} // namespace karvel
