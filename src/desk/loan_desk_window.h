#pragma once
// Form2, the loan desk: a barcode reader types into the reading field, the
// reading is validated, and the window shows what the interpreter made of
// it. The window only copies its controls into a DeskState, hands it to the
// interpreter and shows it back.

#include "desk/desk_state.h"
#include "platform/dialogs.h"

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace karvel {

struct AppContext;
class ActionChoiceWindow;
class BorrowerChoiceWindow;
class DocumentChoiceWindow;

class LoanDeskWindow : public QWidget, private BoxWatcher {
    Q_OBJECT
  public:
    explicit LoanDeskWindow(AppContext& ctx, QWidget* parent = nullptr);

    // Shows the desk in front with the focus in the reading field.
    void open();
    // The reader types into whatever has the focus: while the desk is the
    // active window, that is always the reading field.
    void focusReadingField();
    // The road of the choice windows: puts a reading into the reading field
    // and validates it exactly as the validate button does.
    void read(const QString& reading);

    // What the controls hold.
    DeskState state() const;

  signals:
    // Each reading once interpreted, in the order it was made, whether it
    // was typed into the field or waited while a box was open.
    void readingInterpreted(const QString& reading);

  protected:
    // The close box closes the desk as "&Quitter" does: emptied and hidden.
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // A choice window that closes gives the focus back to the reading field.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showState(const DeskState& desk);
    void showFields(const DeskState& desk);
    void focusReading();

    // While a box is open at the desk: it shows what the box is about, and
    // the readings made meanwhile are interpreted once it is answered.
    void beforeBox(Icon icon) override;
    void readingKept(int waiting) override;
    void interpretReading();
    void readWaiting();
    void watchingBoxes(const std::function<void()>& action);
    void holdChoiceWindow(QWidget& window);

    void validateReading();
    void newReading();
    void closeLoanDesk();
    void printList();
    void previewList();
    void chooseAction();
    void chooseBorrower();
    void chooseDocument();

    AppContext& ctx_;
    // The state whose reading is being interpreted, shown when a box opens.
    const DeskState* interpreting_ = nullptr;

    QLabel* Label7;
    QLineEdit* Text1;
    QPushButton* SSCommand3;
    QLineEdit* Text2;
    QLineEdit* Text3;
    QLineEdit* Text4;
    QPushButton* SSCommand4;
    QPushButton* SSCommand5;
    QPushButton* SSCommand6;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label9;
    QListWidget* List1;
    QPushButton* SSCommand7;
    QPushButton* SSCommand8; // preview of the list
    QPushButton* SSCommand2;
    QPushButton* SSCommand1;

    // The choice windows, made when first asked for, then only shown and hidden.
    ActionChoiceWindow* Form5 = nullptr;
    BorrowerChoiceWindow* Form3 = nullptr;
    DocumentChoiceWindow* Form4 = nullptr;
};

} // namespace karvel
