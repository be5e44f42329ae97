#pragma once

#include "core/Waiter.h"
#include "device/DeviceLink.h"

// The pauses between commands, taken through the link's Delay so that they
// follow its timing like every other wait on the line.
class LinkDelayWaiter : public Waiter {
public:
    explicit LinkDelayWaiter(DeviceLink& link)
        : m_link(link)
    {
    }
    void waitMs(qint64 ms) override { m_link.Delay(static_cast<double>(ms) / 1000.0); }

private:
    DeviceLink& m_link;
};
