#pragma once
// The printer the program's jobs print on: the system's surface, which one
// job at a time may send to another surface (a preview) and then give back.

#include "platform/printer_surface.h"

#include <utility>

namespace karvel {

class RoutedPrinter final : public PrinterSurface {
  public:
    explicit RoutedPrinter(PrinterSurface& surface) : surface_(&surface) {}
    RoutedPrinter(const RoutedPrinter&) = delete;
    RoutedPrinter& operator=(const RoutedPrinter&) = delete;

    // While it lives, every operation goes to `other`; the surface before it
    // keeps its state, untouched by what `other` is asked.
    class Detour {
      public:
        Detour(RoutedPrinter& printer, PrinterSurface& other)
            : printer_(printer), previous_(std::exchange(printer.surface_, &other)) {}
        ~Detour() { printer_.surface_ = previous_; }
        Detour(const Detour&) = delete;
        Detour& operator=(const Detour&) = delete;

      private:
        RoutedPrinter& printer_;
        PrinterSurface* previous_;
    };

    void setUnit(PrinterUnit unit) override { surface_->setUnit(unit); }
    PrinterUnit unit() const override { return surface_->unit(); }
    void setOrientation(Orientation orientation) override { surface_->setOrientation(orientation); }
    Orientation orientation() const override { return surface_->orientation(); }
    void setFullPage(bool on) override { surface_->setFullPage(on); }
    QMarginsF unprintableMargins() const override { return surface_->unprintableMargins(); }
    double printableWidth() const override { return surface_->printableWidth(); }
    double printableHeight() const override { return surface_->printableHeight(); }
    double x() const override { return surface_->x(); }
    double y() const override { return surface_->y(); }
    void setX(double x) override { surface_->setX(x); }
    void setY(double y) override { surface_->setY(y); }
    double textWidth(const QString& text) const override { return surface_->textWidth(text); }
    double textHeight() const override { return surface_->textHeight(); }
    void print(const QString& text) override { surface_->print(text); }
    void printLine(const QString& text = QString()) override { surface_->printLine(text); }
    void drawLine(double x1, double y1, double x2, double y2,
                  const QColor& colour = Qt::black) override {
        surface_->drawLine(x1, y1, x2, y2, colour);
    }
    void setFontSize(double points) override { surface_->setFontSize(points); }
    double fontSize() const override { return surface_->fontSize(); }
    void setBold(bool on) override { surface_->setBold(on); }
    bool bold() const override { return surface_->bold(); }
    void setItalic(bool on) override { surface_->setItalic(on); }
    bool italic() const override { return surface_->italic(); }
    void newPage() override { surface_->newPage(); }
    void endDocument() override { surface_->endDocument(); }
    bool isPreview() const override { return surface_->isPreview(); }

  private:
    PrinterSurface* surface_;
};

} // namespace karvel
