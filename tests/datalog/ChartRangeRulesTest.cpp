#include "datalog/ChartRangeRules.h"
#include "datalog/SamplingStatus.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Labels = std::array<QString, 3>;

// Voltage and power pairs: the clicked combo's text, the ranges and labels after.
enum class Combo { VMax, VMin, WMax, WMin };

struct WholeClickCase {
    Combo combo;
    const char* maxText;
    const char* minText;
    const char* expectedText;
    float expectedValue;
};

class WholeClickTest : public testing::TestWithParam<WholeClickCase> { };

TEST_P(WholeClickTest, MaximumStaysAboveMinimum)
{
    const WholeClickCase& c = GetParam();
    ChartRangeRules rules;
    const QString maxText = QString::fromUtf8(c.maxText);
    const QString minText = QString::fromUtf8(c.minText);
    QString text;
    float value = 0;
    switch (c.combo) {
    case Combo::VMax:
        text = rules.clickVMax(maxText, minText);
        value = rules.ranges().ChartVMax;
        break;
    case Combo::VMin:
        text = rules.clickVMin(maxText, minText);
        value = rules.ranges().ChartVMin;
        break;
    case Combo::WMax:
        text = rules.clickWMax(maxText, minText);
        value = rules.ranges().ChartWMax;
        break;
    case Combo::WMin:
        text = rules.clickWMin(maxText, minText);
        value = rules.ranges().ChartWMin;
        break;
    }
    EXPECT_EQ(QString::fromUtf8(c.expectedText), text);
    EXPECT_EQ(c.expectedValue, value);
}

INSTANTIATE_TEST_SUITE_P(Pairs, WholeClickTest,
    testing::Values(WholeClickCase { Combo::VMax, "10V", "20V", "21V", 21.0f },
        WholeClickCase { Combo::VMax, "20V", "20V", "21V", 21.0f },
        WholeClickCase { Combo::VMax, "30V", "0V", "30V", 30.0f },
        WholeClickCase { Combo::VMin, "10V", "20V", "9V", 9.0f },
        WholeClickCase { Combo::VMin, "10V", "5V", "5V", 5.0f },
        WholeClickCase { Combo::WMax, "100W", "150W", "151W", 151.0f },
        WholeClickCase { Combo::WMin, "100W", "150W", "99W", 99.0f },
        WholeClickCase { Combo::WMin, "400W", "350W", "350W", 350.0f },
        // Bad texts read as 0 and are rewritten to a usable pair.
        WholeClickCase { Combo::VMax, "", "", "1V", 1.0f },
        WholeClickCase { Combo::VMax, "abc", "0V", "1V", 1.0f },
        WholeClickCase { Combo::VMin, "0V", "xyz", "-1V", -1.0f }));

TEST(ChartRangeRulesTest, VoltageClickUpdatesTopAndMiddleLabels)
{
    ChartRangeRules rules;
    rules.resetForConnection(true, 36.0f, 5.1f, "0.00");
    rules.clickVMax("10V", "20V");
    EXPECT_EQ((Labels { "0.0V", "10.5V", "21.0V" }), rules.labels().PLabV);
    rules.clickVMin("21V", "4V");
    EXPECT_EQ((Labels { "4.0V", "12.5V", "21.0V" }), rules.labels().PLabV);
}

TEST(ChartRangeRulesTest, PowerClickUpdatesPowerLabels)
{
    ChartRangeRules rules;
    rules.clickWMax("250W", "0W");
    rules.clickWMin("250W", "50W");
    EXPECT_EQ((Labels { "50.0W", "150.0W", "250.0W" }), rules.labels().PLabW);
}

struct CurrClickCase {
    bool max;
    const char* maxText;
    const char* minText;
    const char* expectedText;
};

class CurrClickTest : public testing::TestWithParam<CurrClickCase> { };

TEST_P(CurrClickTest, CurrentCombosShowOneDecimalAndKeepMaxAboveMin)
{
    const CurrClickCase& c = GetParam();
    ChartRangeRules rules;
    const QString text
        = c.max ? rules.clickCMax(c.maxText, c.minText) : rules.clickCMin(c.maxText, c.minText);
    EXPECT_EQ(QString::fromUtf8(c.expectedText), text);
}

