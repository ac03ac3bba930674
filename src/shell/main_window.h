#pragma once
// The main window `MDIForm1`: the menus that lead to every function, and the
// frame that holds the windows they open. Closing it never ends the program;
// it shows the quit window instead.

#include "platform/printer_surface.h"
#include "platform/window_frame.h"
#include "shell/menu_actions.h"
#include "shell/quit_window.h"

#include <QMainWindow>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace karvel {

struct AppContext;
class LoanDeskWindow;
class OverdueWindow;
class PrintingWindows;
class QtSounds;
class RecordFormWindow;
namespace school_year {
class ImportPupilsWindow;
}

class MainWindow : public QMainWindow, public WindowFrame {
    Q_OBJECT
  public:
    MainWindow(AppContext& ctx, QuitActions quit, QWidget* parent = nullptr);
    ~MainWindow() override;

    void bringUp(QWidget& window) override;

    // Shows the loan desk and puts the focus in its reading field.
    QAction* loanDeskAction() const { return loanDeskEntry; }
    LoanDeskWindow& loanDesk() const { return *loanDeskWindow; }
    void openLoanDesk();

    // Lets the entries "Edition des Codes-barres" and "Edition des cartes
    // d'Emprunteurs" show their windows; they are disabled until then, as in
    // a main window made without them. Called once.
    void usePrintingWindows(PrintingWindows& printing);

    // Lets the entry "Sons à chaque lecture" show and switch the user's
    // choice of sounds; the entry is disabled until then. Called once.
    void useSounds(QtSounds& sounds);

    QuitWindow& quitWindow() const { return *quitter; }
    void showQuitWindow();

  protected:
    void closeEvent(QCloseEvent* event) override;
    // The first showing opens the loan desk: the program starts ready to read.
    void showEvent(QShowEvent* event) override;

  private:
    void buildMenus();
    QMdiSubWindow* hold(QWidget& window);
    void runStocktaking();
    void addSoundsEntry(QMenu* gestion);
    void choosePrinterOrientation(Orientation orientation);
    void openDataDocument(DataDocument document);
    // Makes a window on first use, owned by the main window, then brings it up.
    template <typename Window, typename... Arguments>
    void showOnce(Window*& window, Arguments&&... arguments) {
        if (!window)
            window = new Window(std::forward<Arguments>(arguments)...);
        bringUp(*window);
    }

    AppContext& ctx_;
    std::function<void(int)> endProgram_;
    QuitWindow* quitter;
    QMdiArea* frame_;
    // Windows held in the frame that belong to others (the printing windows):
    // given back when the frame goes, so that their owners delete them.
    std::vector<QWidget*> lent_;
    LoanDeskWindow* loanDeskWindow; // Form2
    // Made when first asked for.
    RecordFormWindow* documentsForm_ = nullptr;
    RecordFormWindow* membersForm_ = nullptr;
    OverdueWindow* overdue_ = nullptr;
    school_year::ImportPupilsWindow* importEleves_ = nullptr;
    bool loanDeskOpened_ = false;
    // The orientation last set through the menu, which the check marks show.
    std::optional<Orientation> chosenOrientation_;

    QAction* loanDeskEntry = nullptr;      // menugestionindex1
    QAction* soundsEntry = nullptr;        // menugestionindex3
    QAction* labelSheetsEntry = nullptr;   // menuéditionindex1
    QAction* borrowerCardsEntry = nullptr; // menuéditionindex3
    QAction* portraitEntry = nullptr;      // menuéditionindex5
    QAction* landscapeEntry = nullptr;     // menuéditionindex6
    QAction* stocktakingEntry = nullptr;   // menuinventaireindex1
};

} // namespace karvel
