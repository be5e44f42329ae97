#include "datalog/ChartRangeRules.h"
#include "datalog/SamplingStatus.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Labels = std::array<QString, 3>;

using Click = QString (ChartRangeRules::*)(const QString&, const QString&);

// A clicked or entered pair keeps its maximum above its minimum: the combo's
// text and range after the click (whole volts and watts, currents with one decimal).
TEST(ChartRangeRulesTest, ClicksKeepTheMaximumAboveTheMinimum)
{
    const struct {
        Click click;
        float ChartRanges::*range;
        const char* maxText;
        const char* minText;
        const char* text;
        float value;
    } cases[] = {
        { &ChartRangeRules::clickVMax, &ChartRanges::ChartVMax, "10V", "20V", "21V", 21 },
        { &ChartRangeRules::clickVMax, &ChartRanges::ChartVMax, "20V", "20V", "21V", 21 },
        { &ChartRangeRules::clickVMax, &ChartRanges::ChartVMax, "30V", "0V", "30V", 30 },
        { &ChartRangeRules::clickVMin, &ChartRanges::ChartVMin, "10V", "20V", "9V", 9 },
        { &ChartRangeRules::clickVMin, &ChartRanges::ChartVMin, "10V", "5V", "5V", 5 },
        { &ChartRangeRules::clickWMax, &ChartRanges::ChartWMax, "100W", "150W", "151W", 151 },
        { &ChartRangeRules::clickWMin, &ChartRanges::ChartWMin, "100W", "150W", "99W", 99 },
        { &ChartRangeRules::clickWMin, &ChartRanges::ChartWMin, "400W", "350W", "350W", 350 },
        // Bad texts read as 0 and are rewritten to a usable pair.
        { &ChartRangeRules::clickVMax, &ChartRanges::ChartVMax, "", "", "1V", 1 },
        { &ChartRangeRules::clickVMax, &ChartRanges::ChartVMax, "abc", "0V", "1V", 1 },
        { &ChartRangeRules::clickVMin, &ChartRanges::ChartVMin, "0V", "xyz", "-1V", -1 },
        { &ChartRangeRules::clickCMax, &ChartRanges::ChartCMax, "1.0", "2.0A", "2.1A", 2.1f },
        { &ChartRangeRules::clickCMax, &ChartRanges::ChartCMax, "3", "0.0A", "3.0A", 3 },
        { &ChartRangeRules::clickCMax, &ChartRanges::ChartCMax, "2,5", "0.0A", "2.5A", 2.5f },
        { &ChartRangeRules::clickCMax, &ChartRanges::ChartCMax, "2.54", "0.0A", "2.5A", 2.5f },
        { &ChartRangeRules::clickCMin, &ChartRanges::ChartCMin, "1.0A", "2.0", "0.9A", 0.9f },
        { &ChartRangeRules::clickCMin, &ChartRanges::ChartCMin, "5.0A", "1,25", "1.3A", 1.3f },
        // Typed values that round onto the other end would give an empty
        // range: they are treated as reaching it.
        { &ChartRangeRules::clickCMin, &ChartRanges::ChartCMin, "1.0A", "0.96", "0.9A", 0.9f },
        { &ChartRangeRules::clickCMax, &ChartRanges::ChartCMax, "0.04", "0.0A", "0.1A", 0.1f },
        { &ChartRangeRules::clickCMax, &ChartRanges::ChartCMax, "", "", "0.1A", 0.1f },
        { &ChartRangeRules::clickCMin, &ChartRanges::ChartCMin, "A", "A", "-0.1A", -0.1f },
        // Enter normalises first, then applies the click's rule.
        { &ChartRangeRules::commitVMax, &ChartRanges::ChartVMax, "10.2", "20V", "21V", 21 },
        { &ChartRangeRules::commitVMin, &ChartRanges::ChartVMin, "21V", "4.6", "5V", 5 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.maxText) + " / " + c.minText);
        ChartRangeRules rules;
        EXPECT_EQ(c.text, (rules.*c.click)(c.maxText, c.minText));
        EXPECT_FLOAT_EQ(c.value, rules.ranges().*c.range);
    }
}

