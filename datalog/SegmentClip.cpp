#include "datalog/SegmentClip.h"

#include <cmath>

namespace SegmentClip {

std::optional<QLineF> ClipToRect(const QLineF& segment, const QRectF& rect)
{
    const double x1 = segment.x1();
    const double y1 = segment.y1();
    const double dx = segment.dx();
    const double dy = segment.dy();
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(dx) || !std::isfinite(dy))
        return std::nullopt;
    const QRectF r = rect.normalized();

    // Liang-Barsky: narrow the parameter range [t0, t1] edge by edge. A moved end
    // is put exactly on the edge it was moved to, free of rounding.
    double t0 = 0.0;
    double t1 = 1.0;
    int edge0 = -1;
    int edge1 = -1;
    const double p[4] = { -dx, dx, -dy, dy };
    const double q[4] = { x1 - r.left(), r.right() - x1, y1 - r.top(), r.bottom() - y1 };
    const double edges[4] = { r.left(), r.right(), r.top(), r.bottom() };
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0)
                return std::nullopt;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0.0) {
            if (t > t1)
                return std::nullopt;
            if (t > t0) {
                t0 = t;
                edge0 = k;
            }
        } else {
            if (t < t0)
                return std::nullopt;
            if (t < t1) {
                t1 = t;
                edge1 = k;
            }
        }
    }
    const auto pointAt = [&](double t, int edge) {
        QPointF point(x1 + t * dx, y1 + t * dy);
        if (edge < 2)
            point.setX(edges[edge]);
        else
            point.setY(edges[edge]);
        return point;
    };
    const QPointF from = edge0 >= 0 ? pointAt(t0, edge0) : segment.p1();
    const QPointF to = edge1 >= 0 ? pointAt(t1, edge1) : segment.p2();
    return QLineF(from, to);
}

} // namespace SegmentClip
