#pragma once

#include "datalog/ChartGeometry.h"
#include "datalog/ChartRanges.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

class QPainter;

// The chart picture of the Data Log tab. It paints the grid and the trace segments
// it is given on a dark grey ground, mapping the chart's user coordinates
// (ChartTEnd, 10) top left to (ChartTStart, 0) bottom right onto the widget.
// The rendered picture is kept until new data arrives or the widget is resized.
class ChartWidget : public QWidget {
    Q_OBJECT
public:
    explicit ChartWidget(QWidget* parent = nullptr);

    // New grid, traces and time window; the traces may be empty (grid only).
    void setChart(const ChartGrid& grid, const ChartTraces& traces, const ChartRanges& ranges);

    const ChartTraces& traces() const { return m_traces; }
    const ChartRanges& ranges() const { return m_ranges; }

    // Paints the whole chart into area; used by paintEvent and for rendering
    // into images.
    void paintChart(QPainter& painter, const QRect& area) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The mouse moved over the chart (the window clears hover highlights).
    void mouseMoved(const QPoint& position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void clipToWindow();

    ChartGrid m_grid;
    ChartTraces m_traces;
    ChartRanges m_ranges;
    // Traces cut at the time window, so that far-off points never reach the painter.
    ChartTraces m_clipped;
    QImage m_cache;
    bool m_cacheStale = true;
};
