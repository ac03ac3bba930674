#pragma once
// What every printed page asks of the printer. Coordinates are in twips
// (1/1440 inch) until a caller switches the unit to pixels; every value set
// stays until it is changed again, across jobs.

#include <QColor>
#include <QMarginsF>
#include <QString>

namespace karvel {

// A pixel is 1/600 inch on every device, so the same layout prints the same
// millimetres on any printer and in a PDF file.
enum class PrinterUnit { Twips, Pixels };
inline constexpr double kPixelsPerInch = 600;

enum class Orientation { Portrait = 1, Landscape = 2 };

class PrinterSurface {
  public:
    virtual ~PrinterSurface() = default;

    virtual void setUnit(PrinterUnit unit) = 0;
    virtual PrinterUnit unit() const = 0;
    // Applies to the next document.
    virtual void setOrientation(Orientation orientation) = 0;
    virtual Orientation orientation() const = 0;
    // Applies to the next document: positions are measured from the sheet's
    // edge and the printable area is the whole sheet, so that a grid meets
    // the labels of a sheet whatever margins the printer cannot print.
    virtual void setFullPage(bool on) = 0;
    // The edges of the sheet the printer cannot print, in the current unit.
    virtual QMarginsF unprintableMargins() const = 0;

    // The printable area, in the current unit.
    virtual double printableWidth() const = 0;
    virtual double printableHeight() const = 0;

    virtual double x() const = 0;
    virtual double y() const = 0;
    virtual void setX(double x) = 0;
    virtual void setY(double y) = 0;

    // Width of a text in the current font and unit.
    virtual double textWidth(const QString& text) const = 0;
    // Height of one line of the current font, in the current unit.
    virtual double textHeight() const = 0;
    // Prints at the current position; the position moves to the end of the text.
    virtual void print(const QString& text) = 0;
    // Prints and ends the line: x back to the left edge, y one line lower.
    virtual void printLine(const QString& text = QString()) = 0;
    // A one-pixel line; the position is then the end point.
    virtual void drawLine(double x1, double y1, double x2, double y2,
                          const QColor& colour = Qt::black) = 0;

    virtual void setFontSize(double points) = 0;
    virtual double fontSize() const = 0;
    virtual void setBold(bool on) = 0;
    virtual bool bold() const = 0;
    virtual void setItalic(bool on) = 0;
    virtual bool italic() const = 0;

    // Later output goes on a new sheet; a new page just before the end of the
    // document makes no empty sheet.
    virtual void newPage() = 0;
    // Sends the job; an empty job prints nothing.
    virtual void endDocument() = 0;

    // True for a surface that only shows the pages on screen: its jobs reach
    // no paper, so nobody is told they were sent.
    virtual bool isPreview() const { return false; }
};

} // namespace karvel
