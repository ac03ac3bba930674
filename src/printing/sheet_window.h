#pragma once
// What the label-sheet window and the borrower-card window share: the
// choice between a series and a list of numbers with the controls each
// choice enables, the gauge thermomètre, and the print, quit and layout
// buttons.

#include "printing/label_sheets.h"

#include <QWidget>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QVBoxLayout;

namespace karvel {

class LayoutWindow;

struct SheetWindowTexts {
    QString objectName;
    QString title;
    QString seriesChoice;
    QString seriesChoiceTip;
    QString listChoice;
    QString listChoiceTip;
    QString seriesFrame;
    QString startLabel;
    QString endLabel;
    QString listFrame;
    QString printButton;
    QString printTip;
};

class SheetWindow : public QWidget {
    Q_OBJECT
  public:
    NumberChoice numberChoice() const;

  protected:
    SheetWindow(AppContext& ctx, LayoutWindow& layoutWindow, const SheetWindowTexts& texts,
                QWidget* parent);

    // Puts the window's own controls above the shared ones, then centres it.
    void finishLayout(QWidget* kinds);
    // What Option2 enables: the series frame and fields, or the list's.
    void chooseNumbers(NumberChoice choice);
    // The gauge as the print jobs move it: each new percentage is painted at once.
    Progress gauge();
    virtual void print() = 0;

    AppContext& ctx_;
    LayoutWindow& layoutWindow_;
    QRadioButton* seriesOption;      // Option2index0
    QRadioButton* listOption;        // Option2index1
    QButtonGroup* numberChoiceGroup; // Option2
    QGroupBox* seriesFrame;
    QLabel* startLabel;
    QLabel* endLabel;
    QLineEdit* seriesStartField; // Text1
    QLineEdit* seriesEndField;   // Text2
    QGroupBox* listFrame;
    QLabel* exampleHint;
    QLabel* separatorHint;
    QLineEdit* listField; // Text7
    QLabel* firstLabelCaption;
    QSpinBox* firstLabel;       // the cell the first sheet starts at
    QProgressBar* gaugeBar;     // thermomètre
    QPushButton* printButton;   // SSCommand1: print
    QPushButton* quitButton;    // SSCommand2: quit
    QPushButton* layoutButton;  // SSCommand3: layout
    QPushButton* previewButton; // SSCommand4: preview
};

} // namespace karvel
