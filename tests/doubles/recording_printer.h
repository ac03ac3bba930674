#pragma once
// A printer surface that keeps every operation with its coordinates, for
// tests: an A4 sheet at 600 dpi unless told otherwise. Sheets are counted as
// a real printer would print them.

#include "platform/paged_printer.h"

#include <QImage>
#include <vector>

namespace karvel {

struct PrintedItem {
    enum class Kind { Text, Line };
    Kind kind;
    int sheet;    // 1-based sheet number within the job
    QString text; // printed text
    QPointF from; // position of the text, or line start (pixels)
    QPointF to;   // end of the text or line (pixels)
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

class RecordingPrinter final : public PagedPrinter {
  public:
    // `marginsMillimetres`: the edges of the sheet it cannot print.
    explicit RecordingPrinter(int dpi = 600, QSizeF pageMillimetres = {210, 297},
                              QMarginsF marginsMillimetres = {});

    // Jobs sent so far; the job in progress is not among them.
    const std::vector<PrintedJob>& jobs() const { return jobs_; }
    const PrintedJob& current() const { return current_; }
    int dpi() const { return dpi_; }

  protected:
    double resolution() const override { return dpi_; }
    QSizeF printableDots(Orientation orientation) const override;
    QMarginsF marginDots(Orientation orientation) const override;
    QFontMetricsF metrics(const QFont& font) const override;
    void startJob(Orientation orientation) override;
    void startSheet() override { ++current_.sheets; }
    void paintText(const QPointF& topLeft, const QString& text, const QFont& font) override;
    void paintLine(const QPointF& from, const QPointF& to, const QColor& colour) override;
    void finishJob(bool failed) override;

  private:
    int dpi_;
    QSizeF pageMm_;
    QMarginsF marginsMm_;
    // Text is measured at the printer's resolution.
    QImage metricsDevice_;
    PrintedJob current_;
    std::vector<PrintedJob> jobs_;
};

} // namespace karvel
