#include "core/EventLoopWaiter.h"
#include "core/SteadyClock.h"

#include <QTimer>
#include <gtest/gtest.h>

// The real wait: it serves timers while it waits and never returns early.
TEST(EventLoopWaiter, ServesEventsAndLastsItsFullTime)
{
    SteadyClock clock;
    EventLoopWaiter waiter(clock);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    const qint64 start = clock.monotonicMs();
    waiter.waitMs(150);
    EXPECT_GE(clock.monotonicMs() - start, 150);
    EXPECT_GE(ticks, 3);
}
