#pragma once
// Where every window but the main one sits when it loads: centred on its
// screen, then raised by 500 twips so it clears the centre of the desk.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace karvel {

// Twips by which a window stands above the true centre.
inline constexpr int kCentreLiftTwips = 500;

// The top-left corner of a window of `window` size on a screen `screen`
// (origin included, for a second monitor), with `logicalDpiY` dots per inch
// to turn the lift into pixels. The top never goes above the screen's top
// edge: a title bar off screen could not be grabbed again.
QPoint centredPosition(const QRect& screen, const QSize& window, double logicalDpiY);

// Moves a window to its centred position on the screen it belongs to.
void CentreWindow(QWidget& window);

} // namespace karvel
