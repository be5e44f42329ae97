#include "panel/SettingTab.h"

#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingTabSampling, EntriesAndTheirSeconds)
{
    const QStringList entries = SettingTab::SamplingEntries();
    EXPECT_EQ(entries.at(SettingTab::kDefaultSamplingIndex), QStringLiteral("3S"));
    for (int i = 0; i < entries.size(); ++i) {
        const std::optional<int> seconds = SettingTab::SamplingSeconds(entries.at(i));
        ASSERT_TRUE(seconds.has_value()) << entries.at(i).toStdString();
        EXPECT_EQ(SettingTab::SamplingIndex(*seconds), i);
    }
    EXPECT_EQ(SettingTab::SamplingSeconds(QStringLiteral("10S")), 10);
    EXPECT_EQ(SettingTab::NowSamplingPanelText(10), QStringLiteral("Now Sampling : 10S"));
}

TEST(SettingTabSampling, TextsThatAreNoEntryGiveNothing)
{
    for (const char* text : { "", "S", "0S", "4S", "-3S", "abc", "2.5S", "99999999999S", "61S" })
        EXPECT_EQ(SettingTab::SamplingSeconds(QString::fromLatin1(text)), std::nullopt) << text;
    EXPECT_EQ(SettingTab::SamplingIndex(4), std::nullopt);
    EXPECT_EQ(SettingTab::SamplingIndex(0), std::nullopt);
}

TEST(SettingTabPort, NumberFromTheFourthCharacter)
{
    const struct {
        const char* entry;
        std::optional<int> port;
    } cases[] = { { "Com3", 3 }, { "Com12", 12 }, { "COM7", 7 }, { "Com", std::nullopt },
        { "", std::nullopt }, { "Comx", std::nullopt }, { "Com0", std::nullopt },
        { "Com-2", std::nullopt }, { "Com99999999999", std::nullopt }, { "3", std::nullopt } };
    for (const auto& c : cases)
        EXPECT_EQ(SettingTab::PortNumber(QString::fromLatin1(c.entry)), c.port) << c.entry;
}

TEST(SettingTabLimits, VoltageLostFocus)
{
    const struct {
        const char* text;
        float maxVolt;
        const char* result;
    } cases[] = {
        { "12,5", 36, "12.5V" },
        { "12.5V", 36, "12.5V" },
        { "0.5", 36, "1V" },
        { "1", 36, "1V" },
        { "40", 36, "36V" },
        { "36", 36, "36V" },
        { "", 36, "1V" },
        { "30.00", 36, "30V" },
        { "1e9", 36, "1V" },
        { "99999999999999999999999", 36, "36V" },
        // The check reads the same number as the result: 36,5 is above 36.
        { "36,5", 36, "36V" },
        { "5", 0, "0V" },
    };
    // Beyond any number: read as no number, so the lowest limit.
    EXPECT_EQ(SettingTab::NormaliseVoltageLimit(QString(4000, u'9'), 36), QStringLiteral("1V"));
    for (const auto& c : cases)
        EXPECT_EQ(SettingTab::NormaliseVoltageLimit(QString::fromLatin1(c.text), c.maxVolt),
            QString::fromLatin1(c.result))
            << c.text << " max " << c.maxVolt;
}

// The same rule as the voltage's, with its own lowest limit and unit.
TEST(SettingTabLimits, CurrentLostFocus)
{
    const struct {
        const char* text;
        float maxCurr;
        const char* result;
    } cases[] = { { "2,5", 5.1f, "2.5A" }, { "0.05", 5.1f, "0.1A" }, { "6", 5.1f, "5.1A" },
        { "1.25A", 2.5f, "1.25A" } };
    for (const auto& c : cases)
        EXPECT_EQ(SettingTab::NormaliseCurrentLimit(QString::fromLatin1(c.text), c.maxCurr),
            QString::fromLatin1(c.result))
            << c.text << " max " << c.maxCurr;
}

TEST(SettingTabLimits, DefaultsAndValues)
{
    EXPECT_EQ(SettingTab::DefaultVoltageLimitText(36), QStringLiteral("36V"));
    EXPECT_EQ(SettingTab::DefaultCurrentLimitText(5.1f), QStringLiteral("5.1A"));
    EXPECT_EQ(SettingTab::DefaultVoltageLimitText(0), QStringLiteral("0V"));

    EXPECT_FLOAT_EQ(SettingTab::VoltageLimitValue(QStringLiteral("12.5V")), 12.5f);
    EXPECT_FLOAT_EQ(SettingTab::VoltageLimitValue(QStringLiteral("V12V")), 12.0f);
    EXPECT_FLOAT_EQ(SettingTab::VoltageLimitValue(QStringLiteral("12,5V")), 12.5f);
    EXPECT_FLOAT_EQ(SettingTab::CurrentLimitValue(QStringLiteral("2.5A")), 2.5f);
    EXPECT_FLOAT_EQ(SettingTab::CurrentLimitValue(QStringLiteral("")), 0.0f);
    EXPECT_FLOAT_EQ(SettingTab::CurrentLimitValue(QStringLiteral("amps")), 0.0f);
    EXPECT_EQ(SettingTab::VoltageLimitValue(QString(300, u'9')), std::numeric_limits<float>::max());
    EXPECT_EQ(SettingTab::LimitsPanelText(30, 2.5f), QStringLiteral("UVL : 30V , UCL : 2.5A"));
}

} // namespace
