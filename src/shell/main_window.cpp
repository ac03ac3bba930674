#include "shell/main_window.h"

#include "common/app_context.h"

namespace karvel {

MainWindow::MainWindow(AppContext& ctx, QWidget* parent) : QMainWindow(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("La VOK - Gestion des Codes-Barres"));
}

} // namespace karvel