INSTANTIATE_TEST_SUITE_P(Currents, CurrClickTest,
    testing::Values(CurrClickCase { true, "1.0", "2.0A", "2.1A" },
        CurrClickCase { true, "3", "0.0A", "3.0A" }, CurrClickCase { true, "2,5", "0.0A", "2.5A" },
        CurrClickCase { true, "2.54", "0.0A", "2.5A" },
        CurrClickCase { false, "1.0A", "2.0", "0.9A" },
        CurrClickCase { false, "5.0A", "1,25", "1.3A" },
        // Typed values that round onto the other end would give an
        // empty range: they are treated as reaching it.
        CurrClickCase { false, "1.0A", "0.96", "0.9A" },
        CurrClickCase { true, "0.04", "0.0A", "0.1A" }, CurrClickCase { true, "", "", "0.1A" },
        CurrClickCase { false, "A", "A", "-0.1A" }));

TEST(ChartRangeRulesTest, CurrentClickLabelsUseTwoDecimals)
{
    ChartRangeRules rules;
    rules.clickCMax("2.5", "0.0A");
    EXPECT_EQ(2.5f, rules.ranges().ChartCMax);
    EXPECT_EQ((Labels { "0.00A", "1.25A", "2.50A" }), rules.labels().PLabC);
    rules.clickCMin("2.5A", "0.96");
    EXPECT_LT(rules.ranges().ChartCMin, rules.ranges().ChartCMax);
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

struct NormaliseCase {
    const char* typed;
    QChar unit;
    const char* expected;
};

class NormaliseWholeTest : public testing::TestWithParam<NormaliseCase> { };

TEST_P(NormaliseWholeTest, TypedValuesBecomeWholeNumbersWithTheirUnit)
{
    EXPECT_EQ(QString::fromUtf8(GetParam().expected),
        ChartRangeRules::NormaliseWholeText(QString::fromUtf8(GetParam().typed), GetParam().unit));
}

INSTANTIATE_TEST_SUITE_P(Texts, NormaliseWholeTest,
    testing::Values(NormaliseCase { "12.6V", u'V', "13V" }, NormaliseCase { "12.5", u'V', "13V" },
        NormaliseCase { "12,5", u'V', "12V" }, NormaliseCase { " 30 ", u'V', "30V" },
        NormaliseCase { "150", u'W', "150W" }, NormaliseCase { "", u'V', "0V" },
        NormaliseCase { "volts", u'V', "0V" }, NormaliseCase { "-4.5", u'W', "-5W" },
        NormaliseCase { "99999999999999999999", u'V', "1000000V" }));

TEST(ChartRangeRulesTest, EnterOnAVoltageComboNormalisesThenAppliesTheClickRule)
{
    ChartRangeRules rules;
    EXPECT_EQ("21V", rules.commitVMax("10.2", "20V"));
    EXPECT_EQ(21.0f, rules.ranges().ChartVMax);
    EXPECT_EQ("5V", rules.commitVMin("21V", "4.6"));
    EXPECT_EQ(5.0f, rules.ranges().ChartVMin);
}

struct TimeCase {
    const char* typed;
    const char* expected;
};

class NormaliseTimeTest : public testing::TestWithParam<TimeCase> { };

TEST_P(NormaliseTimeTest, TimeEntriesBecomeSeconds)
{
    EXPECT_EQ(QString::fromUtf8(GetParam().expected),
        ChartRangeRules::NormaliseTimeText(QString::fromUtf8(GetParam().typed)));
}

INSTANTIATE_TEST_SUITE_P(Texts, NormaliseTimeTest,
    testing::Values(TimeCase { "2h", "7200S" }, TimeCase { "2H", "7200S" },
        TimeCase { "5m", "300S" }, TimeCase { "2.5h", "7200S" }, TimeCase { "45.9", "45S" },
        TimeCase { "120S", "120S" }, TimeCase { "-5m", "-300S" }, TimeCase { "-2.5", "-3S" },
        TimeCase { "", "0S" }, TimeCase { "h", "0S" }, TimeCase { "later", "0S" },
        TimeCase { "99999999999h", "500000000S" }));

TEST(ChartRangeRulesTest, TypingTwoHoursIntoTheLengthGivesASevenThousandTwoHundredSecondWindow)
{
    ChartRangeRules rules;
    EXPECT_EQ("7200S", rules.commitTLen("0S", "2h", true));
    EXPECT_EQ(0, rules.ranges().ChartTStart);
    EXPECT_EQ(7200, rules.ranges().ChartTEnd);
    EXPECT_EQ("7200S", rules.labels().PLabT[2]);
    EXPECT_EQ("3600S", rules.labels().PLabT[1]);

    EXPECT_EQ("300S", rules.commitTLen("0S", "5m", false));
    EXPECT_EQ(300, rules.ranges().ChartTEnd);
}

struct LengthCase {
    const char* typed;
    bool enter;
    const char* expected;
    int expectedEnd; // with T.Min 10 s
};

class TimeLengthTest : public testing::TestWithParam<LengthCase> { };

TEST_P(TimeLengthTest, TheWindowIsNeverEmptyOrBackwards)
{
    const LengthCase& c = GetParam();
    ChartRangeRules rules;
    rules.clickTMin("10S", "120S");
    EXPECT_EQ(QString::fromUtf8(c.expected), rules.commitTLen("10S", c.typed, c.enter));
    EXPECT_EQ(10, rules.ranges().ChartTStart);
    EXPECT_EQ(c.expectedEnd, rules.ranges().ChartTEnd);
}

INSTANTIATE_TEST_SUITE_P(Lengths, TimeLengthTest,
    testing::Values(LengthCase { "0", true, "1S", 11 }, LengthCase { "0", false, "1S", 11 },
        LengthCase { "0h", true, "1S", 11 }, LengthCase { "-30", true, "30S", 40 },
        LengthCase { "-30", false, "30S", 40 }, LengthCase { "0.4h", false, "1S", 11 },
        LengthCase { "", true, "1S", 11 }, LengthCase { "abc", false, "1S", 11 },
        LengthCase { "60", true, "60S", 70 }));

TEST(ChartRangeRulesTest, ALengthChosenFromTheListThatRoundsToNothingBecomesOneSecond)
{
    ChartRangeRules rules;
    EXPECT_EQ("1S", rules.clickTLen("0S", "0.3S"));
    EXPECT_EQ("1S", rules.clickTLen("0S", "-0.3S"));
    EXPECT_EQ(1, rules.ranges().ChartTEnd);
}

TEST(ChartRangeRulesTest, TheStartMovesTheWholeWindowAndItsLabels)
{
    ChartRangeRules rules;
    EXPECT_EQ("3600S", rules.commitTMin("1h", "120S"));
    EXPECT_EQ(3600, rules.ranges().ChartTStart);
    EXPECT_EQ(3720, rules.ranges().ChartTEnd);
    EXPECT_EQ((Labels { "3600S", "3660S", "3720S" }), rules.labels().PLabT);

    rules.clickTMin("10S", "5S");
    EXPECT_EQ((Labels { "10S", "13S", "15S" }), rules.labels().PLabT);
}

TEST(ChartRangeRulesTest, HugeTimesStayWithinTheWindowArithmetic)
{
    ChartRangeRules rules;
    const QString start = rules.commitTMin("99999999999h", "99999999999h");
    const QString length = rules.commitTLen(start, "99999999999h", true);
    EXPECT_EQ("500000000S", start);
    EXPECT_EQ("500000000S", length);
    EXPECT_EQ(500000000, rules.ranges().ChartTStart);
    EXPECT_EQ(1000000000, rules.ranges().ChartTEnd);
    EXPECT_EQ("750000000S", rules.labels().PLabT[1]);

    rules.commitTMin("-99999999999h", "500000000S");
    EXPECT_EQ(-500000000, rules.ranges().ChartTStart);
    EXPECT_EQ(0, rules.ranges().ChartTEnd);
    EXPECT_LT(rules.ranges().ChartTStart, rules.ranges().ChartTEnd);
}

TEST(ChartRangeRulesTest, AConnectedSupplySetsRangesFromItsRatings)
{
    ChartRangeRules rules;
    const RangeComboTexts texts = rules.resetForConnection(true, 36.0f, 5.1f, "0.00");
    const ChartRanges& r = rules.ranges();
    EXPECT_EQ(36.0f, r.ChartVMax);
    EXPECT_EQ(5.1f, r.ChartCMax);
    EXPECT_EQ(36.0f * 5.1f, r.ChartWMax);
    EXPECT_EQ(0, r.ChartTStart);
    EXPECT_EQ(120, r.ChartTEnd);

    EXPECT_EQ("36V", texts.CmbVMax);
    EXPECT_EQ("0V", texts.CmbVMin);
    EXPECT_EQ("5.1A", texts.CmbCMax);
    EXPECT_EQ("0.0A", texts.CmbCMin);
    EXPECT_EQ("184W", texts.CmbWMax);
    EXPECT_EQ("0W", texts.CmbWMin);
    EXPECT_EQ("0S", texts.CmbTMin);
    EXPECT_EQ("120S", texts.CmbTLen);

    EXPECT_EQ((Labels { "0.00A", "2.55A", "5.10A" }), rules.labels().PLabC);
    EXPECT_EQ((Labels { "0.0V", "18.0V", "36.0V" }), rules.labels().PLabV);
    EXPECT_EQ((Labels { "0.0W", "91.8W", "183.6W" }), rules.labels().PLabW);
    EXPECT_EQ((Labels { "0S", "60S", "120S" }), rules.labels().PLabT);
}

TEST(ChartRangeRulesTest, WithoutASupplyTheRangesAreFortyVoltsFiveAmpsTwoHundredWatts)
{
    ChartRangeRules rules;
    rules.clickVMax("60V", "0V");
    rules.commitTMin("5m", "10S");
    const RangeComboTexts texts = rules.resetForConnection(false, 0.0f, 0.0f, "0.0");
    const ChartRanges& r = rules.ranges();
    EXPECT_EQ(40.0f, r.ChartVMax);
    EXPECT_EQ(5.0f, r.ChartCMax);
    EXPECT_EQ(200.0f, r.ChartWMax);
    EXPECT_EQ(0, r.ChartTStart);
    EXPECT_EQ(120, r.ChartTEnd);
    EXPECT_EQ("40V", texts.CmbVMax);
    EXPECT_EQ("5.0A", texts.CmbCMax);
    EXPECT_EQ("200W", texts.CmbWMax);
    EXPECT_EQ("0S", texts.CmbTMin);
    EXPECT_EQ("120S", texts.CmbTLen);
    EXPECT_EQ((Labels { "0.0A", "2.5A", "5.0A" }), rules.labels().PLabC);
    EXPECT_EQ((Labels { "0.0V", "20.0V", "40.0V" }), rules.labels().PLabV);
    EXPECT_EQ((Labels { "0.0W", "100.0W", "200.0W" }), rules.labels().PLabW);
}

TEST(ChartRangeRulesTest, LabelsBeforeTheFirstConnectionAreTheDeliveredOnes)
{
    const ChartRangeRules rules;
    EXPECT_EQ((Labels { "00.0V", "20.0V", "40.0V" }), rules.labels().PLabV);
    EXPECT_EQ((Labels { "0.00A", "2.50A", "5.00A" }), rules.labels().PLabC);
    EXPECT_EQ((Labels { "00.0W", "2.50W", "5.00W" }), rules.labels().PLabW);
    EXPECT_EQ((Labels { "0S", "5S", "10S" }), rules.labels().PLabT);
}

TEST(ChartRangeRulesTest, ComboListsAsDelivered)
{
    EXPECT_EQ(QStringList({ "5V", "10V", "15V", "20V", "25V", "30V", "35V", "40V", "45V", "50V",
                  "55V", "60V" }),
        ChartRangeRules::VMaxItems());
    EXPECT_EQ(12, ChartRangeRules::VMinItems().size());
    EXPECT_EQ("0V", ChartRangeRules::VMinItems().front());
    EXPECT_EQ("55V", ChartRangeRules::VMinItems().back());
    EXPECT_EQ(QStringList({ "50W", "100W", "150W", "200W", "250W", "300W", "350W", "400W" }),
        ChartRangeRules::WMaxItems());
    EXPECT_EQ(QStringList({ "0W", "50W", "100W", "150W", "200W", "250W", "300W", "350W" }),
        ChartRangeRules::WMinItems());
    EXPECT_EQ(QStringList({ "0.0", "1.0", "2.0", "3.0", "4.0", "5.0", "6.0", "7.0" }),
        ChartRangeRules::CMinItems());
    EXPECT_EQ(QStringList({ "1.0", "2.0", "3.0", "4.0", "5.0", "6.0", "7.0", "8.0" }),
        ChartRangeRules::CMaxItems());
    EXPECT_EQ(QStringList({ "0S", "10S", "30S", "60S", "600S", "3600S", "36000S", "360000S" }),
        ChartRangeRules::TMinItems());
    EXPECT_EQ(QStringList({ "10S", "30S", "60S", "120S", "720S", "3600S", "36000S", "108000S" }),
        ChartRangeRules::TLenItems());
}

TEST(SamplingStatusTest, StatusTextNamesTheShownLogsInterval)
{
    EXPECT_EQ(QString("Now Sampling : 3S"), SamplingStatus::Text(LogSource::Live, 3, 10));
    EXPECT_EQ(QString("Log Sampling : 10S"), SamplingStatus::Text(LogSource::Stored, 3, 10));
    EXPECT_FALSE(SamplingStatus::Text(LogSource::None, 3, 10).has_value());
}

} // namespace
