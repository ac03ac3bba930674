#pragma once
// The window of a record form: "Nouveaux documents" or the external members'.
// A number typed or read from a barcode opens that record; otherwise the form
// holds a new record under the number proposed.

#include "catalogue/record_form.h"

#include <QWidget>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace karvel {

class RecordFormWindow : public QWidget {
    Q_OBJECT
  public:
    RecordFormWindow(AppContext& ctx, const FormDefinition& definition, QWidget* parent = nullptr);

    const RecordForm& form() const { return form_; }

  private:
    // One control per field of the form: a line, a text of several lines or a check box.
    struct Control {
        const FormField* field;
        QLineEdit* line = nullptr;
        QPlainTextEdit* lines = nullptr;
        QCheckBox* check = nullptr;
    };

    void showForm();
    void readControls();
    // True when something typed is not saved.
    bool edited();
    // Whether the record shown may be left: nothing typed, or the user drops it.
    bool mayLeave();
    void quit();
    void openTyped();
    void startNew();
    void save();
    void printLabels();

    RecordForm form_;
    std::vector<Control> controls_;
    QLineEdit* numberField;   // numero
    QLabel* captionLabel;     // legende
    QPushButton* openButton;  // ouvrir
    QPushButton* newButton;   // nouveau
    QPushButton* saveButton;  // enregistrer
    QPushButton* printButton; // imprimer
    QPushButton* quitButton;  // quitter
    QProgressBar* gaugeBar;   // thermomètre
};

} // namespace karvel
