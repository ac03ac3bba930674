#pragma once
// The splash window `présentation`, shown during start-up only.

#include <QWidget>

class QLabel;

namespace karvel {

class PresentationWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PresentationWindow(QWidget* parent = nullptr);
    // Shows the window and paints it at once: no events run until start-up ends.
    void showNow();

  private:
    QLabel* Etiquette3;
};

} // namespace karvel
