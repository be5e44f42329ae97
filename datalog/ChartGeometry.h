#pragma once

#include "datalog/ChartRanges.h"
#include "datalog/LogSamples.h"

#include <QLineF>
#include <QRectF>
#include <vector>

// Grid lines of the chart in its user coordinates: x is sample age in seconds
// from ChartTStart (right) to ChartTEnd (left), y runs 0 (bottom) to 10 (top).
struct ChartGrid {
    std::vector<QLineF> lines;
    std::vector<QLineF> middleLines;
};

// Trace segments in the same coordinates, each from the newer sample to the older.
struct ChartTraces {
    std::vector<QLineF> volts;
    std::vector<QLineF> amps;
    std::vector<QLineF> watts;

    bool empty() const { return volts.empty() && amps.empty() && watts.empty(); }
};

namespace ChartGeometry {

// The rectangle of the user coordinates: ChartTStart..ChartTEnd by 0..10.
QRectF UserArea(const ChartRanges& ranges);

// Nine horizontal and nine vertical lines; the fifth of each is a middle line.
ChartGrid GridLines(const ChartRanges& ranges);

// The segments of a log shown with the given sampling interval. The walk ends at
// the end mark; a segment touching a sample without a reading is left out (for
// current and power also one whose current is missing); only segments starting
// within the time window (or one interval before it) are drawn, and nothing at
// all while the Data Log tab is hidden. A trace whose range is empty is skipped.
ChartTraces TraceSegments(
    const LogSamples& log, int interval, const ChartRanges& ranges, bool dataLogTabShowing);

} // namespace ChartGeometry
