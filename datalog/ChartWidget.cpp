#include "datalog/ChartWidget.h"

#include "datalog/ChartColours.h"
#include "datalog/SegmentClip.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QResizeEvent>

namespace {

QPen CosmeticPen(QRgb colour)
{
    QPen pen { QColor(colour) };
    pen.setWidth(1);
    pen.setCosmetic(true);
    return pen;
}

std::vector<QLineF> ClipAll(const std::vector<QLineF>& lines, const QRectF& area)
{
    std::vector<QLineF> kept;
    kept.reserve(lines.size());
    for (const QLineF& line : lines) {
        if (const auto part = SegmentClip::ClipToRect(line, area))
            kept.push_back(*part);
    }
    return kept;
}

void DrawLines(QPainter& painter, const std::vector<QLineF>& lines, QRgb colour)
{
    if (lines.empty())
        return;
    painter.setPen(CosmeticPen(colour));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

} // namespace

ChartWidget::ChartWidget(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartWidget::setChart(
    const ChartGrid& grid, const ChartTraces& traces, const ChartRanges& ranges)
{
    m_grid = grid;
    m_traces = traces;
    m_ranges = ranges;
    clipToWindow();
    m_cacheStale = true;
    update();
}

void ChartWidget::clipToWindow()
{
    const QRectF area = ChartGeometry::UserArea(m_ranges);
    m_clipped.volts = ClipAll(m_traces.volts, area);
    m_clipped.amps = ClipAll(m_traces.amps, area);
    m_clipped.watts = ClipAll(m_traces.watts, area);
}

void ChartWidget::paintChart(QPainter& painter, const QRect& area) const
{
    painter.save();
    painter.setClipRect(area);
    painter.fillRect(area, QColor(ChartColours::kBackground));
    const int start = m_ranges.ChartTStart;
    const int end = m_ranges.ChartTEnd;
    if (end != start && !area.isEmpty()) {
        // Newest samples on the right, values growing upwards.
        painter.setViewport(area);
        painter.setWindow(QRect(end, 10, start - end, -10));
        DrawLines(painter, m_grid.lines, ChartColours::kGrid);
        DrawLines(painter, m_grid.middleLines, ChartColours::kGridMiddle);
        DrawLines(painter, m_clipped.volts, ChartColours::kVoltTrace);
        DrawLines(painter, m_clipped.amps, ChartColours::kCurrTrace);
        DrawLines(painter, m_clipped.watts, ChartColours::kPowerTrace);
    }
    painter.restore();
}

QSize ChartWidget::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return QSize(metrics.averageCharWidth() * 80, metrics.height() * 20);
}

QSize ChartWidget::minimumSizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return QSize(metrics.averageCharWidth() * 20, metrics.height() * 5);
}

void ChartWidget::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    // The picture is drawn again into the same image while the size stays: a
    // new image for every sample would churn half a megabyte a second through
    // the allocator and leave the process's memory fragmented over a long log.
    if (m_cache.size() != pixels) {
        m_cache = QImage(pixels, QImage::Format_RGB32);
        m_cache.setDevicePixelRatio(ratio);
        m_cacheStale = true;
    }
    if (m_cacheStale) {
        QPainter cachePainter(&m_cache);
        paintChart(cachePainter, rect());
        m_cacheStale = false;
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_cache);
}

void ChartWidget::resizeEvent(QResizeEvent* event)
{
    m_cacheStale = true;
    QWidget::resizeEvent(event);
}

void ChartWidget::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT mouseMoved(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}
