#include "datalog/LogPacing.h"
#include "tests/support/FakeClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

// Each tick asks for its next interval: a full one when on time, 300 ms less
// when late; below one second counts as one, and a huge one does not overflow.
TEST(LogPacingTest, IntervalsOfOnTimeAndLateTicks)
{
    struct Tick {
        qint64 afterMs;
        int sampleTime;
        int intervalMs;
        bool restartFirst = false; // a new recording counts from now
    };
    constexpr int kMax = std::numeric_limits<int>::max();
    const struct {
        const char* name;
        std::vector<Tick> ticks;
    } cases[] = {
        { "3 s", { { 0, 3, 3000 }, { 2999, 3, 3000 }, { 3001, 3, 3000 }, { 3001, 3, 2700 } } },
        { "late first tick", { { 10001, 10, 9700 } } },
        { "below one second", { { 0, 0, 1000 }, { 0, -5, 1000 }, { 60000, 0, 700 } } },
        { "huge", { { 0, kMax, kMax } } },
        { "restart", { { 50000, 3, 2700 }, { 0, 3, 3000, true }, { 3000, 3, 3000 } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock clock;
        LogPacing pacing(clock);
        pacing.restart();
        for (const Tick& t : c.ticks) {
            if (t.restartFirst)
                pacing.restart();
            clock.advance(t.afterMs);
            EXPECT_EQ(t.intervalMs, pacing.nextIntervalMs(t.sampleTime)) << clock.monotonicMs();
        }
    }
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

} // namespace
