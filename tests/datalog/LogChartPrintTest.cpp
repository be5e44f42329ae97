#include "datalog/LogChartPrint.h"
#include "core/PainterPage.h"
#include "datalog/ChartColours.h"
#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/RecordingPage.h"

#include <QImage>
#include <gtest/gtest.h>

#include <vector>

namespace {

// On the default 190 mm page the frame is 30..140 by 40..165 mm.
constexpr double kX0 = 30.0;
constexpr double kX1 = 140.0;
constexpr double kY0 = 40.0;
constexpr double kY1 = 165.0;

const QColor kBlack { ChartColours::kPrintForeground };

LogSamples SteadyLog(float volts, float amps)
{
    LogSamples log;
    log.volts.fill(volts);
    log.amps.fill(amps);
    return log;
}

// Volts rise by one per sample: sample i holds i volts.
LogSamples RampLog()
{
    LogSamples log;
    for (int i = 0; i < LogSamples::kCount; ++i) {
        log.volts[i] = static_cast<float>(i);
        log.amps[i] = 1.0f;
    }
    return log;
}

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
        m_in.ranges.ChartVMin = 0.0f;
        m_in.ranges.ChartVMax = 40.0f;
        m_in.ranges.ChartCMin = 0.0f;
        m_in.ranges.ChartCMax = 5.0f;
        m_in.ranges.ChartWMin = 0.0f;
        m_in.ranges.ChartWMax = 200.0f;
        m_in.ranges.ChartTStart = 0;
        m_in.ranges.ChartTEnd = 120;
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

    const RecordingPage::Line* lineAt(double y, int width) const
    {
        for (const auto& l : m_page.lines()) {
            if (!l.isRect && l.y1 == y && l.y2 == y && l.width == width)
                return &l;
        }
        return nullptr;
    }

    LogPrintInputs m_in;
    RecordingPage m_page;
    FakeClock m_clock;
};

TEST_F(LogChartPrintTest, LiveHeaderShowsDescriptionAddressAndLocation)
{
    m_in.location = "Lab 2";
    print(SteadyLog(10.0f, 1.0f));

    const auto* caption = m_page.find("Log Description : ");
    ASSERT_NE(nullptr, caption);
    EXPECT_EQ(8.0, caption->x);
    EXPECT_EQ(13.0, caption->y);
    EXPECT_EQ(10.0, caption->size);

    const auto* description = m_page.find("Bench A");
    ASSERT_NE(nullptr, description);
    EXPECT_DOUBLE_EQ(36.0 + 10.0, description->x); // caption is 36 mm wide
    EXPECT_EQ(10.0, description->y);
    EXPECT_EQ(14.0, description->size);
    EXPECT_TRUE(description->bold);

    const auto* underline = lineAt(17.0, 2);
    ASSERT_NE(nullptr, underline);
    EXPECT_DOUBLE_EQ(45.0, underline->x1);
    EXPECT_DOUBLE_EQ(46.0 + 7 * 2.8 + 1.0, underline->x2);

    const auto* address = m_page.find("Address : 05  (Lab 2)");
    ASSERT_NE(nullptr, address);
    EXPECT_EQ(8.0, address->x);
    EXPECT_EQ(24.0, address->y);
    EXPECT_FALSE(address->bold);
    EXPECT_EQ(10.0, address->size);

    const auto* sampling = m_page.find("Sampling Time: 3S");
    ASSERT_NE(nullptr, sampling);
    EXPECT_DOUBLE_EQ(190.0 - 34.0 - 10.0, sampling->x);
    EXPECT_EQ(24.0, sampling->y);
}

TEST_F(LogChartPrintTest, WithoutALocationTheAddressStandsAlone)
{
    print(SteadyLog(10.0f, 1.0f));
    EXPECT_NE(nullptr, m_page.find("Address : 05"));
    EXPECT_EQ(nullptr, m_page.find("Address : 05  ()"));
}

TEST_F(LogChartPrintTest, AnEmptyDescriptionPrintsNeitherTextNorUnderline)
{
    m_in.description.clear();
    print(SteadyLog(10.0f, 1.0f));
    for (const auto& t : m_page.texts())
        EXPECT_NE(14.0, t.size) << t.text.toStdString();
    EXPECT_EQ(nullptr, lineAt(17.0, 2));
}

