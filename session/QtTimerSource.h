#pragma once

#include "session/TimerSource.h"

// Single-shot precise QTimers, served by the thread's event loop.
class QtTimerSource : public TimerSource {
public:
    std::unique_ptr<LineTimer> create(std::function<void()> timeout) override;
};
