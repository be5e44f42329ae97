#include "datalog/LogPacing.h"
#include "tests/support/FakeClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

TEST(LogPacingTest, OnTimeTicksGetAFullIntervalLateOnesAShorterOne)
{
    FakeClock clock;
    LogPacing pacing(clock);
    pacing.restart();

    EXPECT_EQ(3000, pacing.nextIntervalMs(3)); // t 0, due 0
    clock.advance(2999);
    EXPECT_EQ(3000, pacing.nextIntervalMs(3)); // t 2999, due 3000
    clock.advance(3001);
    EXPECT_EQ(3000, pacing.nextIntervalMs(3)); // t 6000, due 6000: still on time
    clock.advance(3001);
    EXPECT_EQ(2700, pacing.nextIntervalMs(3)); // t 9001, due 9000: late
}

TEST(LogPacingTest, ATickAfterItsDueTimeIsLate)
{
    FakeClock clock;
    LogPacing pacing(clock);
    pacing.restart();
    clock.advance(10001);
    EXPECT_EQ(9700, pacing.nextIntervalMs(10));
    EXPECT_EQ(1, pacing.PacingCount());
}

TEST(LogPacingTest, RestartCountsFromNow)
{
    FakeClock clock;
    LogPacing pacing(clock);
    pacing.restart();
    clock.advance(50000);
    EXPECT_EQ(2700, pacing.nextIntervalMs(3));
    pacing.restart();
    EXPECT_EQ(0, pacing.PacingCount());
    EXPECT_EQ(3000, pacing.nextIntervalMs(3));
}

// Runs the timer as the window does: each tick comes `latencyMs` after the
// interval the previous tick asked for. Returns the time of the last tick.
qint64 RunTicks(FakeClock& clock, LogPacing& pacing, int sampleTime, int ticks, int latencyMs,
    int* shortestInterval)
{
    int interval = sampleTime * 1000;
    for (int k = 0; k < ticks; ++k) {
        clock.advance(interval + latencyMs);
        interval = pacing.nextIntervalMs(sampleTime);
        *shortestInterval = std::min(*shortestInterval, interval);
    }
    return clock.monotonicMs();
}

TEST(LogPacingTest, TheCadenceHoldsAcrossMidnight)
{
    FakeClock clock;
    clock.setStart(QDateTime(QDate(2026, 3, 1), QTime(23, 50, 0)));
    LogPacing pacing(clock);
    pacing.restart();

    int shortest = std::numeric_limits<int>::max();
    const int ticks = 1200; // one hour at 3 s, over midnight
    const qint64 last = RunTicks(clock, pacing, 3, ticks, 25, &shortest);

    ASSERT_EQ(QDate(2026, 3, 2), clock.now().date());
    EXPECT_EQ(2700, shortest);
    // Tick n (counted from 0) is due at n x 3 s; the last one stays within an
    // interval of its due time instead of drifting by the latency of every tick.
    const qint64 due = qint64 { ticks - 1 } * 3000;
    EXPECT_LT(std::llabs(last - due), 3000) << "last tick " << last << " due " << due;
}

TEST(LogPacingTest, ASampleTimeBelowOneSecondCountsAsOneSecond)
{
    FakeClock clock;
    LogPacing pacing(clock);
    pacing.restart();
    EXPECT_EQ(1000, pacing.nextIntervalMs(0));
    EXPECT_EQ(1000, pacing.nextIntervalMs(-5));
    clock.advance(60000);
    EXPECT_EQ(700, pacing.nextIntervalMs(0));
}

TEST(LogPacingTest, AHugeSampleTimeDoesNotOverflowTheTimerInterval)
{
    FakeClock clock;
    LogPacing pacing(clock);
    pacing.restart();
    EXPECT_EQ(
        std::numeric_limits<int>::max(), pacing.nextIntervalMs(std::numeric_limits<int>::max()));
}

} // namespace
