#include "platform/progress_gauge.h"

#include <QProgressBar>

namespace karvel {

std::function<void(int percent)> PaintedGauge(QProgressBar& gauge) {
    return [&gauge](int percent) {
        if (percent == gauge.value())
            return;
        gauge.setValue(percent);
        // The job holds the event loop: the gauge is painted now or not at all.
        gauge.repaint();
    };
}

} // namespace karvel
