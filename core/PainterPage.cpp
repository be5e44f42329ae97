#include "core/PainterPage.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <algorithm>

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kLineDotsPerInch = 300.0;

} // namespace

PainterPage::PainterPage(QPagedPaintDevice& device)
    : PainterPage(device, device.pageLayout().paintRect(QPageLayout::Millimeter).size())
{
}

PainterPage::PainterPage(QPaintDevice& device, const QSizeF& printableMm)
    : m_device(device)
{
    m_widthMm = printableMm.width();
    m_heightMm = printableMm.height();
    m_dotsPerMm = device.logicalDpiX() / kMmPerInch;
    m_painter.begin(&device);
    m_font.setPointSizeF(10.0);
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

PainterPage::~PainterPage()
{
    // The page ends with its painter even when nobody ended the document.
    if (m_painter.isActive())
        m_painter.end();
}

void PainterPage::setFont(double pointSize, bool bold)
{
    m_font.setPointSizeF(pointSize);
    m_font.setBold(bold);
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

double PainterPage::textWidthMm(const QString& text) const
{
    return toMm(QFontMetricsF(m_font, &m_device).horizontalAdvance(text));
}

double PainterPage::textHeightMm(const QString&) const
{
    return toMm(QFontMetricsF(m_font, &m_device).height());
}

void PainterPage::text(double x, double y, const QString& text)
{
    if (!m_painter.isActive())
        return;
    const double ascent = QFontMetricsF(m_font, &m_device).ascent();
    // Texts print in the page's foreground colour, whatever colour the last
    // line had.
    m_painter.setPen(QPen(Qt::black));
    m_painter.drawText(QPointF(toDevice(x), toDevice(y) + ascent), text);
}

QPen PainterPage::penFor(int width, const QColor& color) const
{
    QPen pen(color);
    pen.setWidthF(std::max(1, width) * m_device.logicalDpiX() / kLineDotsPerInch);
    // Square caps would reach half the width past each end and close the
    // short gaps that missing log samples leave between trace segments.
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

void PainterPage::line(double x1, double y1, double x2, double y2, int width, const QColor& color)
{
    if (!m_painter.isActive())
        return;
    m_painter.setPen(penFor(width, color));
    m_painter.drawLine(QPointF(toDevice(x1), toDevice(y1)), QPointF(toDevice(x2), toDevice(y2)));
}

void PainterPage::rect(double x1, double y1, double x2, double y2, int width, const QColor& color)
{
    if (!m_painter.isActive())
        return;
    m_painter.setPen(penFor(width, color));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(
        QRectF(QPointF(toDevice(x1), toDevice(y1)), QPointF(toDevice(x2), toDevice(y2))));
}

void PainterPage::endDocument()
{
    if (m_painter.isActive())
        m_painter.end();
}
