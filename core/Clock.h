#pragma once

#include <QDateTime>
#include <QtGlobal>

// Time as the panel sees it. Waits and pacing use the monotonic count, which
// never jumps back (the time of day wraps at midnight); dates and times that the
// user sees or that are stored come from now().
class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 monotonicMs() const = 0;
    virtual QDateTime now() const = 0;
};
