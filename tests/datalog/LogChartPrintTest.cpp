#include "datalog/LogChartPrint.h"
#include "core/PainterPage.h"
#include "datalog/ChartColours.h"
#include "tests/datalog/Logs.h"
#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/RecordingPage.h"

#include <QImage>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// On the default 190 mm page the frame is 30..140 by 40..165 mm.
constexpr double kX0 = 30.0;
constexpr double kX1 = 140.0;
constexpr double kY0 = 40.0;
constexpr double kY1 = 165.0;

class LogChartPrintTest : public testing::Test {
protected:
    LogChartPrintTest()
    {
        m_in.source = LogSource::Live;
        m_in.interval = 3;
        m_in.currFormat = "0.00";
        m_in.address = "05";
        m_in.description = "Bench A";
        m_in.locale = QLocale(QLocale::English, QLocale::UnitedKingdom);
        m_in.ranges = Window(0, 120);
    }

    void print(const LogSamples& log)
    {
        m_in.samples = &log;
        LogChartPrint::PrintLogChart(m_page, m_in, m_clock);
    }

    // Trace lines of one colour: width 8 and inside the frame's height (the
    // legend swatches sit below it).
    std::vector<RecordingPage::Line> traces(QRgb colour) const
    {
        std::vector<RecordingPage::Line> found;
        for (const auto& l : m_page.lines()) {
            if (!l.isRect && l.width == 8 && l.color == QColor(colour) && l.y1 <= kY1 + 1e-9
                && l.y2 <= kY1 + 1e-9)
                found.push_back(l);
        }
        return found;
    }

    LogPrintInputs m_in;
    RecordingPage m_page;
    FakeClock m_clock;
};

// What the header and the time line say for each kind of log, and that every
// text lies on the page.
TEST_F(LogChartPrintTest, HeaderAndTimeLineNameTheLog)
{
    const QString batteries = "a" + QString::fromUtf8("\xF0\x9F\x94\x8B").repeated(50);
    const struct {
        const char* name;
        std::function<void(LogPrintInputs&)> change;
        QStringList shown;
        QStringList notShown;
    } cases[] = {
        { "live, with a location", [](LogPrintInputs& in) { in.location = "Lab 2"; },
            { "Bench A", "Address : 05  (Lab 2)", "Sampling Time: 3S",
                "Now Time: 15/01/2026 10:30:00" },
            {} },
        { "live, no location", [](LogPrintInputs&) {}, { "Address : 05" }, { "Address : 05  ()" } },
        { "stored",
            [](LogPrintInputs& in) {
                in.source = LogSource::Stored;
                in.interval = 10;
                in.storedLogName = "run1";
                in.storedLogDesc = "Soak test";
                in.storedLogDate = QDate(2026, 1, 14);
                in.storedLogTime = QTime(8, 5, 9);
            },
            { "Log Name : run1", "Soak test", "Sampling Time: 10S",
                "Log Time: 14/01/2026 08:05:09            Print Time: 15/01/2026 10:30:00" },
            { "Bench A" } },
        // 64 x 2.8 mm = 179.2 mm: the longest that fits in 180 mm.
        { "over-long description", [](LogPrintInputs& in) { in.description = QString(100, 'x'); },
            { QString(64, 'x') }, {} },
        // Shortening never splits a character outside the basic plane.
        { "surrogate pairs", [&](LogPrintInputs& in) { in.description = batteries; },
            { batteries.left(63) }, {} },
    };
    const LogPrintInputs plain = m_in;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_page = RecordingPage();
        m_in = plain;
        c.change(m_in);
        print(SteadyLog(10.0f, 1.0f));
        for (const QString& text : c.shown)
            EXPECT_NE(nullptr, m_page.find(text)) << text.toStdString();
        for (const QString& text : c.notShown)
            EXPECT_EQ(nullptr, m_page.find(text)) << text.toStdString();
        for (const auto& t : m_page.texts()) {
            if (t.size == 14.0)
                continue; // the description has a limit of its own
            m_page.setFont(t.size, t.bold);
            EXPECT_GE(t.x, 0.0) << t.text.toStdString();
            EXPECT_LE(t.x + m_page.textWidthMm(t.text), 190.0) << t.text.toStdString();
        }
    }
}

