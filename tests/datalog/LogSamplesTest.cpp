#include "datalog/LogSamples.h"

#include <gtest/gtest.h>

namespace {

TEST(LogSamplesTest, RecordPutsTheNewestSampleFirstAndAgesTheRest)
{
    LogSamples log;
    log.markEmpty();
    log.record("12.5", "1.25");
    log.record("13", "2");

    EXPECT_EQ(13.0f, log.volts[0]);
    EXPECT_EQ(2.0f, log.amps[0]);
    EXPECT_EQ(12.5f, log.volts[1]);
    EXPECT_EQ(1.25f, log.amps[1]);
    EXPECT_TRUE(LogSamples::isEndMark(log.volts[2]));
    EXPECT_TRUE(LogSamples::isEndMark(log.amps[2]));
}

TEST(LogSamplesTest, TheOldestSampleIsDroppedWhenTheLogIsFull)
{
    LogSamples log;
    for (int i = 0; i < LogSamples::kCount; ++i)
        log.shiftIn(static_cast<float>(i), static_cast<float>(i) / 10.0f);
    ASSERT_EQ(0.0f, log.volts[LogSamples::kCount - 1]);

    log.shiftIn(5000.0f, 1.0f);

    EXPECT_EQ(5000.0f, log.volts[0]);
    EXPECT_EQ(1800.0f, log.volts[1]);
    EXPECT_EQ(1.0f, log.volts[LogSamples::kCount - 1]);
    EXPECT_EQ(0.1f, log.amps[LogSamples::kCount - 1]);
}

TEST(LogSamplesTest, MarkingEmptyPutsTheEndMarkIntoBothChannels)
{
    LogSamples log;
    log.shiftIn(3.0f, 1.0f);
    log.markEmpty();
    EXPECT_TRUE(LogSamples::isEndMark(log.volts[0]));
    EXPECT_TRUE(LogSamples::isEndMark(log.amps[0]));
    EXPECT_FALSE(LogSamples::isEndMark(LogSamples::kNoReading));
}

// Bad readings are "no reading" (-1, as the polling cycle's unanswered one),
// never an end mark or a real 0.
TEST(LogSamplesTest, ReadingTextsBecomeSampleValues)
{
    const struct {
        const char* text;
        float value;
    } cases[] = { { "12.5", 12.5f }, { "0", 0.0f }, { "0.00", 0.0f }, { " 5.10 ", 5.1f },
        { ".5", 0.5f }, { "36.0V", 36.0f }, { "-1", -1.0f }, { "", -1.0f }, { "   ", -1.0f },
        { "-2", -1.0f }, { "-0.5", -1.0f }, { "abc", -1.0f }, { "OK", -1.0f }, { ".", -1.0f },
        { "\xC3\xA9"
          "12",
            -1.0f } };
    for (const auto& c : cases)
        EXPECT_EQ(c.value, LogSamples::ReadingValue(QString::fromUtf8(c.text))) << c.text;
}

TEST(LogSamplesTest, AStrayMinusTwoReadingDoesNotEndTheLog)
{
    LogSamples log;
    log.shiftIn(10.0f, 1.0f);
    log.record("-2", "-2");
    EXPECT_FALSE(LogSamples::isEndMark(log.volts[0]));
    EXPECT_EQ(LogSamples::kNoReading, log.volts[0]);
    EXPECT_EQ(10.0f, log.volts[1]);
}

} // namespace