// A click relabels its own trace: bottom, middle and top of the chart.
TEST(ChartRangeRulesTest, ClicksUpdateTheirTracesLabels)
{
    ChartRangeRules rules;
    rules.resetForConnection(true, 36.0f, 5.1f, "0.00");
    rules.clickVMax("10V", "20V");
    EXPECT_EQ((Labels { "0.0V", "10.5V", "21.0V" }), rules.labels().PLabV);
    rules.clickVMin("21V", "4V");
    EXPECT_EQ((Labels { "4.0V", "12.5V", "21.0V" }), rules.labels().PLabV);
    rules.clickWMax("250W", "0W");
    rules.clickWMin("250W", "50W");
    EXPECT_EQ((Labels { "50.0W", "150.0W", "250.0W" }), rules.labels().PLabW);
    rules.clickCMax("2.5", "0.0A");
    EXPECT_EQ(2.5f, rules.ranges().ChartCMax);
    EXPECT_EQ((Labels { "0.00A", "1.25A", "2.50A" }), rules.labels().PLabC);
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

// Typed values become whole numbers with their unit, times whole seconds.
TEST(ChartRangeRulesTest, TypedTextsAreNormalised)
{
    const struct {
        const char* typed;
        QChar unit;
        const char* text;
    } wholes[] = { { "12.6V", u'V', "13V" }, { "12.5", u'V', "13V" }, { "12,5", u'V', "12V" },
        { " 30 ", u'V', "30V" }, { "150", u'W', "150W" }, { "", u'V', "0V" },
        { "volts", u'V', "0V" }, { "-4.5", u'W', "-5W" },
        { "99999999999999999999", u'V', "1000000V" } };
    for (const auto& c : wholes)
        EXPECT_EQ(c.text, ChartRangeRules::NormaliseWholeText(c.typed, c.unit)) << c.typed;
    const struct {
        const char* typed;
        const char* text;
    } times[] = { { "2h", "7200S" }, { "2H", "7200S" }, { "5m", "300S" }, { "2.5h", "7200S" },
        { "45.9", "45S" }, { "120S", "120S" }, { "-5m", "-300S" }, { "-2.5", "-3S" }, { "", "0S" },
        { "h", "0S" }, { "later", "0S" }, { "99999999999h", "500000000S" } };
    for (const auto& c : times)
        EXPECT_EQ(c.text, ChartRangeRules::NormaliseTimeText(c.typed)) << c.typed;
}

// The time window from a start and a length, chosen or typed (with Enter or
// leaving the box): never empty or backwards, within the window arithmetic.
TEST(ChartRangeRulesTest, TimeTextsGiveTheWindow)
{
    enum Op { ClickTMin, CommitTMin, ClickTLen, EnterTLen, LeaveTLen };
    const struct {
        Op op;
        const char* tMin;
        const char* tLen;
        const char* text;
        int start, end;
        const char* middle; // the middle time label; nullptr: not checked
    } cases[] = {
        { EnterTLen, "0S", "2h", "7200S", 0, 7200, "3600S" },
        { LeaveTLen, "0S", "5m", "300S", 0, 300, nullptr },
        { ClickTLen, "0S", "0.3S", "1S", 0, 1, nullptr },
        { ClickTLen, "0S", "-0.3S", "1S", 0, 1, nullptr },
        { EnterTLen, "10S", "0", "1S", 10, 11, nullptr },
        { LeaveTLen, "10S", "0", "1S", 10, 11, nullptr },
        { EnterTLen, "10S", "0h", "1S", 10, 11, nullptr },
        { EnterTLen, "10S", "-30", "30S", 10, 40, nullptr },
        { LeaveTLen, "10S", "-30", "30S", 10, 40, nullptr },
        { LeaveTLen, "10S", "0.4h", "1S", 10, 11, nullptr },
        { EnterTLen, "10S", "", "1S", 10, 11, nullptr },
        { LeaveTLen, "10S", "abc", "1S", 10, 11, nullptr },
        { EnterTLen, "10S", "60", "60S", 10, 70, nullptr },
        { CommitTMin, "1h", "120S", "3600S", 3600, 3720, "3660S" },
        { ClickTMin, "10S", "5S", "10S", 10, 15, "13S" },
        { CommitTMin, "99999999999h", "99999999999h", "500000000S", 500000000, 1000000000,
            "750000000S" },
        { EnterTLen, "500000000S", "99999999999h", "500000000S", 500000000, 1000000000, nullptr },
        { CommitTMin, "-99999999999h", "500000000S", "-500000000S", -500000000, 0, nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.tMin) + " + " + c.tLen);
        ChartRangeRules rules;
        QString text;
        switch (c.op) {
        case ClickTMin:
            text = rules.clickTMin(c.tMin, c.tLen);
            break;
        case CommitTMin:
            text = rules.commitTMin(c.tMin, c.tLen);
            break;
        default:
            rules.clickTMin(c.tMin, "120S");
            text = c.op == ClickTLen ? rules.clickTLen(c.tMin, c.tLen)
                                     : rules.commitTLen(c.tMin, c.tLen, c.op == EnterTLen);
        }
        EXPECT_EQ(c.text, text);
        EXPECT_EQ(c.start, rules.ranges().ChartTStart);
        EXPECT_EQ(c.end, rules.ranges().ChartTEnd);
        EXPECT_EQ(QString("%1S").arg(c.end), rules.labels().PLabT[2]);
        if (c.middle) {
            EXPECT_EQ(c.middle, rules.labels().PLabT[1]);
        }
    }
}

