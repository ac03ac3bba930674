#pragma once
// "Importer les élèves…": the pupils of a new school year from a
// spreadsheet file. The window reads the file, shows what would change,
// and imports on the user's word.

#include "school_year/import_plan.h"

#include <QWidget>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace karvel {
struct AppContext;
}

namespace karvel::school_year {

class ImportPupilsWindow : public QWidget {
    Q_OBJECT
  public:
    explicit ImportPupilsWindow(AppContext& ctx, QWidget* parent = nullptr);

    // Reads the file named in Text1 and shows its plan.
    void readFile();
    // Asks, then imports the plan shown.
    void import();

  private:
    void chooseFile();
    void showPlan();

    AppContext& ctx_;
    QLineEdit* fileField;       // Text1: the file
    QPlainTextEdit* planText;   // Text2: what would change
    QCheckBox* removeAbsentBox; // Check1: remove the absent pupils
    QPushButton* chooseButton;  // Commande1
    QPushButton* readButton;    // Commande2
    QPushButton* importButton;  // Commande3
    std::optional<PupilFile> file_;
    std::optional<ImportPlan> plan_;
};

} // namespace karvel::school_year
