#include "tests/support/FakeTimers.h"

#include <algorithm>
#include <optional>

class FakeTimers::Timer : public LineTimer {
public:
    Timer(FakeTimers& owner, std::function<void()> timeout)
        : owner(owner)
        , timeout(std::move(timeout))
    {
        owner.m_timers.push_back(this);
    }
    ~Timer() override { std::erase(owner.m_timers, this); }
    void start(qint64 ms) override
    {
        due = { owner.m_clock.monotonicMs() + std::max<qint64>(ms, 0), ++owner.m_starts };
    }
    void stop() override { due.reset(); }
    bool isActive() const override { return due.has_value(); }

    FakeTimers& owner;
    std::function<void()> timeout;
    std::optional<std::pair<qint64, quint64>> due; // when, and the order of starting
};

std::unique_ptr<LineTimer> FakeTimers::create(std::function<void()> timeout)
{
    return std::make_unique<Timer>(*this, std::move(timeout));
}

bool FakeTimers::fireNext(qint64 untilMs)
{
    Timer* next = nullptr;
    for (Timer* t : m_timers) {
        if (t->due && t->due->first <= untilMs && (!next || *t->due < *next->due))
            next = t;
    }
    if (!next)
        return false;
    m_clock.advance(next->due->first - m_clock.monotonicMs());
    next->due.reset();
    next->timeout();
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
