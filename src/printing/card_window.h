#pragma once
// Form7: borrower cards for pupils and external members.

#include "printing/borrower_cards.h"
#include "printing/sheet_window.h"

class QCheckBox;

namespace karvel {

class CardWindow : public SheetWindow {
    Q_OBJECT
  public:
    CardWindow(AppContext& ctx, LayoutWindow& layoutWindow, QWidget* parent = nullptr);

    CardRequest request() const;

  protected:
    void print() override;

  private:
    QRadioButton* pupilsOption;  // Option1index3
    QRadioButton* membersOption; // Option1index4
    QCheckBox* lookUpNamesBox;   // Check1
};

} // namespace karvel
