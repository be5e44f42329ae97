#include "tests/support/FakeClock.h"

#include <QCoreApplication>

void FakeWaiter::waitMs(qint64 ms)
{
    QCoreApplication::processEvents();
    m_clock.advance(ms);
    m_total += ms;
}
