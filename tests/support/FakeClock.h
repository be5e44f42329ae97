#pragma once

#include "core/Clock.h"
#include "core/Waiter.h"

// A clock that moves only when told to; now() starts at a fixed date and time.
class FakeClock : public Clock {
public:
    qint64 monotonicMs() const override { return m_ms; }
    QDateTime now() const override { return m_start.addMSecs(m_ms); }
    void advance(qint64 ms) { m_ms += ms; }
    void setStart(const QDateTime& start) { m_start = start; }

private:
    qint64 m_ms = 0;
    QDateTime m_start { QDate(2026, 1, 15), QTime(10, 30, 0) };
};

// A wait that passes at once on the fake clock. It serves pending events first,
// as the real wait does, so handlers can run inside a wait in tests too.
class FakeWaiter : public Waiter {
public:
    explicit FakeWaiter(FakeClock& clock)
        : m_clock(clock)
    {
    }
    void waitMs(qint64 ms) override;
    qint64 totalWaitedMs() const { return m_total; }

private:
    FakeClock& m_clock;
    qint64 m_total = 0;
};
