#include "datalog/LogPacing.h"

#include <algorithm>
#include <limits>

LogPacing::LogPacing(const Clock& clock)
    : m_clock(clock)
    , m_baseMs(clock.monotonicMs())
{
}

void LogPacing::restart()
{
    m_baseMs = m_clock.monotonicMs();
    m_count = 0;
}

int LogPacing::nextIntervalMs(int sampleTime)
{
    const qint64 periodMs = std::max(sampleTime, 1) * qint64 { 1000 };
    const qint64 dueMs = m_baseMs + m_count * periodMs;
    ++m_count;
    const qint64 interval
        = m_clock.monotonicMs() <= dueMs ? periodMs : periodMs - kLateCorrectionMs;
    return static_cast<int>(std::min<qint64>(interval, std::numeric_limits<int>::max()));
}
