#pragma once
// Printer surfaces that paint with QPainter on a paged device: the base that
// both the system printer and the PDF file share, and the PDF file itself.

#include "platform/paged_printer.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <functional>
#include <memory>
#include <vector>

namespace karvel {

class Clock;
class Dialogs;
class FileSystem;

class PainterPrinter : public PagedPrinter {
  public:
    // On by default. Off, every line is filled on its own, which the label
    // benchmark compares against.
    void setMergedRuns(bool on) { mergedRuns_ = on; }

  protected:
    // The device for a job in `orientation`, ready to be painted on.
    virtual QPagedPaintDevice& openDevice(Orientation orientation) = 0;
    // Called once painting has ended; sends the job, or lets it go when `failed`.
    virtual void closeDevice(bool failed) = 0;
    // Stops a job the device has started, before painting ends.
    virtual void abortDevice() {}

    void startJob(Orientation orientation) override;
    void startSheet() override;
    void paintText(const QPointF& topLeft, const QString& text, const QFont& font) override;
    void paintLine(const QPointF& from, const QPointF& to, const QColor& colour) override;
    void finishJob(bool failed) override;

  private:
    // The device dot a pixel edge lands on.
    int dot(int pixelEdge) const;
    // The device dots of whole pixels, from the dot of each edge: pixels side
    // by side share their edge dot, so bars built of adjacent lines have no
    // gap or overlap and keep their width in millimetres, at any resolution.
    QRect dots(const QRect& pixels) const;
    // Adjacent one-pixel columns of the same height and colour (the lines of
    // a bar) are held and filled as one rectangle: the same device dots,
    // one drawing operation per bar instead of one per column.
    void addColumn(const QRect& column, const QColor& colour);
    // Closes the bar being built; it joins the bars waiting to be filled.
    void endRun();
    // Fills the waiting bars of one colour in a single operation, so a
    // symbol costs the spool a few bytes per bar.
    void flushInk();

    QPainter painter_;
    QPagedPaintDevice* device_ = nullptr;
    bool mergedRuns_ = true;
    QRect run_;
    QColor runColour_;
    std::vector<QRect> ink_;
    QColor inkColour_;
};

QPageLayout::Orientation pageOrientation(Orientation orientation);

// A sheet printed to its edges, as a PDF file is: a file has no unprintable
// margin, and the label sheets add their own.
QPageLayout fullPageLayout(const QPageSize& pageSize, Orientation orientation);

// Where a PDF job goes: a file to write, or a folder that gets a new file
// named with the date and time of the job.
struct PdfTarget {
    QString path;
    bool folder = false;
};

// Writes each job to a PDF file, then tells the user where it is.
class PdfPrinter final : public PainterPrinter {
  public:
    // `target` is asked at the end of each job.
    PdfPrinter(Dialogs& dialogs, FileSystem& files, const Clock& clock,
               std::function<PdfTarget()> target, int dpi = 600,
               const QPageSize& pageSize = QPageSize(QPageSize::A4));
    ~PdfPrinter() override;

    // The file the last job was written to; empty before the first.
    const QString& lastFile() const { return lastFile_; }

  protected:
    double resolution() const override { return dpi_; }
    QSizeF printableDots(Orientation orientation) const override;
    QFontMetricsF metrics(const QFont& font) const override;
    QPagedPaintDevice& openDevice(Orientation orientation) override;
    void closeDevice(bool failed) override;

  private:
    QPageLayout layout(Orientation orientation) const;
    QString newFileIn(const QString& folder) const;

    Dialogs& dialogs_;
    FileSystem& files_;
    const Clock& clock_;
    std::function<PdfTarget()> target_;
    int dpi_;
    QPageSize pageSize_;
    // Never painted on: it gives the fonts' metrics at the PDF's resolution.
    QBuffer idle_;
    QPdfWriter metricsDevice_;
    // The job in progress, built in memory and written whole at its end.
    QBuffer buffer_;
    std::unique_ptr<QPdfWriter> writer_;
    QString lastFile_;
};

} // namespace karvel
