#pragma once
// The three printing windows of the run: the layout window Form6, loaded
// hidden at start-up or with the first printing window, the label-sheet
// window Form1 and the card window Form7, each made on first use and then
// only shown and hidden.

#include <memory>

namespace karvel {

struct AppContext;
class CardWindow;
class LabelSheetWindow;
class LayoutWindow;

class PrintingWindows {
  public:
    explicit PrintingWindows(AppContext& ctx);
    ~PrintingWindows();

    LayoutWindow& layoutWindow();
    LabelSheetWindow& labelSheetWindow();
    CardWindow& cardWindow();

    // The menu entries: each window shows, not modally.
    void showLabelSheets();
    void showBorrowerCards();

  private:
    AppContext& ctx_;
    std::unique_ptr<LayoutWindow> layout_;          // Form6
    std::unique_ptr<LabelSheetWindow> labelSheets_; // Form1
    std::unique_ptr<CardWindow> cards_;             // Form7
};

} // namespace karvel
