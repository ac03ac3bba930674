#include "platform/painter_printer.h"

#include "common/text.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sys/stat.h>

namespace karvel {

void PainterPrinter::startJob(Orientation orientation) {
    device_ = &openDevice(orientation);
    if (!painter_.begin(device_)) {
        device_ = nullptr;
        throw makeError(ErrDeviceUnavailable);
    }
}

void PainterPrinter::startSheet() {
    flushInk();
    if (!device_->newPage())
        throw makeError(ErrDeviceIo);
}

void PainterPrinter::paintText(const QPointF& topLeft, const QString& text, const QFont& font) {
    // Black bars may wait across black text: where they meet, the ink is the same.
    endRun();
    if (inkColour_ != QColor(Qt::black))
        flushInk();
    painter_.setFont(font);
    painter_.setPen(Qt::black);
    // QPainter places text by its baseline; the position is the top of the line.
    painter_.drawText(topLeft * dotsPerPixel() + QPointF(0, metrics(font).ascent()), text);
}

int PainterPrinter::dot(int pixelEdge) const {
    // Exact for whole dots per inch: the same edge always lands on the same dot.
    return int(std::lround(double(pixelEdge) * resolution() / kPixelsPerInch));
}

QRect PainterPrinter::dots(const QRect& pixels) const {
    const int left = dot(pixels.x());
    const int top = dot(pixels.y());
    return QRect(left, top, dot(pixels.x() + pixels.width()) - left,
                 dot(pixels.y() + pixels.height()) - top);
}

void PainterPrinter::paintLine(const QPointF& from, const QPointF& to, const QColor& colour) {
    const QPoint a(int(std::lround(from.x())), int(std::lround(from.y())));
    const QPoint b(int(std::lround(to.x())), int(std::lround(to.y())));
    // A line covers the pixels from its start up to, not including, its end,
    // so a bar of height h from y is exactly h pixels tall.
    if (a.x() == b.x()) {
        addColumn(dots(QRect(a.x(), std::min(a.y(), b.y()), 1, std::abs(b.y() - a.y()))), colour);
        return;
    }
    flushInk();
    if (a.y() == b.y()) {
        const QRect row = dots(QRect(std::min(a.x(), b.x()), a.y(), std::abs(b.x() - a.x()), 1));
        if (!row.isEmpty())
            painter_.fillRect(row, colour);
    } else {
        // A pen one pixel wide; a zero width would be a hairline whose width
        // depends on the printer.
        painter_.setPen(QPen(colour, dotsPerPixel(), Qt::SolidLine, Qt::FlatCap));
        painter_.drawLine(QPointF(a) * dotsPerPixel(), QPointF(b) * dotsPerPixel());
    }
}

void PainterPrinter::addColumn(const QRect& column, const QColor& colour) {
    if (column.isEmpty())
        return;
    if (!run_.isEmpty() && colour == runColour_ && column.top() == run_.top() &&
        column.height() == run_.height()) {
        // The same column again adds no ink.
        if (column.left() >= run_.left() && column.right() <= run_.right())
            return;
        if (column.left() == run_.right() + 1) {
            run_.setRight(column.right());
            return;
        }
    }
    endRun();
    run_ = column;
    runColour_ = colour;
    if (!mergedRuns_)
        flushInk();
}

void PainterPrinter::endRun() {
    if (run_.isEmpty())
        return;
    if (!ink_.empty() && inkColour_ != runColour_)
        flushInk();
    ink_.push_back(run_);
    inkColour_ = runColour_;
    run_ = QRect();
}

void PainterPrinter::flushInk() {
    endRun();
    if (ink_.empty())
        return;
    // Without a pen a rectangle covers exactly its own pixels.
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(inkColour_);
    painter_.drawRects(ink_.data(), int(ink_.size()));
    painter_.setBrush(Qt::NoBrush);
    ink_.clear();
}

void PainterPrinter::finishJob(bool failed) {
    if (!failed && painter_.isActive())
        flushInk();
    run_ = QRect();
    ink_.clear();
    if (failed && painter_.isActive())
        abortDevice();
    if (painter_.isActive())
        painter_.end();
    device_ = nullptr;
    closeDevice(failed);
}

PdfPrinter::PdfPrinter(Dialogs& dialogs, FileSystem& files, const Clock& clock,
                       std::function<PdfTarget()> target, int dpi, const QPageSize& pageSize)
    : dialogs_(dialogs), files_(files), clock_(clock), target_(std::move(target)), dpi_(dpi),
      pageSize_(pageSize), metricsDevice_(&idle_) {
    metricsDevice_.setResolution(dpi_);
}

PdfPrinter::~PdfPrinter() = default;

QPageLayout::Orientation pageOrientation(Orientation orientation) {
    return orientation == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QPageLayout fullPageLayout(const QPageSize& pageSize, Orientation orientation) {
    return QPageLayout(pageSize, pageOrientation(orientation), QMarginsF());
}

QPageLayout PdfPrinter::layout(Orientation orientation) const {
    return fullPageLayout(pageSize_, orientation);
}

QSizeF PdfPrinter::printableDots(Orientation orientation) const {
    return layout(orientation).paintRectPixels(dpi_).size();
}

QFontMetricsF PdfPrinter::metrics(const QFont& font) const {
    return QFontMetricsF(font, &metricsDevice_);
}

QPagedPaintDevice& PdfPrinter::openDevice(Orientation orientation) {
    buffer_.setData(QByteArray());
    buffer_.open(QIODevice::WriteOnly);
    writer_ = std::make_unique<QPdfWriter>(&buffer_);
    writer_->setResolution(dpi_);
    writer_->setPageLayout(layout(orientation));
    writer_->setCreator(QStringLiteral("KarVel"));
    writer_->setTitle(QStringLiteral("KarVel"));
    return *writer_;
}

QString PdfPrinter::newFileIn(const QString& folder) const {
    const QString stem =
        QStringLiteral("impression-") + clock_.now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = folder + QLatin1Char('/') + stem + QStringLiteral(".pdf");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder + QLatin1Char('/') + stem + QLatin1Char('-') + QString::number(n) +
               QStringLiteral(".pdf");
    return path;
}

void PdfPrinter::closeDevice(bool failed) {
    writer_.reset();
    buffer_.close();
    const QByteArray bytes = buffer_.data();
    buffer_.setData(QByteArray());
    if (failed)
        return;
    const PdfTarget target = target_();
    QString path = target.path;
    if (target.folder) {
        // A missing folder is made; when that fails, the last step says why.
        if (!QDir().mkpath(target.path) &&
            ::mkdir(QFile::encodeName(target.path).constData(), 0755) != 0)
            throw errorFromErrno(errno, target.path);
        path = newFileIn(target.path);
    }
    files_.writeAtomically(path, bytes);
    lastFile_ = QFileInfo(path).absoluteFilePath();
    dialogs_.message(
        Icon::Information, kProgramCaption,
        QStringLiteral("Le document imprimé a été enregistré dans le fichier PDF :\n%1")
            .arg(QDir::toNativeSeparators(lastFile_)));
}

} // namespace karvel
