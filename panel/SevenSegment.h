#pragma once

#include "panel/DisplayGeometry.h"
#include "panel/SegmentStroke.h"

#include <QList>
#include <QStringView>

// Seven-segment digits as strokes: the glyph of one digit, and the walk along a
// prepared row text that places digits and decimal dots in the cells.
namespace SevenSegment {

// The strokes of `digit` ('0'-'9') drawn with its cell origin (top left) at
// `origin`; any other character has no strokes.
QList<SegmentStroke> Glyph(QChar digit, QPointF origin, double segmentLength);

// Appends the strokes of a prepared row text: a blank advances one cell, "." or
// "," puts a dot in the gap before the next cell, a digit is drawn and
// advances, anything else ("-") draws nothing and takes no cell.
void AppendRow(QList<SegmentStroke>& strokes, QStringView text, const DisplayGeometry& geometry,
    double rowTop);

QList<SegmentStroke> Row(QStringView text, const DisplayGeometry& geometry, double rowTop);

} // namespace SevenSegment
