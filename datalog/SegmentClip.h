#pragma once

#include <QLineF>
#include <QRectF>
#include <optional>

namespace SegmentClip {

// The part of a line segment inside a rectangle (edges included), keeping the
// segment's direction: each end outside is moved along the segment to where it
// crosses an edge. Nothing when no part of it lies inside, or when a coordinate is
// not a finite number.
std::optional<QLineF> ClipToRect(const QLineF& segment, const QRectF& rect);

} // namespace SegmentClip
