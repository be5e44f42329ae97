#include "tests/support/FakeTimers.h"

#include <algorithm>

class FakeTimers::Timer : public LineTimer {
public:
    Timer(FakeTimers& owner, std::function<void()> timeout)
        : m_owner(owner)
        , m_timeout(std::move(timeout))
    {
        m_owner.m_timers.push_back(this);
    }
    ~Timer() override { std::erase(m_owner.m_timers, this); }
    void start(qint64 ms) override
    {
        m_due = m_owner.m_clock.monotonicMs() + std::max<qint64>(ms, 0);
        m_order = ++m_owner.m_starts;
        m_active = true;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

    FakeTimers& m_owner;
    std::function<void()> m_timeout;
    qint64 m_due = 0;
    quint64 m_order = 0;
    bool m_active = false;
};

std::unique_ptr<LineTimer> FakeTimers::create(std::function<void()> timeout)
{
    return std::make_unique<Timer>(*this, std::move(timeout));
}

// Fires the earliest active timer due by untilMs (the first started of those due together).
bool FakeTimers::fireNext(qint64 untilMs)
{
    Timer* next = nullptr;
    for (Timer* t : m_timers) {
        if (t->m_active && t->m_due <= untilMs
            && (!next || std::pair(t->m_due, t->m_order) < std::pair(next->m_due, next->m_order)))
            next = t;
    }
    if (!next)
        return false;
    m_clock.advance(next->m_due - m_clock.monotonicMs());
    next->m_active = false;
    next->m_timeout();
    return true;
}

void FakeTimers::advance(qint64 ms)
{
    const qint64 until = m_clock.monotonicMs() + ms;
    while (fireNext(until)) { }
    m_clock.advance(until - m_clock.monotonicMs());
}

bool FakeTimers::runUntil(const std::function<bool()>& done, qint64 limitMs)
{
    const qint64 until = m_clock.monotonicMs() + limitMs;
    while (!done() && fireNext(until)) { }
    return done();
}
