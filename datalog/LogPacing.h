#pragma once

#include "core/Clock.h"

#include <QtGlobal>

// Keeps the live-log timer on its cadence: every tick asks for the next timer
// interval, which is one sampling time, or 300 ms less when the tick came later
// than its due time. Due times count from the last restart on the monotonic
// clock, so the cadence holds across midnight and clock changes.
class LogPacing {
public:
    static constexpr int kLateCorrectionMs = 300;

    explicit LogPacing(const Clock& clock);

    // Starts counting afresh from now (on connecting and on a new sampling time).
    void restart();

    // The interval to arm the timer with after this tick; counts the tick.
    // A sampling time below one second counts as one second.
    int nextIntervalMs(int sampleTime);

    qint64 PacingCount() const { return m_count; }

private:
    const Clock& m_clock;
    qint64 m_baseMs = 0;
    qint64 m_count = 0;
};
