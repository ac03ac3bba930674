#pragma once
// Form6, the page layout of the label sheets and borrower cards: four
// margins and the sheet's size in millimetres, the barcode amplitude, and the
// columns and rows of labels. Its nine fields are the live settings in
// ctx.layout: a value typed is used by the next print job even unsaved.

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace karvel {

struct AppContext;

class LayoutWindow : public QWidget {
    Q_OBJECT
  public:
    explicit LayoutWindow(AppContext& ctx, QWidget* parent = nullptr);

    // Shows ctx.layout in the fields, after LoadSettings filled it.
    void showFields();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void offerDefaults();
    void saveAndQuit();

    AppContext& ctx_;
    QLineEdit* topMarginField;      // Text1
    QLineEdit* bottomMarginField;   // Text2
    QLineEdit* leftMarginField;     // Text3
    QLineEdit* rightMarginField;    // Text4
    QLineEdit* sheetWidthField;     // Text5
    QLineEdit* sheetHeightField;    // Text6
    QLineEdit* amplitudeField;      // Text7
    QLineEdit* rowsField;           // Text8
    QLineEdit* columnsField;        // Text9
    QPushButton* defaultsButton;    // SSCommand1
    QPushButton* saveAndQuitButton; // SSCommand2
};

} // namespace karvel
