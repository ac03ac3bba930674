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
    RecordFormWindow(AppContext& ctx, const FormSpec& spec, QWidget* parent = nullptr);

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
    void openTyped();
    void startNew();
    void save();
    void printLabels();

    RecordForm form_;
    std::vector<Control> controls_;
    QLineEdit* numero;
    QLabel* legende;
    QPushButton* ouvrir;
    QPushButton* nouveau;
    QPushButton* enregistrer;
    QPushButton* imprimer;
    QPushButton* quitter;
    QProgressBar* gaugeBar; // thermomètre
};

} // namespace karvel