// Connecting sets the ranges from the supply's ratings, or to 40 V, 5 A and
// 200 W without one, whatever was chosen before; the window goes back to 0..120 s.
TEST(ChartRangeRulesTest, AConnectionResetsTheRanges)
{
    const struct {
        bool connected;
        float maxVolt, maxCurr;
        const char* format;
        std::array<const char*, 3> combos; // V max, A max, W max
        float wMax;
        Labels volts, amps, watts;
    } cases[] = {
        { true, 36.0f, 5.1f, "0.00", { "36V", "5.1A", "184W" }, 36.0f * 5.1f,
            { "0.0V", "18.0V", "36.0V" }, { "0.00A", "2.55A", "5.10A" },
            { "0.0W", "91.8W", "183.6W" } },
        { false, 0.0f, 0.0f, "0.0", { "40V", "5.0A", "200W" }, 200.0f, { "0.0V", "20.0V", "40.0V" },
            { "0.0A", "2.5A", "5.0A" }, { "0.0W", "100.0W", "200.0W" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.connected);
        ChartRangeRules rules;
        rules.clickVMax("60V", "0V");
        rules.commitTMin("5m", "10S");
        const RangeComboTexts texts
            = rules.resetForConnection(c.connected, c.maxVolt, c.maxCurr, c.format);
        const ChartRanges& r = rules.ranges();
        EXPECT_EQ(c.wMax, r.ChartWMax);
        EXPECT_EQ(0, r.ChartTStart);
        EXPECT_EQ(120, r.ChartTEnd);
        EXPECT_EQ(c.combos[0], texts.CmbVMax);
        EXPECT_EQ("0V", texts.CmbVMin);
        EXPECT_EQ(c.combos[1], texts.CmbCMax);
        EXPECT_EQ(c.combos[2], texts.CmbWMax);
        EXPECT_EQ("0S", texts.CmbTMin);
        EXPECT_EQ("120S", texts.CmbTLen);
        EXPECT_EQ(c.volts, rules.labels().PLabV);
        EXPECT_EQ(c.amps, rules.labels().PLabC);
        EXPECT_EQ(c.watts, rules.labels().PLabW);
        EXPECT_EQ((Labels { "0S", "60S", "120S" }), rules.labels().PLabT);
    }
}

TEST(SamplingStatusTest, StatusTextNamesTheShownLogsInterval)
{
    EXPECT_EQ(QString("Now Sampling : 3S"), SamplingStatus::Text(LogSource::Live, 3, 10));
    EXPECT_EQ(QString("Log Sampling : 10S"), SamplingStatus::Text(LogSource::Stored, 3, 10));
    EXPECT_FALSE(SamplingStatus::Text(LogSource::None, 3, 10).has_value());
}

} // namespace
