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
    if (!layout_)
        layout_ = std::make_unique<LayoutWindow>(ctx_);
    return *layout_;
}

LabelSheetWindow& PrintingWindows::labelSheetWindow() {
    if (!labelSheets_)
        labelSheets_ = std::make_unique<LabelSheetWindow>(ctx_, layoutWindow());
    return *labelSheets_;
}

CardWindow& PrintingWindows::cardWindow() {
    if (!cards_)
        cards_ = std::make_unique<CardWindow>(ctx_, layoutWindow());
    return *cards_;
}

void PrintingWindows::showLabelSheets() {
    BringUp(ctx_, labelSheetWindow());
}

void PrintingWindows::showBorrowerCards() {
    BringUp(ctx_, cardWindow());
}

} // namespace karvel
