#pragma once

#include "core/PrintPage.h"

#include <QFont>
#include <QPainter>
#include <QSizeF>

class QPagedPaintDevice;

// A printed page on a QPainter over a printer or PDF writer. Coordinates are
// millimetres from the top left of the printable area; fonts are sized in
// points for the device's resolution. A device that cannot be painted on prints
// nothing, without complaint.
class PainterPage : public PrintPage {
public:
    explicit PainterPage(QPagedPaintDevice& device);
    // A page of the given printable size on any device, an image for instance.
    PainterPage(QPaintDevice& device, const QSizeF& printableMm);
    ~PainterPage() override;
    PainterPage(const PainterPage&) = delete;
    PainterPage& operator=(const PainterPage&) = delete;

    bool isActive() const { return m_painter.isActive(); }

    double widthMm() const override { return m_widthMm; }
    double heightMm() const override { return m_heightMm; }
    void setFont(double pointSize, bool bold) override;
    double textWidthMm(const QString& text) const override;
    double textHeightMm(const QString& text) const override;
    void text(double x, double y, const QString& text) override;
    void line(double x1, double y1, double x2, double y2, int width, const QColor& color) override;
    void rect(double x1, double y1, double x2, double y2, int width, const QColor& color) override;
    void endDocument() override;

private:
    double toDevice(double mm) const { return mm * m_dotsPerMm; }
    double toMm(double dots) const { return dots / m_dotsPerMm; }
    QPen penFor(int width, const QColor& color) const;

    QPaintDevice& m_device;
    QPainter m_painter;
    QFont m_font;
    double m_dotsPerMm = 1.0;
    double m_widthMm = 0.0;
    double m_heightMm = 0.0;
};
