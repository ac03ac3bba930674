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

    QRadioButton* commandsOption;  // Option1index0
    QRadioButton* documentsOption; // Option1index2
    QRadioButton* pupilsOption;    // Option1index3
    QRadioButton* membersOption;   // Option1index4
    QButtonGroup* labelKind;       // Option1
};

} // namespace karvel
