#pragma once
// The state rules every printer surface shares, whatever the device: the
// unit, the orientation, the position and the font stay until changed,
// across jobs; a job begins at the first output after an end of document; a
// new page only takes a sheet when something is printed after it; text that
// would run past the bottom of the printable area goes on to a new sheet.
// Devices receive positions in pixels of 1/600 inch, whatever their own
// resolution, and measure in their own dots.

#include "platform/printer_surface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QSizeF>

namespace karvel {

class PagedPrinter : public PrinterSurface {
  public:
    void setUnit(PrinterUnit unit) override { unit_ = unit; }
    PrinterUnit unit() const override { return unit_; }
    void setOrientation(Orientation orientation) override { orientation_ = orientation; }
    Orientation orientation() const override { return orientation_; }
    void setFullPage(bool on) override { fullPage_ = on; }
    QMarginsF unprintableMargins() const override;
    double printableWidth() const override;
    double printableHeight() const override;
    double x() const override { return fromPixels(x_); }
    double y() const override { return fromPixels(y_); }
    void setX(double x) override { x_ = toPixels(x); }
    void setY(double y) override { y_ = toPixels(y); }
    double textWidth(const QString& text) const override;
    double textHeight() const override { return fromPixels(lineHeight()); }
    void print(const QString& text) override;
    void printLine(const QString& text = QString()) override;
    void drawLine(double x1, double y1, double x2, double y2,
                  const QColor& colour = Qt::black) override;
    void setFontSize(double points) override { font_.setPointSizeF(points); }
    double fontSize() const override { return font_.pointSizeF(); }
    void setBold(bool on) override { font_.setBold(on); }
    bool bold() const override { return font_.bold(); }
    void setItalic(bool on) override { font_.setItalic(on); }
    bool italic() const override { return font_.italic(); }
    void newPage() override;
    void endDocument() override;

    const QFont& font() const { return font_; }
    // One line of the current font, in pixels.
    double lineHeight() const { return metrics(font_).height() / dotsPerPixel(); }

  protected:
    PagedPrinter();

    // Dots per inch of the device.
    virtual double resolution() const = 0;
    // The printable area of a sheet in `orientation`, in device dots.
    virtual QSizeF printableDots(Orientation orientation) const = 0;
    // The edges of such a sheet the device cannot print, in its dots.
    virtual QMarginsF marginDots(Orientation orientation) const {
        (void)orientation;
        return {};
    }
    // The font's metrics on the device, in its dots.
    virtual QFontMetricsF metrics(const QFont& font) const = 0;
    // Device dots in one pixel: 2 at 1200 dpi, 0.5 at 300 dpi.
    double dotsPerPixel() const { return resolution() / kPixelsPerInch; }

    // Called with the job's first output; a failure here drops the rest of
    // the job's output until its end, so the user is told once.
    virtual void startJob(Orientation orientation) = 0;
    // Every later output of the job goes on a new sheet.
    virtual void startSheet() = 0;
    // `topLeft` is the top of the text's line; positions are pixels from the
    // top-left corner of the printable area.
    virtual void paintText(const QPointF& topLeft, const QString& text, const QFont& font) = 0;
    virtual void paintLine(const QPointF& from, const QPointF& to, const QColor& colour) = 0;
    // Sends the job. Also called after a failed start, with `failed` true, so
    // the device can let go of it.
    virtual void finishJob(bool failed) = 0;

    // The orientation of the job in progress, else the one the next job takes.
    Orientation sheetOrientation() const { return inJob_ ? jobOrientation_ : orientation_; }
    // The sheet the job is drawing on, 1 for the first.
    int sheet() const { return sheet_; }

  private:
    double toPixels(double value) const;
    double fromPixels(double value) const;
    // The printable area of the sheet being drawn on, in pixels: the whole
    // sheet for a full-page document.
    QSizeF printablePixels() const;
    // Where a position of the document lies on the device, whose origin is
    // the corner of its printable area.
    QPointF onDevice(const QPointF& pixels) const;
    bool sheetFullPage() const { return inJob_ ? jobFullPage_ : fullPage_; }
    // Begins the job and the sheets asked for since the last output; false
    // when the job could not start and its output is dropped.
    bool beginOutput();

    QFont font_;
    PrinterUnit unit_ = PrinterUnit::Twips;
    Orientation orientation_ = Orientation::Portrait;
    Orientation jobOrientation_ = Orientation::Portrait;
    bool fullPage_ = false;
    bool jobFullPage_ = false;
    double x_ = 0;
    double y_ = 0;
    bool inJob_ = false;
    bool failed_ = false;
    int sheet_ = 0;
    int pendingSheets_ = 0;
};

} // namespace karvel
