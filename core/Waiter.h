#pragma once

#include <QtGlobal>

// A wait that keeps the window alive: window events (timers, clicks) are served
// while it waits. The link's transaction wait and Delay go through it.
class Waiter {
public:
    virtual ~Waiter() = default;
    virtual void waitMs(qint64 ms) = 0;
};
