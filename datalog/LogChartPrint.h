#pragma once

#include "core/Clock.h"
#include "core/PrintPage.h"
#include "datalog/LogPrintInputs.h"

#include <QLineF>
#include <QRectF>
#include <optional>

namespace LogChartPrint {

// Frame of the printed chart on a page of the given printable width, in mm.
QRectF ChartFrame(double pageWidthMm);

// Prints the log chart as one page and ends the document. "Now" for the time line
// comes from clock. Printer faults are left to the caller.
void PrintLogChart(PrintPage& page, const LogPrintInputs& inputs, const Clock& clock);

// Cuts a trace segment (newer sample first) at the chart frame. An end outside the
// frame moves to where the segment crosses the frame; a segment with no part inside
// the frame is not drawn at all.
std::optional<QLineF> ClipSegmentToFrame(const QLineF& segment, const QRectF& frame);

} // namespace LogChartPrint
