#pragma once

#include "core/Clock.h"

#include <QElapsedTimer>

// The real clock: a monotonic elapsed timer and the system's wall clock.
class SteadyClock : public Clock {
public:
    SteadyClock();
    qint64 monotonicMs() const override;
    QDateTime now() const override;

private:
    QElapsedTimer m_timer;
};
