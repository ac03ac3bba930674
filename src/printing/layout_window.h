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
    QLineEdit* Text1;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QLineEdit* Text4;
    QLineEdit* Text5;
    QLineEdit* Text6;
    QLineEdit* Text7;
    QLineEdit* Text8;
    QLineEdit* Text9;
    QPushButton* SSCommand1;
    QPushButton* SSCommand2;
};

} // namespace karvel
