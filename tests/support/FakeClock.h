#pragma once

#include "core/Clock.h"

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
