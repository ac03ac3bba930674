#pragma once
// The quit window `quitter`: the only way the user ends the program.

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace karvel {

// Leaves the event loop with `exitCode`: main then returns and the windows
// go without being asked whether they may close. With a box open, the
// process ends where it stands.
void endEventLoop(int exitCode);

struct QuitActions {
    // Copies the databases to the day's backups; connected by the backups
    // module, nothing until then.
    std::function<void()> makeBackups;
    // Ends the program at once. Tests put something observable in its place.
    std::function<void(int exitCode)> endProgram = endEventLoop;
};

// Shown without being modal: the rest of the program stays usable.
class QuitWindow : public QDialog {
    Q_OBJECT
  public:
    explicit QuitWindow(QuitActions actions, QWidget* parent = nullptr);

    // What "Oui, je quitte" does: the backups, then the end. Asked again
    // while the backups tell their outcome, it only ends.
    void quit();

  private:
    QuitActions actions_;
    bool quitting_ = false;
    QLabel* Etiquette1;
    QPushButton* Commande1;
    QPushButton* Commande2;
};

} // namespace karvel