TEST_F(LogChartPrintTest, FrameGridAndScaleLabels)
{
    print(SteadyLog(10.0f, 1.0f));
    int frames = 0;
    int gridLines = 0;
    for (const auto& l : m_page.lines()) {
        if (l.isRect) {
            ++frames;
            EXPECT_EQ(QLineF(kX0, kY0, kX1, kY1), QLineF(l.x1, l.y1, l.x2, l.y2));
            EXPECT_EQ(2, l.width);
        } else if (l.width == 1) {
            ++gridLines;
        }
    }
    EXPECT_EQ(1, frames);
    EXPECT_EQ(18, gridLines);

    // The scales in the ranges' and the current's formats; time runs from the
    // newest on the right.
    for (const char* text : { "0.0V", "20.0V", "40.0V", "2.50A", "5.00A", "0.0W", "200.0W", "60S" })
        EXPECT_NE(nullptr, m_page.find(text)) << text;
    ASSERT_NE(nullptr, m_page.find("120S"));
    EXPECT_LT(m_page.find("120S")->x, kX0);
    EXPECT_GT(m_page.find("0S")->x, kX1 - 5.0);
}

// Two minutes at 3 s fill the frame edge to edge (the segment beyond 120 s is
// left out). In a log whose sample i holds i volts, window edges between
// samples cut the crossing segments at the frame (9 s -> 12 s crosses 10 s at
// 3 1/3 V); edges on samples leave the segments beyond out.
TEST_F(LogChartPrintTest, TracesFillTheWindowAndAreCutAtItsEdges)
{
    const struct {
        int start, end;
        bool ramp;
        size_t segments;
        double newestVolts, oldestVolts;
    } cases[] = { { 0, 120, false, 40, 20.0, 20.0 }, { 10, 40, true, 11, 10.0 / 3.0, 40.0 / 3.0 },
        { 9, 39, true, 10, 3.0, 13.0 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        m_page = RecordingPage();
        m_in.ranges.ChartTStart = c.start;
        m_in.ranges.ChartTEnd = c.end;
        LogSamples log = SteadyLog(20.0f, 2.5f);
        for (int i = 0; c.ramp && i < LogSamples::kCount; ++i) {
            log.volts[i] = static_cast<float>(i);
            log.amps[i] = 1.0f;
        }
        print(log);
        const auto volts = traces(ChartColours::kPrintVolt);
        ASSERT_EQ(c.segments, volts.size());
        EXPECT_DOUBLE_EQ(kX1, volts.front().x1);
        EXPECT_NEAR(kY1 - c.newestVolts * 125.0 / 40.0, volts.front().y1, 1e-9);
        EXPECT_DOUBLE_EQ(kX0, volts.back().x2);
        EXPECT_NEAR(kY1 - c.oldestVolts * 125.0 / 40.0, volts.back().y2, 1e-9);
        EXPECT_EQ(c.segments, traces(ChartColours::kPrintCurr).size());
        const auto power = traces(ChartColours::kPrintPower);
        ASSERT_EQ(c.segments, power.size());
        const double newestWatts = c.ramp ? c.newestVolts : 50.0; // of 200 W
        EXPECT_NEAR(kY1 - newestWatts * 125.0 / 200.0, power.front().y1, 1e-9);
    }
}

// Which segments each trace keeps of a steady 20 V, 2.5 A log; the frame, its
// labels and the end of the document come whatever the log.
TEST_F(LogChartPrintTest, SegmentsEachTraceKeeps)
{
    const struct {
        const char* name;
        std::function<void(LogSamples&, LogPrintInputs&)> change;
        size_t volts, amps, watts;
    } cases[] = {
        { "no reading at sample 5",
            [](LogSamples& l, LogPrintInputs&) {
                l.volts[5] = LogSamples::kNoReading;
                l.amps[5] = LogSamples::kNoReading;
            },
            38, 38, 38 },
        { "end mark at sample 10",
            [](LogSamples& l, LogPrintInputs&) { l = SteadyLog(20.0f, 2.5f, 10); }, 9, 9, 9 },
        { "no log chosen", [](LogSamples&, LogPrintInputs& in) { in.source = LogSource::None; }, 0,
            0, 0 },
        { "no samples", [](LogSamples&, LogPrintInputs& in) { in.samples = nullptr; }, 0, 0, 0 },
        { "empty voltage range",
            [](LogSamples&, LogPrintInputs& in) { in.ranges.ChartVMax = in.ranges.ChartVMin; }, 0,
            40, 40 },
        { "empty time window",
            [](LogSamples&, LogPrintInputs& in) { in.ranges.ChartTEnd = in.ranges.ChartTStart; }, 0,
            0, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_page = RecordingPage();
        LogSamples log = SteadyLog(20.0f, 2.5f);
        LogPrintInputs in = m_in;
        in.samples = &log;
        c.change(log, in);
        LogChartPrint::PrintLogChart(m_page, in, m_clock);
        EXPECT_EQ(c.volts, traces(ChartColours::kPrintVolt).size());
        EXPECT_EQ(c.amps, traces(ChartColours::kPrintCurr).size());
        EXPECT_EQ(c.watts, traces(ChartColours::kPrintPower).size());
        EXPECT_NE(nullptr, m_page.find("0S"));
        EXPECT_EQ(1, m_page.documentsEnded());
    }
}

// On paper as on screen: one missing sample of a six-minute window (0.6 mm
// between its neighbours) leaves white paper in the 0.7 mm wide trace.
TEST_F(LogChartPrintTest, ADropoutShowsOnThePrintedPage)
{
    constexpr double kDotsPerMm = 200.0 / 25.4;
    QImage paper(qRound(190 * kDotsPerMm), qRound(200 * kDotsPerMm), QImage::Format_RGB32);
    paper.setDotsPerMeterX(qRound(kDotsPerMm * 1000));
    paper.setDotsPerMeterY(qRound(kDotsPerMm * 1000));
    paper.fill(Qt::white);
    LogSamples log = SteadyLog(21.0f, 1.0f);
    log.volts[5] = LogSamples::kNoReading;
    m_in.interval = 1;
    m_in.ranges.ChartTEnd = 360;
    m_in.samples = &log;
    {
        PainterPage page(paper, QSizeF(190, 200));
        LogChartPrint::PrintLogChart(page, m_in, m_clock);
    }
    const auto ink = [&](int sample) {
        const double x = kX1 - sample * (kX1 - kX0) / 360.0;
        const double y = kY1 - 21.0 * (kY1 - kY0) / 40.0;
        return paper.pixelColor(qRound(x * kDotsPerMm), qRound(y * kDotsPerMm)).name();
    };
    EXPECT_EQ(ink(10), QColor(ChartColours::kPrintVolt).name());
    EXPECT_EQ(ink(5), QColor(Qt::white).name());
}

TEST_F(LogChartPrintTest, ValuesBeyondTheRangeAreCutAtTheFrameAndNeverDrawnOutsideIt)
{
    LogSamples log = SteadyLog(60.0f, 2.5f); // far above the 40 V top
    log.volts[0] = 30.0f;
    log.volts[1] = 50.0f;
    print(log);
    const auto volts = traces(ChartColours::kPrintVolt);
    ASSERT_EQ(1u, volts.size()); // only 30 V -> 50 V reaches into the frame
    EXPECT_DOUBLE_EQ(kY0, volts.front().y2);
    for (const auto& l : m_page.lines()) {
        if (l.width == 8 && l.y1 < 185.0) {
            EXPECT_GE(std::min(l.y1, l.y2), kY0);
            EXPECT_LE(std::max(l.x1, l.x2), kX1);
            EXPECT_GE(std::min(l.x1, l.x2), kX0);
        }
    }
    EXPECT_EQ(40u, traces(ChartColours::kPrintCurr).size());
}

} // namespace
