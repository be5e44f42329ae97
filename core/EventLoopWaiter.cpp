#include "core/EventLoopWaiter.h"

#include "core/Clock.h"

#include <QEventLoop>
#include <QTimer>

EventLoopWaiter::EventLoopWaiter(const Clock& clock)
    : m_clock(clock)
{
}

void EventLoopWaiter::waitMs(qint64 ms)
{
    const qint64 end = m_clock.monotonicMs() + ms;
    for (qint64 left = ms; left > 0; left = end - m_clock.monotonicMs()) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(static_cast<int>(left));
        loop.exec();
    }
}
