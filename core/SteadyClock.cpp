#include "core/SteadyClock.h"

SteadyClock::SteadyClock()
{
    m_timer.start();
}

qint64 SteadyClock::monotonicMs() const
{
    return m_timer.elapsed();
}

QDateTime SteadyClock::now() const
{
    return QDateTime::currentDateTime();
}