TEST_F(LogChartPrintTest, AnOverLongDescriptionIsShortenedToOneHundredEightyMillimetres)
{
    m_in.description = QString(100, u'x');
    print(SteadyLog(10.0f, 1.0f));
    const auto* description = m_page.find(QString(64, u'x')); // 64 x 2.8 = 179.2 mm
    ASSERT_NE(nullptr, description);
    EXPECT_DOUBLE_EQ(46.0 + 179.2 + 1.0, lineAt(17.0, 2)->x2);
}

TEST_F(LogChartPrintTest, ShorteningNeverSplitsACharacter)
{
    QString text = "a";
    for (int i = 0; i < 50; ++i)
        text += QString::fromUtf8("\xF0\x9F\x94\x8B"); // outside the basic plane
    m_in.description = text;
    print(SteadyLog(10.0f, 1.0f));
    const RecordingPage::Text* description = nullptr;
    for (const auto& t : m_page.texts()) {
        if (t.size == 14.0)
            description = &t;
    }
    ASSERT_NE(nullptr, description);
    EXPECT_EQ(63, description->text.size());
    EXPECT_TRUE(description->text.back().isLowSurrogate());
    EXPECT_TRUE(description->text.startsWith(text.left(63)));
}

TEST_F(LogChartPrintTest, DoubleRulesFramePageTop)
{
    print(SteadyLog(10.0f, 1.0f));
    for (const double y : { 30.0, 31.0, 180.0, 181.0 }) {
        const auto* rule = lineAt(y, 2);
        ASSERT_NE(nullptr, rule) << y;
        EXPECT_EQ(8.0, rule->x1);
        EXPECT_EQ(182.0, rule->x2);
        EXPECT_EQ(kBlack, rule->color);
    }
}

TEST_F(LogChartPrintTest, LegendHasThreeSwatchesWithCaptions)
{
    print(SteadyLog(10.0f, 1.0f));
    struct Swatch {
        double x;
        QRgb colour;
        const char* caption;
    };
    for (const Swatch& s : { Swatch { 8, ChartColours::kPrintVolt, "Voltage" },
             Swatch { 48, ChartColours::kPrintCurr, "Current" },
             Swatch { 88, ChartColours::kPrintPower, "Watt" } }) {
        const RecordingPage::Line* swatch = nullptr;
        for (const auto& l : m_page.lines()) {
            if (l.y1 == 189.0 && l.x1 == s.x)
                swatch = &l;
        }
        ASSERT_NE(nullptr, swatch) << s.caption;
        EXPECT_EQ(s.x + 15.0, swatch->x2);
        EXPECT_EQ(8, swatch->width);
        EXPECT_EQ(QColor(s.colour), swatch->color);
        const auto* caption = m_page.find(s.caption);
        ASSERT_NE(nullptr, caption);
        EXPECT_EQ(s.x + 17.0, caption->x);
        EXPECT_EQ(187.0, caption->y);
    }
    EXPECT_EQ(QColor(192, 192, 0), QColor(ChartColours::kPrintVolt));
    EXPECT_EQ(QColor(0, 192, 0), QColor(ChartColours::kPrintPower));
}

TEST_F(LogChartPrintTest, LiveLogPrintsTheTimeOfPrinting)
{
    print(SteadyLog(10.0f, 1.0f));
    const QString expected = "Now Time: 15/01/2026 10:30:00";
    const auto* line = m_page.find(expected);
    ASSERT_NE(nullptr, line);
    EXPECT_DOUBLE_EQ(190.0 - 2.0 * expected.size() - 10.0, line->x);
    EXPECT_EQ(187.0, line->y);
}

