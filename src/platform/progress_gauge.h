#pragma once
// The gauge of a print job, painted while the job holds the event loop.

#include <functional>

class QProgressBar;

namespace karvel {

// What a job calls with each percentage: `gauge` shows it at once, and only
// when it changed (most labels leave the percentage as it was, and a repaint
// costs more than drawing the label).
std::function<void(int percent)> PaintedGauge(QProgressBar& gauge);

} // namespace karvel
