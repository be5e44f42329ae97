#pragma once

#include <QColor>
#include <QString>

// One printed page in millimetres, origin at the top left of the printable area.
// Text is placed with its top left corner at (x, y), like a printer's current
// position. Line widths are in printer dots of 1/300 inch (1 = hairline); a
// line's ink stops at its end points, so a gap between two lines prints as
// wide as it is.
class PrintPage {
public:
    virtual ~PrintPage() = default;
    virtual double widthMm() const = 0;
    virtual double heightMm() const = 0;
    virtual void setFont(double pointSize, bool bold) = 0;
    virtual double textWidthMm(const QString& text) const = 0;
    virtual double textHeightMm(const QString& text) const = 0;
    virtual void text(double x, double y, const QString& text) = 0;
    virtual void line(double x1, double y1, double x2, double y2, int width, const QColor& color)
        = 0;
    virtual void rect(double x1, double y1, double x2, double y2, int width, const QColor& color)
        = 0;
    virtual void endDocument() = 0;
};