TEST_F(LogChartPrintTest, StoredLogPrintsItsNameAndBothTimes)
{
    m_in.source = LogSource::Stored;
    m_in.interval = 10;
    m_in.storedLogName = "run1";
    m_in.storedLogDesc = "Soak test";
    m_in.storedLogDate = QDate(2026, 1, 14);
    m_in.storedLogTime = QTime(8, 5, 9);
    print(SteadyLog(10.0f, 1.0f));

    EXPECT_NE(nullptr, m_page.find("Log Name : run1"));
    EXPECT_NE(nullptr, m_page.find("Soak test"));
    EXPECT_EQ(nullptr, m_page.find("Bench A"));
    EXPECT_NE(nullptr, m_page.find("Sampling Time: 10S"));
    EXPECT_NE(nullptr,
        m_page.find("Log Time: 14/01/2026 08:05:09            Print Time: 15/01/2026 "
                    "10:30:00"));
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

    struct Label {
        const char* text;
        double x;
        double y;
    };
    // Value labels are centred on their grid line (text height 4 mm).
    for (const Label& l :
        { Label { "0.0V", 28.0 - 8.0, 163.0 }, Label { "40.0V", 28.0 - 10.0, 38.0 },
            Label { "20.0V", 28.0 - 10.0, 100.5 }, Label { "5.00A", 155.0 - 10.0, 38.0 },
            Label { "2.50A", 155.0 - 10.0, 100.5 }, Label { "0.0W", 173.0 - 8.0, 163.0 },
            Label { "200.0W", 173.0 - 12.0, 38.0 }, Label { "0S", 140.0 - 2.0, 170.0 },
            Label { "60S", 85.0 - 3.0, 170.0 }, Label { "120S", 30.0 - 4.0, 170.0 } }) {
        const auto* t = m_page.find(l.text);
        ASSERT_NE(nullptr, t) << l.text;
        EXPECT_DOUBLE_EQ(l.x, t->x) << l.text;
        EXPECT_DOUBLE_EQ(l.y, t->y) << l.text;
    }
}

TEST_F(LogChartPrintTest, TwoMinutesAtThreeSecondsFillTheFrameEdgeToEdge)
{
    print(SteadyLog(20.0f, 2.5f));
    const auto volts = traces(ChartColours::kPrintVolt);
    ASSERT_EQ(40u, volts.size()); // the segment beyond 120 s is left out
    EXPECT_DOUBLE_EQ(kX1, volts.front().x1);
    EXPECT_DOUBLE_EQ(kX1 - 3.0 * 110.0 / 120.0, volts.front().x2);
    EXPECT_DOUBLE_EQ(kX0, volts.back().x2);
    EXPECT_DOUBLE_EQ((kY0 + kY1) / 2.0, volts.front().y1);
    EXPECT_EQ(40u, traces(ChartColours::kPrintCurr).size());
    const auto power = traces(ChartColours::kPrintPower);
    ASSERT_EQ(40u, power.size());
    EXPECT_DOUBLE_EQ(kY1 - 125.0 / 4.0, power.front().y1); // 50 of 200 W
}

TEST_F(LogChartPrintTest, WindowEdgesBetweenSamplesCutTheCrossingSegmentsAtTheFrame)
{
    m_in.ranges.ChartTStart = 10;
    m_in.ranges.ChartTEnd = 40;
    print(RampLog());
    const auto volts = traces(ChartColours::kPrintVolt);
    ASSERT_EQ(11u, volts.size()); // samples 3 (9 s) to 13 (39 s)
    // 9 s -> 12 s crosses the right edge a third of the way along: 3 1/3 V.
    EXPECT_DOUBLE_EQ(kX1, volts.front().x1);
    EXPECT_NEAR(kY1 - (10.0 / 3.0) * 125.0 / 40.0, volts.front().y1, 1e-9);
    EXPECT_NEAR(kX1 - 2.0 * 110.0 / 30.0, volts.front().x2, 1e-9);
    EXPECT_NEAR(kY1 - 4.0 * 125.0 / 40.0, volts.front().y2, 1e-9);
    // 39 s -> 42 s crosses the left edge at 40 s: 13 1/3 V.
    EXPECT_DOUBLE_EQ(kX0, volts.back().x2);
    EXPECT_NEAR(kY1 - (40.0 / 3.0) * 125.0 / 40.0, volts.back().y2, 1e-9);
}

TEST_F(LogChartPrintTest, WindowEdgesOnSampleTimesLeaveTheSegmentsBeyondOut)
{
    m_in.ranges.ChartTStart = 9;
    m_in.ranges.ChartTEnd = 39;
    print(RampLog());
    const auto volts = traces(ChartColours::kPrintVolt);
    ASSERT_EQ(10u, volts.size()); // samples 3 to 12
    EXPECT_DOUBLE_EQ(kX1, volts.front().x1);
    EXPECT_DOUBLE_EQ(kY1 - 3.0 * 125.0 / 40.0, volts.front().y1);
    EXPECT_DOUBLE_EQ(kX0, volts.back().x2);
    EXPECT_DOUBLE_EQ(kY1 - 13.0 * 125.0 / 40.0, volts.back().y2);
}

