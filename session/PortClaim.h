#pragma once

// Who may talk on a port. The session claims a port before its first command
// there and releases it after "ENDS" (or when a search moves on), so that two
// programs never interleave their commands on one line.
class PortClaim {
public:
    virtual ~PortClaim() = default;
    // Takes the port for this program; false when another program holds it.
    virtual bool claim(int port) = 0;
    virtual void release() = 0;
    // Another program holds the port now (nothing is claimed by asking).
    virtual bool heldElsewhere(int port) const = 0;
};
