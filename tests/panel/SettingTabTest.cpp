#include "panel/SettingTab.h"

#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingTab, SamplingEntriesAndTheirSeconds)
{
    const QStringList entries = SettingTab::SamplingEntries();
    EXPECT_EQ(entries.at(SettingTab::kDefaultSamplingIndex), QStringLiteral("3S"));
    for (int i = 0; i < entries.size(); ++i) {
        const std::optional<int> seconds = SettingTab::SamplingSeconds(entries.at(i));
        ASSERT_TRUE(seconds.has_value()) << entries.at(i).toStdString();
        EXPECT_EQ(SettingTab::SamplingIndex(*seconds), i);
    }
    for (const char* text : { "", "S", "0S", "4S", "-3S", "abc", "2.5S", "99999999999S", "61S" })
        EXPECT_EQ(SettingTab::SamplingSeconds(QString::fromLatin1(text)), std::nullopt) << text;
    EXPECT_EQ(SettingTab::SamplingIndex(4), std::nullopt);
    EXPECT_EQ(SettingTab::SamplingIndex(0), std::nullopt);
}

TEST(SettingTab, PortNumberFromTheFourthCharacter)
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

// A limit typed out of range is brought into 1 .. rating (0.1 .. rating for
// the current); the result is what is sent and shown.
TEST(SettingTab, LimitsLostFocus)
{
    const struct {
        bool current;
        QString text;
        float rating;
        const char* result;
    } cases[] = { { false, "12,5", 36, "12.5V" }, { false, "12.5V", 36, "12.5V" },
        { false, "0.5", 36, "1V" }, { false, "1", 36, "1V" }, { false, "40", 36, "36V" },
        { false, "36", 36, "36V" }, { false, "", 36, "1V" }, { false, "30.00", 36, "30V" },
        { false, "1e9", 36, "1V" }, { false, "99999999999999999999999", 36, "36V" },
        // The check reads the same number as the result: 36,5 is above 36.
        { false, "36,5", 36, "36V" }, { false, "5", 0, "0V" },
        // Beyond any number: read as no number, so the lowest limit.
        { false, QString(4000, u'9'), 36, "1V" }, { true, "2,5", 5.1f, "2.5A" },
        { true, "0.05", 5.1f, "0.1A" }, { true, "6", 5.1f, "5.1A" },
        { true, "1.25A", 2.5f, "1.25A" } };
    for (const auto& c : cases) {
        EXPECT_EQ(c.current ? SettingTab::NormaliseCurrentLimit(c.text, c.rating)
                            : SettingTab::NormaliseVoltageLimit(c.text, c.rating),
            QString::fromLatin1(c.result))
            << c.text.left(30).toStdString() << " rating " << c.rating;
    }
}

TEST(SettingTab, LimitDefaultsAndValues)
{
    EXPECT_EQ(SettingTab::DefaultVoltageLimitText(36), QStringLiteral("36V"));
    EXPECT_EQ(SettingTab::DefaultCurrentLimitText(5.1f), QStringLiteral("5.1A"));
    EXPECT_EQ(SettingTab::DefaultVoltageLimitText(0), QStringLiteral("0V"));
    EXPECT_FLOAT_EQ(SettingTab::VoltageLimitValue(QStringLiteral("V12V")), 12.0f);
    EXPECT_FLOAT_EQ(SettingTab::VoltageLimitValue(QStringLiteral("12,5V")), 12.5f);
    EXPECT_FLOAT_EQ(SettingTab::CurrentLimitValue(QStringLiteral("2.5A")), 2.5f);
    EXPECT_FLOAT_EQ(SettingTab::CurrentLimitValue(QStringLiteral("amps")), 0.0f);
    EXPECT_EQ(SettingTab::VoltageLimitValue(QString(300, u'9')), std::numeric_limits<float>::max());
    EXPECT_EQ(SettingTab::LimitsPanelText(30, 2.5f), QStringLiteral("UVL : 30V , UCL : 2.5A"));
}

} // namespace
