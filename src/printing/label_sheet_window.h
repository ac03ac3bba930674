#pragma once
// Form1: sheets of document, pupil and external-member labels, and the page
// of the command barcodes.

#include "printing/sheet_window.h"

namespace karvel {

class LabelSheetWindow : public SheetWindow {
    Q_OBJECT
  public:
    LabelSheetWindow(AppContext& ctx, LayoutWindow& layoutWindow, QWidget* parent = nullptr);

    // The kind selected, the first in the order 0, 2, 3, 4.
    std::optional<LabelKind> kind() const;
    LabelSheetRequest request() const;

  protected:
    void print() override;

  private:
    // The command page takes no numbers: their controls go away meanwhile.
    void showNumberControls(bool shown);

    QRadioButton* Option1index0;
    QRadioButton* Option1index2;
    QRadioButton* Option1index3;
    QRadioButton* Option1index4;
    QButtonGroup* Option1;
};

} // namespace karvel
