#pragma once

#include "session/TimerSource.h"
#include "tests/support/FakeClock.h"

#include <functional>
#include <vector>

// Timers on the fake clock: moving it fires each timer due in order, the clock at its time.
class FakeTimers : public TimerSource {
public:
    explicit FakeTimers(FakeClock& clock)
        : m_clock(clock)
    {
    }
    std::unique_ptr<LineTimer> create(std::function<void()> timeout) override;

    void advance(qint64 ms);
    // Fires timers in order until done() holds, none is left or limitMs have passed.
    bool runUntil(const std::function<bool()>& done, qint64 limitMs = 24 * 3600 * 1000);

private:
    class Timer;
    bool fireNext(qint64 untilMs);

    FakeClock& m_clock;
    std::vector<Timer*> m_timers;
    quint64 m_starts = 0;
};
