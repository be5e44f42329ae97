#pragma once

#include "core/Waiter.h"

class Clock;

// Waits in a local event loop that a single-shot timer quits; the end is checked
// on the monotonic clock, so the wait neither spins nor ends early.
class EventLoopWaiter : public Waiter {
public:
    explicit EventLoopWaiter(const Clock& clock);
    void waitMs(qint64 ms) override;

private:
    const Clock& m_clock;
};
