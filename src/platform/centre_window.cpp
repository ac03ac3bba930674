#include "platform/centre_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtMath>
#include <algorithm>

namespace karvel {

QPoint centredPosition(const QRect& screen, const QSize& window, double logicalDpiY) {
    const int lift = qRound(kCentreLiftTwips * logicalDpiY / 1440.0);
    const int left = (screen.width() - window.width()) / 2;
    const int top = (screen.height() - window.height()) / 2 - lift;
    return screen.topLeft() + QPoint(left, std::max(top, 0));
}

void CentreWindow(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame counts once the window has one; before its first showing it is the window itself.
    window.move(centredPosition(screen->geometry(), window.frameGeometry().size(),
                                screen->logicalDotsPerInchY()));
}

} // namespace karvel
