#pragma once
// Form5: the action chosen by hand, as its command barcode would give it.

#include <QWidget>
#include <functional>

class QPushButton;

namespace karvel {

class ActionChoiceWindow : public QWidget {
    Q_OBJECT
  public:
    // `read` puts a reading into the desk's reading field and interprets it.
    explicit ActionChoiceWindow(std::function<void(const QString&)> read,
                                QWidget* parent = nullptr);

  private:
    void choose(const QString& command);

    std::function<void(const QString&)> read_;
    QPushButton* loanButton;   // SSCommand1
    QPushButton* returnButton; // SSCommand2
    QPushButton* printButton;  // SSCommand3
};

} // namespace karvel
