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

    QLabel* readingCaption;            // Label7
    QLineEdit* readingField;           // Text1
    QPushButton* validateButton;       // SSCommand3
    QLineEdit* actionField;            // Text2
    QLineEdit* borrowerField;          // Text3
    QLineEdit* documentField;          // Text4
    QPushButton* actionChoiceButton;   // SSCommand4
    QPushButton* borrowerChoiceButton; // SSCommand5
    QPushButton* documentChoiceButton; // SSCommand6
    QLabel* actionLabel;               // Label4
    QLabel* borrowerKindLabel;         // Label5
    QLabel* borrowerNumberLabel;       // Label6
    QLabel* borrowerNameLabel;         // Label9
    QListWidget* handledList;          // List1
    QPushButton* printButton;          // SSCommand7
    QPushButton* previewButton;        // SSCommand8: preview of the list
    QPushButton* quitButton;           // SSCommand2
    QPushButton* newReadingButton;     // SSCommand1

    // The choice windows, made when first asked for, then only shown and hidden.
    ActionChoiceWindow* actionChoice = nullptr;     // Form5
    BorrowerChoiceWindow* borrowerChoice = nullptr; // Form3
    DocumentChoiceWindow* documentChoice = nullptr; // Form4
};

} // namespace karvel
