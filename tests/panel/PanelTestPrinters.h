#pragma once

#include "panel/SegmentStroke.h"

#include <QString>

#include <ostream>

// Readable failure output for the panel's value types.
inline void PrintTo(const SegmentStroke& s, std::ostream* os)
{
    const char* kind = s.kind == SegmentStroke::Kind::Line ? "Line"
        : s.kind == SegmentStroke::Kind::Rectangle         ? "Rect"
                                                           : "Dot";
    *os << kind << "(" << s.from.x() << "," << s.from.y() << ")-(" << s.to.x() << "," << s.to.y()
        << ")";
}

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE
