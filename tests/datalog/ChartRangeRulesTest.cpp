#include "datalog/ChartRangeRules.h"
#include "datalog/SamplingStatus.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

namespace {

using Labels = std::array<QString, 3>;
using R = ChartRangeRules;

QString Joined(const Labels& labels)
{
    return labels[0] + ' ' + labels[1] + ' ' + labels[2];
}

// A clicked or entered pair (+ maximum, - minimum; "=" Enter) keeps its maximum
// above its minimum: the combo's text and range after it (whole volts and watts,
// currents with one decimal). Bad texts read as 0; typed values that round onto
// the other end would give an empty range and are treated as reaching it.
TEST(ChartRangeRulesTest, ClicksKeepTheMaximumAboveTheMinimum)
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
    const struct {
        const char *op, *maxText, *minText, *text;
        float value;
    } cases[] = { { "V+", "10V", "20V", "21V", 21 }, { "V+", "20V", "20V", "21V", 21 },
        { "V+", "30V", "0V", "30V", 30 }, { "V-", "10V", "20V", "9V", 9 },
        { "V-", "10V", "5V", "5V", 5 }, { "W+", "100W", "150W", "151W", 151 },
        { "W-", "100W", "150W", "99W", 99 }, { "W-", "400W", "350W", "350W", 350 },
        { "V+", "", "", "1V", 1 }, { "V+", "abc", "0V", "1V", 1 }, { "V-", "0V", "xyz", "-1V", -1 },
        { "A+", "1.0", "2.0A", "2.1A", 2.1f }, { "A+", "3", "0.0A", "3.0A", 3 },
        { "A+", "2,5", "0.0A", "2.5A", 2.5f }, { "A+", "2.54", "0.0A", "2.5A", 2.5f },
        { "A-", "1.0A", "2.0", "0.9A", 0.9f }, { "A-", "5.0A", "1,25", "1.3A", 1.3f },
        { "A-", "1.0A", "0.96", "0.9A", 0.9f }, { "A+", "0.04", "0.0A", "0.1A", 0.1f },
        { "A+", "", "", "0.1A", 0.1f }, { "A-", "A", "A", "-0.1A", -0.1f },
        { "V+=", "10.2", "20V", "21V", 21 }, { "V-=", "21V", "4.6", "5V", 5 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.op) + " " + c.maxText + " / " + c.minText);
        ChartRangeRules rules;
        const auto& [click, range] = ops.at(c.op);
        EXPECT_EQ(c.text, (rules.*click)(c.maxText, c.minText));
        EXPECT_FLOAT_EQ(c.value, rules.ranges().*range);
    }
}

// A click relabels its own trace: bottom, middle and top of the chart.
TEST(ChartRangeRulesTest, ClicksUpdateTheirTracesLabels)
{
    ChartRangeRules rules;
    rules.resetForConnection(true, 36.0f, 5.1f, "0.00");
    rules.clickVMax("10V", "20V");
    EXPECT_EQ("0.0V 10.5V 21.0V", Joined(rules.labels().PLabV));
    rules.clickVMin("21V", "4V");
    EXPECT_EQ("4.0V 12.5V 21.0V", Joined(rules.labels().PLabV));
    rules.clickWMax("250W", "0W");
    rules.clickWMin("250W", "50W");
    EXPECT_EQ("50.0W 150.0W 250.0W", Joined(rules.labels().PLabW));
    rules.clickCMax("2.5", "0.0A");
    EXPECT_EQ("0.00A 1.25A 2.50A", Joined(rules.labels().PLabC));
}

TEST(ChartRangeRulesTest, AnyTypingSequenceKeepsEveryRangeNonEmpty)
{
    // The combos' texts as the window holds them; every entry is committed with
    // Enter and the returned text goes back into its combo.
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

// Typed values become whole numbers with their unit (V here, W for "150" and
// "-4.5"), times whole seconds.
TEST(ChartRangeRulesTest, TypedTextsAreNormalised)
{
    const std::pair<const char*, const char*> wholes[] = { { "12.6V", "13V" }, { "12.5", "13V" },
        { "12,5", "12V" }, { " 30 ", "30V" }, { "150", "150W" }, { "", "0V" }, { "volts", "0V" },
        { "-4.5", "-5W" }, { "99999999999999999999", "1000000V" } };
    for (const auto& [typed, text] : wholes) {
        const QChar unit = QString(text).back();
        EXPECT_EQ(text, R::NormaliseWholeText(typed, unit)) << typed;
    }
    const std::pair<const char*, const char*> times[]
        = { { "2h", "7200S" }, { "2H", "7200S" }, { "5m", "300S" }, { "2.5h", "7200S" },
              { "45.9", "45S" }, { "120S", "120S" }, { "-5m", "-300S" }, { "-2.5", "-3S" },
              { "", "0S" }, { "h", "0S" }, { "later", "0S" }, { "99999999999h", "500000000S" } };
    for (const auto& [typed, text] : times)
        EXPECT_EQ(text, R::NormaliseTimeText(typed)) << typed;
}

// The time window from a start and a length, chosen (c, l) or typed (C; E with
// Enter, L leaving the box): never empty or backwards, within the window
// arithmetic; the labels follow (the middle one where given).
TEST(ChartRangeRulesTest, TimeTextsGiveTheWindow)
{
    const struct {
        char op;
        const char *tMin, *tLen, *text;
        int start, end;
        const char* middle = nullptr;
    } cases[] = { { 'E', "0S", "2h", "7200S", 0, 7200, "3600S" },
        { 'L', "0S", "5m", "300S", 0, 300 }, { 'l', "0S", "0.3S", "1S", 0, 1 },
        { 'l', "0S", "-0.3S", "1S", 0, 1 }, { 'E', "10S", "0", "1S", 10, 11 },
        { 'L', "10S", "0", "1S", 10, 11 }, { 'E', "10S", "0h", "1S", 10, 11 },
        { 'E', "10S", "-30", "30S", 10, 40 }, { 'L', "10S", "-30", "30S", 10, 40 },
        { 'L', "10S", "0.4h", "1S", 10, 11 }, { 'E', "10S", "", "1S", 10, 11 },
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
        EXPECT_EQ(c.text, text);
        EXPECT_EQ(c.start, rules.ranges().ChartTStart);
        EXPECT_EQ(c.end, rules.ranges().ChartTEnd);
        EXPECT_EQ(QString("%1S").arg(c.end), rules.labels().PLabT[2]);
        EXPECT_EQ(c.middle ? c.middle : rules.labels().PLabT[1], rules.labels().PLabT[1]);
    }
}

// Connecting sets the ranges from the supply's ratings, or to 40 V, 5 A and
// 200 W without one, whatever was chosen before; the window goes back to 0..120 s.
TEST(ChartRangeRulesTest, AConnectionResetsTheRanges)
{
    const struct {
        bool connected;
        float maxVolt, maxCurr, wMax;
        const char *format, *combos, *labels;
    } cases[] = { { true, 36.0f, 5.1f, 36.0f * 5.1f, "0.00", "36V 0V 5.1A 184W 0S 120S",
                      "0.0V 18.0V 36.0V 0.00A 2.55A 5.10A 0.0W 91.8W 183.6W 0S 60S 120S" },
        { false, 0.0f, 0.0f, 200.0f, "0.0", "40V 0V 5.0A 200W 0S 120S",
            "0.0V 20.0V 40.0V 0.0A 2.5A 5.0A 0.0W 100.0W 200.0W 0S 60S 120S" } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.connected);
        ChartRangeRules rules;
        rules.clickVMax("60V", "0V");
        rules.commitTMin("5m", "10S");
        const RangeComboTexts t
            = rules.resetForConnection(c.connected, c.maxVolt, c.maxCurr, c.format);
        EXPECT_EQ(QStringList({ t.CmbVMax, t.CmbVMin, t.CmbCMax, t.CmbWMax, t.CmbTMin, t.CmbTLen })
                      .join(' '),
            c.combos);
        const ChartLabels& l = rules.labels();
        EXPECT_EQ(
            Joined(l.PLabV) + ' ' + Joined(l.PLabC) + ' ' + Joined(l.PLabW) + ' ' + Joined(l.PLabT),
            c.labels);
        EXPECT_EQ(c.wMax, rules.ranges().ChartWMax);
        EXPECT_EQ(0, rules.ranges().ChartTStart);
        EXPECT_EQ(120, rules.ranges().ChartTEnd);
    }
}

TEST(SamplingStatusTest, StatusTextNamesTheShownLogsInterval)
{
    EXPECT_EQ(QString("Now Sampling : 3S"), SamplingStatus::Text(LogSource::Live, 3, 10));
    EXPECT_EQ(QString("Log Sampling : 10S"), SamplingStatus::Text(LogSource::Stored, 3, 10));
    EXPECT_FALSE(SamplingStatus::Text(LogSource::None, 3, 10).has_value());
}

} // namespace
