#pragma once
// A printer surface that keeps every operation with its coordinates, for
// tests: an A4 sheet at 600 dpi unless told otherwise. Sheets are counted as
// a real printer would print them.

#include "platform/printer_surface.h"

#include <QFont>
#include <QImage>
#include <QPointF>
#include <vector>

namespace karvel {

struct PrintedItem {
    enum class Kind { Text, Line };
    Kind kind;
    int sheet;    // 1-based sheet number within the job
    QString text; // printed text
    QPointF from; // position of the text, or line start (device pixels)
    QPointF to;   // end of the text or line (device pixels)
    QColor colour;
    double fontSize;
    bool bold;
    bool italic;
};

struct PrintedJob {
    Orientation orientation;
    int sheets = 0;
    std::vector<PrintedItem> items;
};

class RecordingPrinter final : public PrinterSurface {
  public:
    explicit RecordingPrinter(int dpi = 600, QSizeF pageMillimetres = {210, 297});

    void setUnit(PrinterUnit unit) override { unit_ = unit; }
    PrinterUnit unit() const override { return unit_; }
    void setOrientation(Orientation orientation) override { orientation_ = orientation; }
    Orientation orientation() const override { return orientation_; }
    double printableWidth() const override;
    double printableHeight() const override;
    double x() const override { return fromPixels(x_); }
    double y() const override { return fromPixels(y_); }
    void setX(double x) override { x_ = toPixels(x); }
    void setY(double y) override { y_ = toPixels(y); }
    double textWidth(const QString& text) const override;
    void print(const QString& text) override;
    void printLine(const QString& text) override;
    void drawLine(double x1, double y1, double x2, double y2, const QColor& colour) override;
    void setFontSize(double points) override { font_.setPointSizeF(points); }
    double fontSize() const override { return font_.pointSizeF(); }
    void setBold(bool on) override { font_.setBold(on); }
    void setItalic(bool on) override { font_.setItalic(on); }
    void newPage() override;
    void endDocument() override;

    // Jobs sent so far; the job in progress is not among them.
    const std::vector<PrintedJob>& jobs() const { return jobs_; }
    const PrintedJob& current() const { return current_; }
    int dpi() const { return dpi_; }

  private:
    double toPixels(double value) const;
    double fromPixels(double value) const;
    double lineHeight() const;
    void begin();

    int dpi_;
    QSizeF pageMm_;
    QImage metricsDevice_;
    QFont font_;
    PrinterUnit unit_ = PrinterUnit::Twips;
    Orientation orientation_ = Orientation::Portrait;
    double x_ = 0;
    double y_ = 0;
    bool inJob_ = false;
    bool pendingPage_ = false;
    PrintedJob current_;
    std::vector<PrintedJob> jobs_;
};

} // namespace karvel
