#pragma once

class QPainter;
class QWidget;

namespace FocusFrame {

// Draws the frame that shows a painted control has the keyboard focus, inside
// its edges in the palette's highlight colour, whatever the style draws or
// leaves out. Call it last in paintEvent, while widget has the focus.
void Paint(QPainter& painter, const QWidget& widget);

} // namespace FocusFrame
