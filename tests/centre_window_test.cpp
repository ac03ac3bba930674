// CentreWindow: centred on the screen, then 500 twips higher.

#include "platform/centre_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

using namespace karvel;

namespace {

TEST(CentreWindow, PositionArithmetic) {
    struct Row {
        QRect screen;
        QSize window;
        double dpi;
        QPoint expected;
    };
    const Row rows[] = {
        // (1024 - 400) / 2 = 312; (768 - 200) / 2 = 284; 500 twips at 96 dpi = 33.3 px -> 251
        {{0, 0, 1024, 768}, {400, 200}, 96, {312, 251}},
        // 500 twips at 120 dpi = 41.7 px: (1080 - 301) / 2 = 389 (integer) - 42 = 347
        {{0, 0, 1920, 1080}, {641, 301}, 120, {639, 347}},
        // A second screen to the right: its origin is added.
        {{1920, 0, 1280, 1024}, {280, 124}, 96, {1920 + 500, 450 - 33}},
        // Too tall to be lifted whole: the title bar stays on the screen.
        {{0, 0, 800, 600}, {300, 580}, 96, {250, 0}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(centredPosition(row.screen, row.window, row.dpi), row.expected)
            << row.window.width() << "x" << row.window.height() << " at " << row.dpi << " dpi";
}

TEST(CentreWindow, MovesTheWindowOnItsScreen) {
    QWidget window;
    window.resize(320, 100);
    CentreWindow(window);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen->geometry();
    const int lift = qRound(500 * screen->logicalDotsPerInchY() / 1440);
    EXPECT_EQ(window.pos(), QPoint(area.x() + (area.width() - 320) / 2,
                                   area.y() + (area.height() - 100) / 2 - lift));
}

} // namespace
