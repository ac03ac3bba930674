#pragma once
// The main window `MDIForm1`.

#include <QMainWindow>

namespace karvel {

struct AppContext;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(AppContext& ctx, QWidget* parent = nullptr);

  private:
    AppContext& ctx_;
};

} // namespace karvel
