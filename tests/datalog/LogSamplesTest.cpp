#include "datalog/LogSamples.h"

#include <gtest/gtest.h>

#include <array>

namespace {

// The newest sample goes first and ages the rest; a full log drops its oldest;
// marking it empty puts the end mark into both channels.
TEST(LogSamplesTest, RecordShiftAndMarkEmpty)
{
    LogSamples log;
    log.markEmpty();
    log.record("12.5", "1.25");
    log.record("13", "2");
    EXPECT_EQ((std::array { log.volts[0], log.amps[0], log.volts[1], log.amps[1] }),
        (std::array { 13.0f, 2.0f, 12.5f, 1.25f }));
    EXPECT_TRUE(LogSamples::isEndMark(log.volts[2]) && LogSamples::isEndMark(log.amps[2]));
    EXPECT_FALSE(LogSamples::isEndMark(LogSamples::kNoReading));

    for (int i = 0; i < LogSamples::kCount; ++i)
        log.shiftIn(static_cast<float>(i), static_cast<float>(i) / 10.0f);
    log.shiftIn(5000.0f, 1.0f);
    EXPECT_EQ(5000.0f, log.volts[0]);
    EXPECT_EQ(1800.0f, log.volts[1]);
    EXPECT_EQ(1.0f, log.volts[LogSamples::kCount - 1]);
    EXPECT_EQ(0.1f, log.amps[LogSamples::kCount - 1]);
    // A stray -2 reading is no reading, not the end mark.
    log.record("-2", "-2");
    EXPECT_EQ(LogSamples::kNoReading, log.volts[0]);
    EXPECT_EQ(5000.0f, log.volts[1]);
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

} // namespace