TEST_F(LogChartPrintTest, SamplesWithoutAReadingLeaveGapsInAllThreeTraces)
{
    LogSamples log = SteadyLog(20.0f, 2.5f);
    log.volts[5] = LogSamples::kNoReading;
    log.amps[5] = LogSamples::kNoReading;
    print(log);
    EXPECT_EQ(38u, traces(ChartColours::kPrintVolt).size());
    EXPECT_EQ(38u, traces(ChartColours::kPrintCurr).size());
    EXPECT_EQ(38u, traces(ChartColours::kPrintPower).size());
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

TEST_F(LogChartPrintTest, TheWalkStopsAtTheEndMark)
{
    LogSamples log = SteadyLog(20.0f, 2.5f);
    log.volts[10] = LogSamples::kEndMark;
    log.amps[10] = LogSamples::kEndMark;
    print(log);
    const auto volts = traces(ChartColours::kPrintVolt);
    ASSERT_EQ(9u, volts.size());
    EXPECT_DOUBLE_EQ(kX1 - 27.0 * 110.0 / 120.0, volts.back().x2);
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

TEST_F(LogChartPrintTest, NoChosenLogPrintsTheFrameWithoutTraces)
{
    m_in.source = LogSource::None;
    print(SteadyLog(20.0f, 2.5f));
    EXPECT_TRUE(traces(ChartColours::kPrintVolt).empty());
    EXPECT_EQ(1, m_page.documentsEnded());

    RecordingPage page;
    m_in.source = LogSource::Live;
    m_in.samples = nullptr;
    LogChartPrint::PrintLogChart(page, m_in, m_clock);
    EXPECT_EQ(1, page.documentsEnded());
}

TEST_F(LogChartPrintTest, EmptyRangesPrintLabelsButNoTraceAndNoCrash)
{
    m_in.ranges.ChartTEnd = m_in.ranges.ChartTStart;
    m_in.ranges.ChartVMax = m_in.ranges.ChartVMin;
    print(SteadyLog(20.0f, 2.5f));
    EXPECT_TRUE(traces(ChartColours::kPrintVolt).empty());
    EXPECT_NE(nullptr, m_page.find("0S"));
    EXPECT_EQ(1, m_page.documentsEnded());

    RecordingPage page;
    m_in.ranges.ChartTEnd = 120;
    const LogSamples log = SteadyLog(20.0f, 2.5f);
    m_in.samples = &log;
    LogChartPrint::PrintLogChart(page, m_in, m_clock);
    for (const auto& l : page.lines()) {
        if (l.width == 8 && l.y1 < 185.0) {
            EXPECT_NE(QColor(ChartColours::kPrintVolt), l.color);
        }
    }
}

TEST_F(LogChartPrintTest, TheDocumentIsEndedExactlyOnce)
{
    print(SteadyLog(20.0f, 2.5f));
    EXPECT_EQ(1, m_page.documentsEnded());
}

TEST(ClipSegmentToFrameTest, EndsAreReplacedOnlyWhereTheCrossingLiesOnTheFrame)
{
    const QRectF frame = LogChartPrint::ChartFrame(190.0);
    EXPECT_EQ(QRectF(30, 40, 110, 125), frame);
    // Right end beyond X1, left end inside.
    const auto cut = LogChartPrint::ClipSegmentToFrame(QLineF(150, 100, 130, 100), frame);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(QLineF(140, 100, 130, 100), *cut);
    // Crossing the bottom between two points inside in x.
    const auto low = LogChartPrint::ClipSegmentToFrame(QLineF(100, 160, 90, 170), frame);
    ASSERT_TRUE(low.has_value());
    EXPECT_EQ(QLineF(100, 160, 95, 165), *low);
    // Beyond the right edge and above the top at once: no crossing on the frame.
    EXPECT_FALSE(LogChartPrint::ClipSegmentToFrame(QLineF(150, 30, 145, 35), frame).has_value());
}

} // namespace
