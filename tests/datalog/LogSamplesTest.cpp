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

struct ReadingCase {
    const char* text;
    float expected;
};

class ReadingValueTest : public testing::TestWithParam<ReadingCase> { };

TEST_P(ReadingValueTest, ReadingTextsBecomeSampleValues)
{
    EXPECT_EQ(GetParam().expected, LogSamples::ReadingValue(QString::fromUtf8(GetParam().text)))
        << "reading \"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(Readings, ReadingValueTest,
    testing::Values(ReadingCase { "12.5", 12.5f }, ReadingCase { "0", 0.0f },
        ReadingCase { "0.00", 0.0f }, ReadingCase { " 5.10 ", 5.1f }, ReadingCase { ".5", 0.5f },
        ReadingCase { "36.0V", 36.0f },
        // The polling cycle's "no answer" reading.
        ReadingCase { "-1", -1.0f },
        // Bad readings are "no reading", never an end mark or a real 0.
        ReadingCase { "", -1.0f }, ReadingCase { "   ", -1.0f }, ReadingCase { "-2", -1.0f },
        ReadingCase { "-0.5", -1.0f }, ReadingCase { "abc", -1.0f }, ReadingCase { "OK", -1.0f },
        ReadingCase { ".", -1.0f },
        ReadingCase { "\xC3\xA9"
                      "12",
            -1.0f }));

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
