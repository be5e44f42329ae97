#include "panel/FocusFrame.h"

#include <QPainter>
#include <QPen>
#include <QWidget>

namespace FocusFrame {

void Paint(QPainter& painter, const QWidget& widget)
{
    painter.save();
    painter.resetTransform();
    QPen pen(widget.palette().color(QPalette::Highlight), 2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(widget.rect()).adjusted(1, 1, -1, -1));
    painter.restore();
}

} // namespace FocusFrame
