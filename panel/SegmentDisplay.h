#pragma once

#include "panel/SegmentStroke.h"
#include "panel/SpokenRow.h"

#include <QColor>
#include <QList>
#include <QRectF>
#include <QWidget>

class QPainter;

// A light-grey seven-segment display area (`PD`, `LcdPSetVC(i)`). It strokes
// what it is given in its user coordinates, scaled to the widget, and reports
// clicks and hovering; what to draw and what a click means is decided elsewhere.
// Given the keyboard focus (a focus policy with Tab), Up and Down stand for a
// left and a right click, Page Up and Page Down for ten of them. Screen readers
// are told the spoken rows: one row is the display itself, several are its
// children.
class SegmentDisplay : public QWidget {
    Q_OBJECT

public:
    explicit SegmentDisplay(const QRectF& userSpace, QWidget* parent = nullptr);

    void setStrokes(const QList<SegmentStroke>& strokes);
    const QList<SegmentStroke>& strokes() const { return m_strokes; }
    void setForeground(const QColor& colour);
    QColor foreground() const { return m_foreground; }
    QRectF userSpace() const { return m_userSpace; }
    void setSpokenRows(const QList<SpokenRow>& rows);
    const QList<SpokenRow>& spokenRows() const { return m_spoken; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Paints background and strokes into `target`; also used to measure the
    // redraw without a window.
    static void paintStrokes(QPainter& painter, const QRect& target, const QRectF& userSpace,
        const QList<SegmentStroke>& strokes, const QColor& foreground);

Q_SIGNALS:
    // Left or right button released over the display, or a key standing for it.
    void clicked(Qt::MouseButton button);
    // The mouse moved over the display.
    void hovered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRectF m_userSpace;
    QList<SegmentStroke> m_strokes;
    QColor m_foreground = Qt::black;
    QList<SpokenRow> m_spoken;
};
