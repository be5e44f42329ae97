#pragma once

#include "panel/SegmentStroke.h"
#include "tests/support/QtPrinting.h"

#include <ostream>

// Readable failure output for the panel's strokes.
inline void PrintTo(const SegmentStroke& s, std::ostream* os)
{
    const char* kind = s.kind == SegmentStroke::Kind::Line ? "Line"
        : s.kind == SegmentStroke::Kind::Rectangle         ? "Rect"
                                                           : "Dot";
    *os << kind << "(" << s.from.x() << "," << s.from.y() << ")-(" << s.to.x() << "," << s.to.y()
        << ")";
}
