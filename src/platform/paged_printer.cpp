#include "platform/paged_printer.h"

namespace karvel {

PagedPrinter::PagedPrinter() {
    font_.setPointSizeF(10);
}

double PagedPrinter::toPixels(double value) const {
    return unit_ == PrinterUnit::Pixels ? value : value * kPixelsPerInch / 1440.0;
}

double PagedPrinter::fromPixels(double value) const {
    return unit_ == PrinterUnit::Pixels ? value : value * 1440.0 / kPixelsPerInch;
}

QSizeF PagedPrinter::printablePixels() const {
    QSizeF dots = printableDots(sheetOrientation());
    if (sheetFullPage()) {
        const QMarginsF margins = marginDots(sheetOrientation());
        dots += QSizeF(margins.left() + margins.right(), margins.top() + margins.bottom());
    }
    return dots / dotsPerPixel();
}

QMarginsF PagedPrinter::unprintableMargins() const {
    const QMarginsF pixels = marginDots(sheetOrientation()) / dotsPerPixel();
    return {fromPixels(pixels.left()), fromPixels(pixels.top()), fromPixels(pixels.right()),
            fromPixels(pixels.bottom())};
}

QPointF PagedPrinter::onDevice(const QPointF& pixels) const {
    if (!sheetFullPage())
        return pixels;
    const QMarginsF margins = marginDots(sheetOrientation()) / dotsPerPixel();
    return pixels - QPointF(margins.left(), margins.top());
}

double PagedPrinter::printableWidth() const {
    return fromPixels(printablePixels().width());
}

double PagedPrinter::printableHeight() const {
    return fromPixels(printablePixels().height());
}

double PagedPrinter::textWidth(const QString& text) const {
    return fromPixels(metrics(font_).horizontalAdvance(text) / dotsPerPixel());
}

bool PagedPrinter::beginOutput() {
    if (!inJob_) {
        inJob_ = true;
        jobOrientation_ = orientation_;
        jobFullPage_ = fullPage_;
        sheet_ = 1;
        pendingSheets_ = 0;
        try {
            startJob(jobOrientation_);
        } catch (...) {
            failed_ = true;
            throw;
        }
    }
    if (failed_)
        return false;
    for (; pendingSheets_ > 0; --pendingSheets_) {
        ++sheet_;
        try {
            startSheet();
        } catch (...) {
            failed_ = true;
            throw;
        }
    }
    return true;
}

void PagedPrinter::print(const QString& text) {
    // The line flow of a printer: a line that no longer fits goes on the next
    // sheet, which is only taken when something is printed on it.
    if (beginOutput() && y_ > 0 && y_ + lineHeight() > printablePixels().height()) {
        ++pendingSheets_;
        y_ = 0;
    }
    if (!text.isEmpty() && beginOutput())
        paintText(onDevice({x_, y_}), text, font_);
    x_ += metrics(font_).horizontalAdvance(text) / dotsPerPixel();
}

void PagedPrinter::printLine(const QString& text) {
    print(text);
    x_ = 0;
    y_ += lineHeight();
}

void PagedPrinter::drawLine(double x1, double y1, double x2, double y2, const QColor& colour) {
    const QPointF from(toPixels(x1), toPixels(y1));
    const QPointF to(toPixels(x2), toPixels(y2));
    if (beginOutput())
        paintLine(onDevice(from), onDevice(to), colour);
    x_ = to.x();
    y_ = to.y();
}

void PagedPrinter::newPage() {
    // Before any output there is no sheet to end.
    if (inJob_ && !failed_)
        ++pendingSheets_;
    x_ = 0;
    y_ = 0;
}

void PagedPrinter::endDocument() {
    const bool sending = inJob_;
    const bool failed = failed_;
    // Reset first: a job that fails while being sent leaves the surface ready for the next.
    inJob_ = false;
    failed_ = false;
    sheet_ = 0;
    pendingSheets_ = 0;
    x_ = 0;
    y_ = 0;
    if (sending)
        finishJob(failed);
}

} // namespace karvel
