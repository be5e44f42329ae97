#pragma once

#include <QPointF>

// One thing to draw on a seven-segment display, in the display's user
// coordinates: a line, an outline rectangle between two corners, or a dot.
struct SegmentStroke {
    enum class Kind { Line, Rectangle, Dot };

    Kind kind = Kind::Line;
    QPointF from;
    QPointF to; // equals `from` for a dot

    friend bool operator==(const SegmentStroke&, const SegmentStroke&) = default;
};
