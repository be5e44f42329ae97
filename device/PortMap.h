#pragma once

#include <QString>

// Serial port numbers 1 to 32 and the devices behind them. Port n is the entry
// "Com<n>" of the ports folder when that entry exists (a link to a device or a
// device node), so a user can point the panel at an adapter with any name.
// Otherwise Com1-Com16 are /dev/ttyUSB0-15, Com17-Com24 /dev/ttyACM0-7 and
// Com25-Com32 /dev/ttyS0-7 (COM<n> on Windows).
class PortMap {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 32;

    static QString DevicePath(int number, const QString& portsFolder);
    // "Com3" for 3: the text the port list shows.
    static QString PortName(int number);
};
