#include "core/PainterPage.h"
#include "datalog/ChartColours.h"
#include "datalog/ChartGeometry.h"
#include "datalog/ChartRangeRules.h"
#include "datalog/ChartWidget.h"
#include "datalog/LogChartPrint.h"
#include "datalog/LogPacing.h"
#include "datalog/SegmentClip.h"
#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/RecordingPage.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <map>

namespace {

const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// A log of one steady reading; with endAt, ended by the end mark at that sample.
LogSamples SteadyLog(float volts, float amps, int endAt = -1)
{
    LogSamples log;
    log.volts.fill(volts), log.amps.fill(amps);
    if (endAt >= 0)
        log.volts[endAt] = log.amps[endAt] = LogSamples::kEndMark;
    return log;
}

ChartRanges Window(int start, int end) // as delivered (0..40 V, 0..5 A, 0..200 W)
{
    ChartRanges r;
    r.ChartTStart = start, r.ChartTEnd = end;
    return r;
}

using R = ChartRangeRules;

QString Joined(const ChartLabels& l) // bottom to top: volts, amps, watts, seconds
{
    QStringList all;
    for (const auto& axis : { l.PLabV, l.PLabC, l.PLabW, l.PLabT })
        all << axis[0] << axis[1] << axis[2];
    return all.join(' ');
}

// Newest first; bad readings are "no reading" (-1), never the end mark or 0.
TEST(LogSamplesTest, RecordShiftReadingsAndPacing)
{
    LogSamples log;
    log.markEmpty();
    log.record("12.5", "1.25");
    log.record("13", "2");
    EXPECT_EQ((std::array { 13.0f, 2.0f, 12.5f, 1.25f }),
        (std::array { log.volts[0], log.amps[0], log.volts[1], log.amps[1] }));
    EXPECT_TRUE(LogSamples::isEndMark(log.volts[2]) && LogSamples::isEndMark(log.amps[2]));
    EXPECT_FALSE(LogSamples::isEndMark(LogSamples::kNoReading));
    for (int i = 0; i < LogSamples::kCount; ++i)
        log.shiftIn(static_cast<float>(i), static_cast<float>(i) / 10.0f);
    log.shiftIn(5000.0f, 1.0f);
    EXPECT_EQ((std::array { 5000.0f, 1800.0f, 1.0f, 0.1f }),
        (std::array { log.volts[0], log.volts[1], log.volts[LogSamples::kCount - 1],
            log.amps[LogSamples::kCount - 1] }));
    const std::pair<const char*, float> readings[]
        = { { "0", 0.0f }, { " 5.10 ", 5.1f }, { ".5", 0.5f }, { "36.0V", 36.0f }, { "", -1.0f },
              { "-2", -1.0f }, { "abc", -1.0f }, { ".", -1.0f }, { "é12", -1.0f } };
    for (const auto& [text, value] : readings)
        EXPECT_EQ(value, LogSamples::ReadingValue(QString::fromUtf8(text))) << text;

    // Pacing: full intervals on time, 300 ms less when late, 1 s at least; no drift over midnight.
    // {after ms (-1: at once, a new recording), sample time, interval}
    using Tick = std::tuple<qint64, int, int>;
    constexpr int kMax = std::numeric_limits<int>::max();
    const std::vector<Tick> cases[]
        = { { { 0, 3, 3000 }, { 2999, 3, 3000 }, { 3001, 3, 3000 }, { 3001, 3, 2700 } },
              { { 10001, 10, 9700 } }, { { 0, 0, 1000 }, { 0, -5, 1000 }, { 60000, 0, 700 } },
              { { 0, kMax, kMax } }, { { 50000, 3, 2700 }, { -1, 3, 3000 }, { 3000, 3, 3000 } } };
    for (const auto& ticks : cases) {
        FakeClock clock;
        LogPacing pacing(clock);
        pacing.restart();
        for (const auto& [afterMs, sampleTime, intervalMs] : ticks) {
            if (afterMs < 0)
                pacing.restart();
            clock.advance(std::max<qint64>(afterMs, 0));
            EXPECT_EQ(intervalMs, pacing.nextIntervalMs(sampleTime)) << clock.monotonicMs();
        }
    }
    FakeClock clock;
    clock.setStart(QDateTime(QDate(2026, 3, 1), QTime(23, 50, 0)));
    LogPacing pacing(clock);
    pacing.restart();
    int interval = 3000, shortest = interval;
    for (int k = 0; k < 1200; ++k) {
        clock.advance(interval + 25);
        interval = pacing.nextIntervalMs(3);
        shortest = std::min(shortest, interval);
    }
    ASSERT_EQ(QDate(2026, 3, 2), clock.now().date());
    EXPECT_EQ(2700, shortest);
    EXPECT_LT(std::abs(clock.monotonicMs() - 1199 * 3000), 3000) << clock.monotonicMs();
}

// Segments reach just across the window's edges; a missing reading breaks its traces.
TEST(ChartTest, SegmentsClippingAndTheShownChart)
{
    const struct {
        int start, end, interval;
        std::function<void(LogSamples&, ChartRanges&)> change;
        const char* voltStarts; // all, or "first .. last (count)"
        size_t amps, watts;
        bool visible = true;
    } cases[] = { { 0, 120, 3, nullptr, "0 .. 120 (41)", 41, 41 },
        { 10, 40, 3, nullptr, "9 .. 39 (11)", 11, 11 },
        { 9, 39, 3, nullptr, "6 .. 39 (12)", 12, 12 },
        { 0, 108000, 60, nullptr, "0 .. 107940 (1800)", 1800, 1800 },
        { 0, 10, 1,
            [](auto& l, auto&) { l.volts[5] = l.amps[5] = l.amps[2] = LogSamples::kNoReading; },
            "0 1 2 3 6 7 8 9 10", 7, 7 },
        { 0, 10, 1, [](auto& l, auto&) { l.volts[1] = kNan, l.amps[4] = kInf; },
            "2 3 4 5 6 7 8 9 10", 7, 7 },
        { 0, 10, 1, [](auto& l, auto&) { l = SteadyLog(10.0f, 1.0f, 6); }, "0 1 2 3 4", 5, 5 },
        { 0, 10, 1, [](auto& l, auto&) { l.markEmpty(); }, "", 0, 0 },
        { 0, 10, 1, nullptr, "", 0, 0, false }, // the Data Log tab hidden
        { 0, 10, 1, [](auto&, auto& r) { r.ChartVMax = r.ChartVMin, r.ChartWMax = -5.0f; }, "", 11,
            0 } };
    for (const auto& c : cases) {
        LogSamples log = SteadyLog(10.0f, 1.0f);
        ChartRanges r = Window(c.start, c.end);
        if (c.change)
            c.change(log, r);
        const ChartTraces t = ChartGeometry::TraceSegments(log, c.interval, r, c.visible);
        QStringList starts;
        for (const QLineF& l : t.volts)
            starts << QString::number(l.x1());
        if (QString(c.voltStarts).contains("..")) {
            starts = QStringList { starts.value(0), "..", starts.value(starts.size() - 1),
                QString("(%1)").arg(starts.size()) };
        }
        EXPECT_EQ(c.voltStarts, starts.join(' ').toStdString());
        EXPECT_EQ(std::pair(c.amps, c.watts), std::pair(t.amps.size(), t.watts.size()));
    }
    // Values map onto 0..10 of their ranges.
    LogSamples mapped = SteadyLog(0.0f, 0.0f);
    mapped.volts = { 40.0f, 10.0f };
    mapped.amps = { 5.0f, 1.0f };
    ChartRanges window = Window(0, 10);
    window.ChartVMin = 10.0f; // 10..40 V
    const ChartTraces v = ChartGeometry::TraceSegments(mapped, 1, window, true);
    EXPECT_EQ(std::tuple(v.volts[0], v.amps[0], v.watts[0]), // 200 W and 10 W of 200
        std::tuple(QLineF(0, 10, 1, 0), QLineF(0, 10, 1, 2), QLineF(0, 10, 1, 0.5)));

    // Ends outside the 120 x 10 window move onto its edge; wholly outside or NaN: none.
    const std::pair<QLineF, const char*> clips[] = { { QLineF(3, 2, 6, 4), "3 2 6 4" },
        { QLineF(117, 2, 123, 8), "117 2 120 5" }, { QLineF(-3, 2, 3, 8), "0 5 3 8" },
        { QLineF(10, 5, 20, 15), "10 5 15 10" }, { QLineF(10, -5, 20, 5), "15 0 20 5" },
        { QLineF(-10, -10, 130, 20), "36.6667 0 83.3333 10" },
        { QLineF(0, 10, 120, 10), "0 10 120 10" }, { QLineF(10, 12, 20, 15), "" },
        { QLineF(-5, 2, -1, 3), "" }, { QLineF(130, 2, 110, 20), "" },
        { QLineF(kNan, 2, 10, 2), "" }, { QLineF(5, kInf, 10, 2), "" } };
    for (const auto& [segment, clipped] : clips) {
        QStringList ends;
        if (const auto l = SegmentClip::ClipToRect(segment, QRectF(0, 0, 120, 10))) {
            for (const double v : { l->x1(), l->y1(), l->x2(), l->y2() })
                ends << QString::number(v + 0.0, 'g', 6);
        }
        EXPECT_EQ(ends.join(' ').toStdString(), clipped) << segment.x1();
    }

    // Shown: newest right, higher up; new data and a new size are drawn at once, not cached.
    ChartWidget chart;
    chart.resize(300, 150);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    QSignalSpy moved(&chart, &ChartWidget::mouseMoved);
    QTest::mouseMove(&chart, QPoint(40, 30));
    QTest::mouseMove(&chart, QPoint(120, 60));
    EXPECT_EQ(QPoint(120, 60), moved.value(moved.size() - 1).value(0).toPoint());

    QImage image;
    const auto show = [&](const LogSamples& log, int interval, const ChartRanges& ranges) {
        chart.setChart(ChartGeometry::GridLines(ranges),
            ChartGeometry::TraceSegments(log, interval, ranges, true), ranges);
        image = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const auto rowOf = [&](int x, QRgb colour) { // the topmost, or -1
        int y = 0;
        while (y < image.height() && image.pixel(x, y) != colour)
            ++y;
        return y < image.height() ? y : -1;
    };
    // 30 s of 30 V in a 120 s window: the right quarter, a quarter from the top.
    show(SteadyLog(30.0f, 1.0f, 11), 3, Window(0, 120));
    EXPECT_NEAR(image.height() / 4, rowOf(image.width() - 5, ChartColours::kVoltTrace), 1);
    EXPECT_EQ(-1, rowOf(image.width() / 2, ChartColours::kVoltTrace));
    chart.resize(400, 200);
    image = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_NEAR(image.height() / 4, rowOf(image.width() - 5, ChartColours::kVoltTrace), 1);
    show(SteadyLog(10.0f, 1.0f, 0), 3, Window(0, 120));
    EXPECT_EQ(-1, rowOf(image.width() - 5, ChartColours::kVoltTrace));
}

constexpr double kX0 = 30.0, kX1 = 140.0, kY0 = 40.0, kY1 = 165.0; // frame, 190 mm page

LogPrintInputs Inputs()
{
    LogPrintInputs in;
    in.interval = 3, in.currFormat = "0.00", in.address = "05", in.description = "Bench A";
    in.locale = QLocale(QLocale::English, QLocale::UnitedKingdom), in.ranges = Window(0, 120);
    return in;
}

// Headings, segments per trace, volts at the frame's edges (ramp: 10 s lies at 3 1/3 V).
TEST(LogChartPrintTest, PrintsTheLogOnOnePage)
{
    LogSamples ramp = SteadyLog(0.0f, 2.5f);
    for (int i = 0; i < LogSamples::kCount; ++i)
        ramp.volts[i] = static_cast<float>(i);
    const auto stored = [](auto&, LogPrintInputs& in) {
        in.source = LogSource::Stored, in.interval = 10, in.storedLogName = "run1";
        in.storedLogDesc = "Soak test", in.storedLogDate = QDate(2026, 1, 14);
        in.storedLogTime = QTime(8, 5, 9);
    };
    const QString batteries = "a" + QString::fromUtf8("\xF0\x9F\x94\x8B").repeated(50);
    const struct {
        std::function<void(LogSamples&, LogPrintInputs&)> change;
        QStringList shown; // "!": not on the page
        const char* segments; // volts, amps, watts
        double newestVolts = 20.0, oldestVolts = 20.0;
    } cases[] = { { [](auto&, auto& in) { in.location = "Lab 2"; },
                      { "Bench A", "Address : 05  (Lab 2)", "Sampling Time: 3S",
                          "Now Time: 15/01/2026 10:30:00", "0.0V", "20.0V", "40.0V", "2.50A",
                          "5.00A", "0.0W", "200.0W", "60S", "120S" },
                      "40 40 40" },
        { [](auto&, auto&) {}, { "Address : 05", "!Address : 05  ()" }, "40 40 40" },
        { stored,
            { "Log Name : run1", "Soak test", "Sampling Time: 10S", "!Bench A",
                "Log Time: 14/01/2026 08:05:09            Print Time: 15/01/2026 10:30:00" },
            "12 12 12" },
        // 64 x 2.8 mm fit in 180 mm; shortening never splits a surrogate pair.
        { [](auto&, auto& in) { in.description = QString(100, 'x'); }, { QString(64, 'x') },
            "40 40 40" },
        { [&](auto&, auto& in) { in.description = batteries; }, { batteries.left(63) },
            "40 40 40" },
        { [&](auto& l, auto& in) { l = ramp, in.ranges = Window(10, 40); }, {}, "11 11 11",
            10.0 / 3.0, 40.0 / 3.0 },
        { [&](auto& l, auto& in) { l = ramp, in.ranges = Window(9, 39); }, {}, "10 10 10", 3.0,
            13.0 },
        { [](auto& l, auto&) { l.volts[5] = l.amps[5] = l.amps[20] = LogSamples::kNoReading; }, {},
            "38 36 36" },
        { [](auto& l, auto&) { l = SteadyLog(20.0f, 2.5f, 10); }, {}, "9 9 9" },
        { [](auto&, auto& in) { in.source = LogSource::None; }, { "0S" }, "0 0 0" },
        { [](auto&, auto& in) { in.samples = nullptr; }, { "0S" }, "0 0 0" },
        { [](auto&, auto& in) { in.ranges.ChartVMax = in.ranges.ChartVMin; }, {}, "0 40 40" },
        { [](auto&, auto& in) { in.ranges.ChartTEnd = in.ranges.ChartTStart; }, {}, "0 0 0" },
        // Far above the 40 V top: only 30 V -> 50 V reaches into the frame.
        { [](auto& l, auto&) { l.volts.fill(60.0f), l.volts[0] = 30.0f, l.volts[1] = 50.0f; }, {},
            "1 40 40", 30.0, 40.0 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.segments);
        RecordingPage page;
        LogSamples log = SteadyLog(20.0f, 2.5f);
        LogPrintInputs in = Inputs();
        in.samples = &log;
        c.change(log, in);
        LogChartPrint::PrintLogChart(page, in, FakeClock());
        for (const QString& text : c.shown)
            EXPECT_EQ(text.startsWith('!'), page.find(text.mid(text.startsWith('!'))) == nullptr)
                << text.toStdString();
        for (const auto& t : page.texts()) { // the description has a limit of its own
            page.setFont(t.size, t.bold);
            const double right = t.x + page.textWidthMm(t.text);
            EXPECT_TRUE(t.size == 14.0 || (t.x >= 0.0 && right <= 190.0)) << t.text.toStdString();
            EXPECT_TRUE(right <= kX0 || t.x >= kX1 || t.y <= kY0 || t.y >= kY1) // scales
                << t.text.toStdString();
        }
        // Traces: width 8 above the frame's bottom (legend swatches sit below).
        std::map<QRgb, std::vector<RecordingPage::Line>> traces;
        int frames = 0, grid = 0;
        for (const auto& l : page.lines()) {
            frames += l.isRect && QLineF(l.x1, l.y1, l.x2, l.y2) == QLineF(kX0, kY0, kX1, kY1);
            grid += !l.isRect && l.width == 1;
            if (l.width == 8 && std::max(l.y1, l.y2) <= kY1 + 1e-9) {
                traces[l.color.rgb()].push_back(l);
                EXPECT_TRUE(std::min(l.y1, l.y2) >= kY0 && std::min(l.x1, l.x2) >= kX0
                    && std::max(l.x1, l.x2) <= kX1);
            }
        }
        EXPECT_EQ(std::tuple(frames, grid, page.documentsEnded()), std::tuple(1, 18, 1));
        const auto count = [&](QRgb c) { return QString::number(traces[QColor(c).rgb()].size()); };
        EXPECT_EQ(count(ChartColours::kPrintVolt) + ' ' + count(ChartColours::kPrintCurr) + ' '
                + count(ChartColours::kPrintPower),
            c.segments);
        const auto& volts = traces[QColor(ChartColours::kPrintVolt).rgb()];
        if (!volts.empty()) {
            EXPECT_DOUBLE_EQ(kX1, volts.front().x1);
            EXPECT_NEAR(kY1 - c.newestVolts * 125.0 / 40.0, volts.front().y1, 1e-9);
            EXPECT_NEAR(kY1 - c.oldestVolts * 125.0 / 40.0, volts.back().y2, 1e-9);
        }
    }

    // One missing sample of six minutes (0.6 mm) leaves a gap in the 0.7 mm trace.
    constexpr double kDotsPerMm = 200.0 / 25.4;
    QImage paper(qRound(190 * kDotsPerMm), qRound(200 * kDotsPerMm), QImage::Format_RGB32);
    paper.setDotsPerMeterX(qRound(kDotsPerMm * 1000)),
        paper.setDotsPerMeterY(paper.dotsPerMeterX());
    paper.fill(Qt::white);
    LogSamples log = SteadyLog(21.0f, 1.0f);
    log.volts[5] = LogSamples::kNoReading;
    LogPrintInputs in = Inputs();
    in.interval = 1;
    in.ranges.ChartTEnd = 360;
    in.samples = &log;
    {
        PainterPage page(paper, QSizeF(190, 200));
        LogChartPrint::PrintLogChart(page, in, FakeClock());
    }
    const auto ink = [&](int sample) {
        const double x = kX1 - sample * (kX1 - kX0) / 360.0;
        const double y = kY1 - 21.0 * (kY1 - kY0) / 40.0;
        return paper.pixelColor(qRound(x * kDotsPerMm), qRound(y * kDotsPerMm)).name();
    };
    EXPECT_EQ(ink(10), QColor(ChartColours::kPrintVolt).name());
    EXPECT_EQ(ink(5), QColor(Qt::white).name());
}

// + maximum, - minimum, = Enter: the maximum stays above; values rounding onto it reach it.
TEST(ChartRangeRulesTest, ClicksAndTypingKeepTheMaximumAboveTheMinimum)
{
    using Click = QString (R::*)(const QString&, const QString&);
    const std::map<std::string, std::pair<Click, float ChartRanges::*>> ops {
        { "V+", { &R::clickVMax, &ChartRanges::ChartVMax } },
        { "V-", { &R::clickVMin, &ChartRanges::ChartVMin } },
        { "W+", { &R::clickWMax, &ChartRanges::ChartWMax } },
        { "W-", { &R::clickWMin, &ChartRanges::ChartWMin } },
        { "A+", { &R::clickCMax, &ChartRanges::ChartCMax } },
        { "A-", { &R::clickCMin, &ChartRanges::ChartCMin } },
        { "V+=", { &R::commitVMax, &ChartRanges::ChartVMax } },
        { "V-=", { &R::commitVMin, &ChartRanges::ChartVMin } }
    };
    const std::tuple<std::string, const char*, const char*, const char*, float> cases[]
        = { { "V+", "20V", "20V", "21V", 21 }, { "V+", "30V", "0V", "30V", 30 },
              { "V-", "10V", "20V", "9V", 9 }, { "V-", "10V", "5V", "5V", 5 },
              { "W+", "100W", "150W", "151W", 151 }, { "W-", "100W", "150W", "99W", 99 },
              { "V+", "abc", "0V", "1V", 1 }, { "V-", "0V", "xyz", "-1V", -1 },
              { "A+", "1.0", "2.0A", "2.1A", 2.1f }, { "A+", "2,5", "0.0A", "2.5A", 2.5f },
              { "A+", "2.54", "0.0A", "2.5A", 2.5f }, { "A-", "1.0A", "2.0", "0.9A", 0.9f },
              { "A-", "5.0A", "1,25", "1.3A", 1.3f }, { "A-", "1.0A", "0.96", "0.9A", 0.9f },
              { "A+", "0.04", "0.0A", "0.1A", 0.1f }, { "A-", "A", "A", "-0.1A", -0.1f },
              { "V+=", "10.2", "20V", "21V", 21 }, { "V-=", "21V", "4.6", "5V", 5 } };
    for (const auto& [op, maxText, minText, text, value] : cases) {
        SCOPED_TRACE(op + " " + maxText + " / " + minText);
        ChartRangeRules rules;
        EXPECT_EQ(text, (rules.*ops.at(op).first)(maxText, minText));
        EXPECT_FLOAT_EQ(value, rules.ranges().*ops.at(op).second);
    }
    // Any typed sequence, each entry committed and its text put back, keeps every range non-empty.
    const char* typed[] = { "", "0", "0.04", "0.96", "1", "1.0A", "20V", "-3", "abc", "1e9", "0,95",
        "1,04", "99999999999", "-99999999999" };
    ChartRangeRules rules;
    QString vMax = "40V", vMin = "0V", cMax = "5.0A", cMin = "0.0A", wMax = "200W", wMin = "0W";
    for (const char* a : typed) {
        for (const char* b : typed) {
            vMax = rules.commitVMax(a, vMin);
            vMin = rules.commitVMin(vMax, b);
            cMax = rules.commitCMax(a, cMin);
            cMin = rules.commitCMin(cMax, b);
            wMin = rules.commitWMin(wMax, b);
            wMax = rules.commitWMax(a, wMin);
            const ChartRanges& r = rules.ranges();
            EXPECT_LT(r.ChartVMin, r.ChartVMax) << a << " / " << b;
            EXPECT_LT(r.ChartCMin, r.ChartCMax) << a << " / " << b;
            EXPECT_LT(r.ChartWMin, r.ChartWMax) << a << " / " << b;
        }
    }
}

// Start/length chosen (c, l) or typed (C; E Enter, L leaving): never empty or backwards.
TEST(ChartRangeRulesTest, TypedTextsTheTimeWindowAndAConnection)
{
    const struct {
        char op;
        const char *tMin, *tLen, *text;
        int start, end;
        const char* middle = nullptr;
    } cases[] = { { 'E', "0S", "2h", "7200S", 0, 7200, "3600S" },
        { 'L', "0S", "5m", "300S", 0, 300 }, { 'l', "0S", "0.3S", "1S", 0, 1 },
        { 'l', "0S", "-0.3S", "1S", 0, 1 }, { 'E', "10S", "0", "1S", 10, 11 },
        { 'E', "10S", "-30", "30S", 10, 40 }, { 'E', "10S", "", "1S", 10, 11 },
        { 'L', "10S", "abc", "1S", 10, 11 }, { 'E', "10S", "60", "60S", 10, 70 },
        { 'C', "1h", "120S", "3600S", 3600, 3720, "3660S" },
        { 'c', "10S", "5S", "10S", 10, 15, "13S" },
        { 'C', "99999999999h", "99999999999h", "500000000S", 500000000, 1000000000, "750000000S" },
        { 'E', "500000000S", "99999999999h", "500000000S", 500000000, 1000000000 },
        { 'C', "-99999999999h", "500000000S", "-500000000S", -500000000, 0 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, c.op) + " " + c.tMin + " + " + c.tLen);
        ChartRangeRules rules;
        if (c.op != 'c' && c.op != 'C')
            rules.clickTMin(c.tMin, "120S");
        const QString text = c.op == 'c' ? rules.clickTMin(c.tMin, c.tLen)
            : c.op == 'C'                ? rules.commitTMin(c.tMin, c.tLen)
            : c.op == 'l'                ? rules.clickTLen(c.tMin, c.tLen)
                                         : rules.commitTLen(c.tMin, c.tLen, c.op == 'E');
        const ChartRanges& r = rules.ranges();
        EXPECT_EQ(std::tuple(c.text, c.start, c.end), std::tuple(text, r.ChartTStart, r.ChartTEnd));
        EXPECT_EQ(QString("%1S").arg(c.end), rules.labels().PLabT[2]);
        EXPECT_EQ(c.middle ? c.middle : rules.labels().PLabT[1], rules.labels().PLabT[1]);
    }
    // Whole numbers with the expected text's unit; whole seconds.
    const std::pair<const char*, const char*> wholes[]
        = { { "12.5", "13V" }, { "12,5", "12V" }, { " 30 ", "30V" }, { "150", "150W" },
              { "volts", "0V" }, { "-4.5", "-5W" }, { "99999999999999999999", "1000000V" } };
    for (const auto& [typed, text] : wholes) {
        const QChar unit = QString(text).back();
        EXPECT_EQ(text, R::NormaliseWholeText(typed, unit)) << typed;
    }
    const std::pair<const char*, const char*> times[] = { { "2H", "7200S" }, { "2.5h", "7200S" },
        { "45.9", "45S" }, { "-5m", "-300S" }, { "-2.5", "-3S" }, { "h", "0S" } };
    for (const auto& [typed, text] : times)
        EXPECT_EQ(text, R::NormaliseTimeText(typed)) << typed;

    // Connecting sets the ranges from the ratings, or 40 V, 5 A, 200 W, and 0..120 s.
    const std::tuple<bool, float, float, float, const char*, const char*, const char*> connections[]
        = { { true, 36.0f, 5.1f, 36.0f * 5.1f, "0.00", "36V 0V 5.1A 184W 0S 120S",
                "0.0V 18.0V 36.0V 0.00A 2.55A 5.10A 0.0W 91.8W 183.6W 0S 60S 120S" },
              { false, 0.0f, 0.0f, 200.0f, "0.0", "40V 0V 5.0A 200W 0S 120S",
                  "0.0V 20.0V 40.0V 0.0A 2.5A 5.0A 0.0W 100.0W 200.0W 0S 60S 120S" } };
    for (const auto& [connected, maxVolt, maxCurr, wMax, format, combos, labels] : connections) {
        SCOPED_TRACE(connected);
        ChartRangeRules rules;
        rules.clickVMax("60V", "0V");
        rules.commitTMin("5m", "10S");
        const RangeComboTexts t = rules.resetForConnection(connected, maxVolt, maxCurr, format);
        EXPECT_EQ(QStringList({ t.CmbVMax, t.CmbVMin, t.CmbCMax, t.CmbWMax, t.CmbTMin, t.CmbTLen })
                      .join(' '),
            combos);
        EXPECT_EQ(Joined(rules.labels()), labels);
        const ChartRanges& r = rules.ranges();
        EXPECT_EQ(std::tuple(wMax, 0, 120), std::tuple(r.ChartWMax, r.ChartTStart, r.ChartTEnd));
    }
    ChartRangeRules rules;
    rules.resetForConnection(true, 36.0f, 5.1f, "0.00");
    rules.clickVMax("10V", "20V");
    EXPECT_EQ("0.0V 10.5V 21.0V", Joined(rules.labels()).section(' ', 0, 2));
    rules.clickVMin("21V", "4V");
    rules.clickWMax("250W", "0W");
    rules.clickWMin("250W", "50W");
    rules.clickCMax("2.5", "0.0A");
    EXPECT_EQ("4.0V 12.5V 21.0V 0.00A 1.25A 2.50A 50.0W 150.0W 250.0W",
        Joined(rules.labels()).section(' ', 0, 8));
}

} // namespace
