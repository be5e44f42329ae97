#include "datalog/ChartGeometry.h"

#include <cmath>

namespace ChartGeometry {
namespace {

constexpr int kDivisions = 10;
constexpr double kScaleHeight = 10.0;

bool IsReading(float value)
{
    return std::isfinite(value) && value >= 0.0f;
}

// Maps a value onto 0..10; no mapping when the range is empty or not a number.
class Scale {
public:
    Scale(float min, float max)
        : m_min(min)
        , m_span(static_cast<double>(max) - min)
    {
    }
    bool usable() const { return std::isfinite(m_span) && m_span > 0.0; }
    double y(double value) const { return (value - m_min) * kScaleHeight / m_span; }

private:
    double m_min;
    double m_span;
};

} // namespace

QRectF UserArea(const ChartRanges& ranges)
{
    const double start = ranges.ChartTStart;
    const double end = ranges.ChartTEnd;
    return QRectF(QPointF(start, 0.0), QPointF(end, kScaleHeight)).normalized();
}

ChartGrid GridLines(const ChartRanges& ranges)
{
    ChartGrid grid;
    const double start = ranges.ChartTStart;
    const double end = ranges.ChartTEnd;
    const double sx = (end - start) / kDivisions;
    const double sy = kScaleHeight / kDivisions;
    for (int k = 1; k < kDivisions; ++k) {
        auto& target = k == kDivisions / 2 ? grid.middleLines : grid.lines;
        target.emplace_back(start, k * sy, end, k * sy);
        target.emplace_back(start + k * sx, 0.0, start + k * sx, kScaleHeight);
    }
    return grid;
}

ChartTraces TraceSegments(
    const LogSamples& log, int interval, const ChartRanges& ranges, bool dataLogTabShowing)
{
    ChartTraces traces;
    if (!dataLogTabShowing)
        return traces;
    const Scale volt(ranges.ChartVMin, ranges.ChartVMax);
    const Scale curr(ranges.ChartCMin, ranges.ChartCMax);
    const Scale power(ranges.ChartWMin, ranges.ChartWMax);
    const double dt = interval;
    const double start = ranges.ChartTStart;
    const double end = ranges.ChartTEnd;
    for (int i = 0; i < LogSamples::kCount - 1; ++i) {
        const int j = i + 1;
        const float vi = log.volts[i];
        if (LogSamples::isEndMark(vi))
            break;
        const float vj = log.volts[j];
        const double age = dt * i;
        if (!IsReading(vi) || !IsReading(vj) || age > end || age < start - dt)
            continue;
        const double xi = age;
        const double xj = dt * j;
        if (volt.usable())
            traces.volts.emplace_back(xi, volt.y(vi), xj, volt.y(vj));
        const float ai = log.amps[i];
        const float aj = log.amps[j];
        if (!IsReading(ai) || !IsReading(aj))
            continue;
        if (curr.usable())
            traces.amps.emplace_back(xi, curr.y(ai), xj, curr.y(aj));
        if (power.usable()) {
            const double wi = static_cast<double>(vi * ai);
            const double wj = static_cast<double>(vj * aj);
            traces.watts.emplace_back(xi, power.y(wi), xj, power.y(wj));
        }
    }
    return traces;
}

} // namespace ChartGeometry
