#include "platform/recording_printer.h"

#include <QFontMetricsF>
#include <cmath>

namespace karvel {

RecordingPrinter::RecordingPrinter(int dpi, QSizeF pageMillimetres)
    : dpi_(dpi), pageMm_(pageMillimetres), metricsDevice_(1, 1, QImage::Format_Mono) {
    // Text is measured at the printer's resolution.
    const int dotsPerMetre = int(dpi / 0.0254 + 0.5);
    metricsDevice_.setDotsPerMeterX(dotsPerMetre);
    metricsDevice_.setDotsPerMeterY(dotsPerMetre);
    font_.setPointSizeF(10);
}

double RecordingPrinter::toPixels(double value) const {
    return unit_ == PrinterUnit::Pixels ? value : value * dpi_ / 1440.0;
}

double RecordingPrinter::fromPixels(double value) const {
    return unit_ == PrinterUnit::Pixels ? value : value * 1440.0 / dpi_;
}

double RecordingPrinter::printableWidth() const {
    const double mm = orientation_ == Orientation::Portrait ? pageMm_.width() : pageMm_.height();
    return fromPixels(std::floor(mm / 25.4 * dpi_));
}

double RecordingPrinter::printableHeight() const {
    const double mm = orientation_ == Orientation::Portrait ? pageMm_.height() : pageMm_.width();
    return fromPixels(std::floor(mm / 25.4 * dpi_));
}

double RecordingPrinter::textWidth(const QString& text) const {
    return fromPixels(QFontMetricsF(font_, &metricsDevice_).horizontalAdvance(text));
}

double RecordingPrinter::lineHeight() const {
    return QFontMetricsF(font_, &metricsDevice_).height();
}

void RecordingPrinter::begin() {
    if (!inJob_) {
        inJob_ = true;
        current_ = PrintedJob{orientation_, 1, {}};
    }
    if (pendingPage_) {
        pendingPage_ = false;
        ++current_.sheets;
    }
}

void RecordingPrinter::print(const QString& text) {
    begin();
    const double width = QFontMetricsF(font_, &metricsDevice_).horizontalAdvance(text);
    current_.items.push_back({PrintedItem::Kind::Text,
                              current_.sheets,
                              text,
                              {x_, y_},
                              {x_ + width, y_},
                              Qt::black,
                              font_.pointSizeF(),
                              font_.bold(),
                              font_.italic()});
    x_ += width;
}

void RecordingPrinter::printLine(const QString& text) {
    if (!text.isEmpty())
        print(text);
    else
        begin();
    x_ = 0;
    y_ += lineHeight();
}

void RecordingPrinter::drawLine(double x1, double y1, double x2, double y2, const QColor& colour) {
    begin();
    const QPointF from(toPixels(x1), toPixels(y1));
    const QPointF to(toPixels(x2), toPixels(y2));
    current_.items.push_back({PrintedItem::Kind::Line, current_.sheets, QString(), from, to, colour,
                              font_.pointSizeF(), font_.bold(), font_.italic()});
    x_ = to.x();
    y_ = to.y();
}

void RecordingPrinter::newPage() {
    begin();
    // The sheet is only started when something is printed on it.
    pendingPage_ = true;
    x_ = 0;
    y_ = 0;
}

void RecordingPrinter::endDocument() {
    if (inJob_)
        jobs_.push_back(current_);
    inJob_ = false;
    pendingPage_ = false;
    current_ = PrintedJob{};
    x_ = 0;
    y_ = 0;
}

} // namespace karvel
