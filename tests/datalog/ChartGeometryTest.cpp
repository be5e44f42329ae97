#include "datalog/ChartGeometry.h"
#include "datalog/SegmentClip.h"
#include "tests/datalog/Logs.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>

namespace {

TEST(ChartGeometryTest, GridHasNineLinesEachWayWithTheMiddleOnesApart)
{
    const ChartGrid grid = ChartGeometry::GridLines(Window(0, 120));
    ASSERT_EQ(16u, grid.lines.size());
    ASSERT_EQ(2u, grid.middleLines.size());
    EXPECT_EQ(QLineF(0, 5, 120, 5), grid.middleLines[0]);
    EXPECT_EQ(QLineF(60, 0, 60, 10), grid.middleLines[1]);
    const ChartGrid later = ChartGeometry::GridLines(Window(600, 630));
    EXPECT_EQ(QLineF(615, 0, 615, 10), later.middleLines[1]);
    EXPECT_EQ(QLineF(603, 0, 603, 10), later.lines[1]);
}

// Segments reach just across both edges of the window: a start between
// samples 3 (9 s) and 4 (12 s) takes the segment 9-12 s that crosses it; a
// start on a sample also takes the segment that ends there; a window beyond
// the log's 1800 segments ends with the log.
TEST(ChartGeometryTest, SegmentsReachJustAcrossBothEdges)
{
    const struct {
        int start, end, interval, firstSample, lastSample;
    } cases[] = { { 0, 120, 3, 0, 40 }, { 10, 40, 3, 3, 13 }, { 9, 39, 3, 2, 13 },
        { 0, 40, 3, 0, 13 }, { 3600, 7200, 60, 59, 120 }, { 0, 108000, 60, 0, 1799 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        const ChartTraces t = ChartGeometry::TraceSegments(
            SteadyLog(10.0f, 1.0f), c.interval, Window(c.start, c.end), true);
        ASSERT_EQ(static_cast<size_t>(c.lastSample - c.firstSample + 1), t.volts.size());
        EXPECT_EQ(t.volts.size(), t.amps.size());
        EXPECT_EQ(t.volts.size(), t.watts.size());
        EXPECT_EQ(c.firstSample * c.interval, t.volts.front().x1());
        EXPECT_EQ(c.lastSample * c.interval, t.volts.back().x1());
        EXPECT_EQ((c.lastSample + 1) * c.interval, t.volts.back().x2());
    }
}

// Which segments each trace keeps: a sample without a reading breaks the
// traces it feeds, the end mark ends the walk, an empty range leaves its trace
// out instead of dividing by zero. A steady 10 V, 1 A log, 1 s apart, 0..10 s.
TEST(ChartGeometryTest, SegmentsEachTraceKeeps)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* name;
        std::function<void(LogSamples&, ChartRanges&)> change;
        bool visible;
        const char* voltStarts;
        size_t amps, watts;
    } cases[] = {
        { "steady", [](LogSamples&, ChartRanges&) {}, true, "0 1 2 3 4 5 6 7 8 9 10", 11, 11 },
        { "no reading at 5: segments 4 and 5 go",
            [](LogSamples& l, ChartRanges&) {
                l.volts[5] = LogSamples::kNoReading;
                l.amps[5] = LogSamples::kNoReading;
            },
            true, "0 1 2 3 6 7 8 9 10", 9, 9 },
        { "a missing current breaks only current and power",
            [](LogSamples& l, ChartRanges&) { l.amps[2] = LogSamples::kNoReading; }, true,
            "0 1 2 3 4 5 6 7 8 9 10", 9, 9 },
        { "values that are no numbers are missing readings",
            [&](LogSamples& l, ChartRanges&) {
                l.volts[1] = nan;
                l.amps[4] = inf;
            },
            true, "2 3 4 5 6 7 8 9 10", 7, 7 },
        { "end mark at 6", [](LogSamples& l, ChartRanges&) { l = SteadyLog(10.0f, 1.0f, 6); }, true,
            "0 1 2 3 4", 5, 5 },
        { "empty log", [](LogSamples& l, ChartRanges&) { l.markEmpty(); }, true, "", 0, 0 },
        { "data log tab hidden", [](LogSamples&, ChartRanges&) {}, false, "", 0, 0 },
        { "empty voltage range, power range backwards",
            [](LogSamples&, ChartRanges& r) {
                r.ChartVMax = r.ChartVMin;
                r.ChartWMax = -5.0f;
            },
            true, "", 11, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LogSamples log = SteadyLog(10.0f, 1.0f);
        ChartRanges r = Window(0, 10);
        c.change(log, r);
        const ChartTraces t = ChartGeometry::TraceSegments(log, 1, r, c.visible);
        QStringList starts;
        for (const QLineF& l : t.volts)
            starts << QString::number(l.x1());
        EXPECT_EQ(c.voltStarts, starts.join(' ').toStdString());
        EXPECT_EQ(c.amps, t.amps.size());
        EXPECT_EQ(c.watts, t.watts.size());
        for (const QLineF& l : t.watts)
            EXPECT_TRUE(std::isfinite(l.y1()) && std::isfinite(l.y2()));
    }
}

TEST(ChartGeometryTest, ValuesMapOntoZeroToTen)
{
    LogSamples log = SteadyLog(0.0f, 0.0f);
    log.volts[0] = 40.0f;
    log.amps[0] = 5.0f;
    log.volts[1] = 10.0f;
    log.amps[1] = 1.0f;
    ChartRanges r = Window(0, 10);
    r.ChartVMin = 10.0f; // 10..40 V
    const ChartTraces t = ChartGeometry::TraceSegments(log, 1, r, true);
    EXPECT_EQ(QLineF(0, 10, 1, 0), t.volts[0]);
    EXPECT_EQ(QLineF(0, 10, 1, 2), t.amps[0]);
    EXPECT_EQ(QLineF(0, 10, 1, 0.5), t.watts[0]); // 200 W and 10 W of 200
}

// Clipping a segment to a rectangle, newer end first: ends outside move onto
// the edge; a segment wholly outside, or not a number, gives nothing.
TEST(ChartGeometryTest, SegmentClipMovesEndsOntoTheEdge)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        QLineF segment;
        std::optional<QLineF> clipped;
    } cases[] = {
        { QLineF(3, 2, 6, 4), QLineF(3, 2, 6, 4) },
        { QLineF(117, 2, 123, 8), QLineF(117, 2, 120, 5) },
        { QLineF(-3, 2, 3, 8), QLineF(0, 5, 3, 8) },
        { QLineF(10, 5, 20, 15), QLineF(10, 5, 15, 10) },
        { QLineF(10, -5, 20, 5), QLineF(15, 0, 20, 5) },
        { QLineF(-10, -10, 130, 20), QLineF(-10 + 140.0 / 3, 0, -10 + 140.0 * 2 / 3, 10) },
        { QLineF(0, 10, 120, 10), QLineF(0, 10, 120, 10) },
        { QLineF(10, 12, 20, 15), std::nullopt },
        { QLineF(-5, 2, -1, 3), std::nullopt },
        { QLineF(130, 2, 110, 20), std::nullopt },
        { QLineF(std::nan(""), 2, 10, 2), std::nullopt },
        { QLineF(5, inf, 10, 2), std::nullopt },
    };
    for (const auto& c : cases) {
        const auto clipped = SegmentClip::ClipToRect(c.segment, QRectF(0, 0, 120, 10));
        ASSERT_EQ(c.clipped.has_value(), clipped.has_value()) << c.segment.x1();
        if (clipped) {
            EXPECT_NEAR(c.clipped->x1(), clipped->x1(), 1e-9);
            EXPECT_NEAR(c.clipped->y1(), clipped->y1(), 1e-9);
            EXPECT_NEAR(c.clipped->x2(), clipped->x2(), 1e-9);
            EXPECT_NEAR(c.clipped->y2(), clipped->y2(), 1e-9);
        }
    }
}

} // namespace
