#include "panel/SegmentDisplay.h"

#include "panel/FocusFrame.h"
#include "panel/PanelColours.h"
#include "panel/SegmentDisplayAccessible.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The keys that stand for clicks, and how many clicks each is.
struct KeyClicks {
    Qt::Key key;
    Qt::MouseButton button;
    int count;
};
constexpr KeyClicks kKeyClicks[] = {
    { Qt::Key_Up, Qt::LeftButton, 1 },
    { Qt::Key_Down, Qt::RightButton, 1 },
    { Qt::Key_PageUp, Qt::LeftButton, 10 },
    { Qt::Key_PageDown, Qt::RightButton, 10 },
};

} // namespace

SegmentDisplay::SegmentDisplay(const QRectF& userSpace, QWidget* parent)
    : QWidget(parent)
    , m_userSpace(userSpace)
{
    SegmentDisplayAccessible::Install();
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SegmentDisplay::setSpokenRows(const QList<SpokenRow>& rows)
{
    if (rows == m_spoken)
        return;
    const QList<SpokenRow> before = std::exchange(m_spoken, rows);
    if (!QAccessible::isActive())
        return;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (i >= before.size() || rows[i].value != before[i].value)
            SegmentDisplayAccessible::ValueChanged(this, static_cast<int>(i));
    }
}

void SegmentDisplay::setStrokes(const QList<SegmentStroke>& strokes)
{
    m_strokes = strokes;
    update();
}

void SegmentDisplay::setForeground(const QColor& colour)
{
    if (colour == m_foreground)
        return;
    m_foreground = colour;
    update();
}

QSize SegmentDisplay::sizeHint() const
{
    // A set-point digit about two text lines high; the reading display keeps
    // the same scale, so its larger user space gives a larger widget.
    const double unit = fontMetrics().height() / 3.0;
    return QSize(static_cast<int>(std::ceil(m_userSpace.width() * unit)),
        static_cast<int>(std::ceil(m_userSpace.height() * unit)));
}

QSize SegmentDisplay::minimumSizeHint() const
{
    return QSize(static_cast<int>(std::ceil(m_userSpace.width())),
        static_cast<int>(std::ceil(m_userSpace.height())));
}

void SegmentDisplay::paintStrokes(QPainter& painter, const QRect& target, const QRectF& userSpace,
    const QList<SegmentStroke>& strokes, const QColor& foreground)
{
    painter.fillRect(target, QColor(PanelColours::kLcdBackground));
    if (userSpace.isEmpty() || target.isEmpty())
        return;
    painter.save();
    painter.setViewport(target);
    painter.setWindow(userSpace.toAlignedRect());
    painter.setRenderHint(QPainter::Antialiasing, false);

    // Cosmetic pens keep the width in pixels whatever the scale; the width
    // grows with the widget so large digits do not look spidery.
    const double pixelsPerUnit
        = std::min(target.width() / userSpace.width(), target.height() / userSpace.height());
    const double width = std::max(1.0, std::round(pixelsPerUnit * 0.4));
    QPen line(foreground, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    line.setCosmetic(true);
    QPen dot(foreground, std::max(2.0, width * 1.6), Qt::SolidLine, Qt::SquareCap);
    dot.setCosmetic(true);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(line);
    for (const SegmentStroke& s : strokes) {
        switch (s.kind) {
        case SegmentStroke::Kind::Line:
            painter.drawLine(s.from, s.to);
            break;
        case SegmentStroke::Kind::Rectangle:
            painter.drawRect(QRectF(s.from, s.to));
            break;
        case SegmentStroke::Kind::Dot:
            painter.setPen(dot);
            painter.drawPoint(s.from);
            painter.setPen(line);
            break;
        }
    }
    painter.restore();
}

void SegmentDisplay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintStrokes(painter, rect(), m_userSpace, m_strokes, m_foreground);
    if (hasFocus())
        FocusFrame::Paint(painter, *this);
}

void SegmentDisplay::mouseReleaseEvent(QMouseEvent* event)
{
    const Qt::MouseButton button = event->button();
    if (button == Qt::LeftButton || button == Qt::RightButton)
        Q_EMIT clicked(button);
    QWidget::mouseReleaseEvent(event);
}

void SegmentDisplay::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT hovered();
    QWidget::mouseMoveEvent(event);
}

void SegmentDisplay::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    for (const KeyClicks& k : kKeyClicks) {
        if (event->key() == k.key && modifiers == Qt::NoModifier) {
            for (int i = 0; i < k.count; ++i)
                Q_EMIT clicked(k.button);
            return;
        }
    }
    QWidget::keyPressEvent(event);
}
