#include "recording_printer.h"

#include <cmath>

namespace karvel {

RecordingPrinter::RecordingPrinter(int dpi, QSizeF pageMillimetres, QMarginsF marginsMillimetres)
    : dpi_(dpi), pageMm_(pageMillimetres), marginsMm_(marginsMillimetres),
      metricsDevice_(1, 1, QImage::Format_Mono) {
    const int dotsPerMetre = int(dpi / 0.0254 + 0.5);
    metricsDevice_.setDotsPerMeterX(dotsPerMetre);
    metricsDevice_.setDotsPerMeterY(dotsPerMetre);
}

QSizeF RecordingPrinter::printableDots(Orientation orientation) const {
    const QMarginsF m = marginDots(orientation);
    const QSizeF mm = orientation == Orientation::Portrait ? pageMm_ : pageMm_.transposed();
    return {std::floor(mm.width() / 25.4 * dpi_) - m.left() - m.right(),
            std::floor(mm.height() / 25.4 * dpi_) - m.top() - m.bottom()};
}

QMarginsF RecordingPrinter::marginDots(Orientation orientation) const {
    // The margins turn with the sheet, the left one becoming the top one.
    const QMarginsF mm = orientation == Orientation::Portrait
                             ? marginsMm_
                             : QMarginsF(marginsMm_.bottom(), marginsMm_.left(), marginsMm_.top(),
                                         marginsMm_.right());
    return mm * (dpi_ / 25.4);
}

QFontMetricsF RecordingPrinter::metrics(const QFont& font) const {
    return QFontMetricsF(font, &metricsDevice_);
}

void RecordingPrinter::startJob(Orientation orientation) {
    current_ = PrintedJob{orientation, 1, {}};
}

void RecordingPrinter::paintText(const QPointF& topLeft, const QString& text, const QFont& font) {
    const double width = metrics(font).horizontalAdvance(text) / dotsPerPixel();
    current_.items.push_back({PrintedItem::Kind::Text, sheet(), text, topLeft,
                              topLeft + QPointF(width, 0), Qt::black, font.pointSizeF(),
                              font.bold(), font.italic()});
}

void RecordingPrinter::paintLine(const QPointF& from, const QPointF& to, const QColor& colour) {
    current_.items.push_back({PrintedItem::Kind::Line, sheet(), QString(), from, to, colour,
                              font().pointSizeF(), font().bold(), font().italic()});
}

void RecordingPrinter::finishJob(bool failed) {
    if (!failed)
        jobs_.push_back(current_);
    current_ = PrintedJob{};
}

} // namespace karvel
