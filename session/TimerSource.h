#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

// A single-shot timer on the monotonic clock. Starting it again restarts it.
class LineTimer {
public:
    virtual ~LineTimer() = default;
    virtual void start(qint64 ms) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// Where the session's timers come from: Qt's timers in the programs, a fake
// clock's in tests and benchmarks, so that hours pass without waiting.
class TimerSource {
public:
    virtual ~TimerSource() = default;
    // The timer calls timeout on this thread each time it runs out.
    virtual std::unique_ptr<LineTimer> create(std::function<void()> timeout) = 0;
};
