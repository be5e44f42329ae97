#pragma once

#include "session/PortClaim.h"
#include "session/ProcessLock.h"

#include <QString>

#include <memory>

// The port claim of the panel and the CLI: a process lock on the serial device
// a port number resolves to (through the ports folder's links), held from the
// first command to "ENDS".
class PortLock : public PortClaim {
public:
    explicit PortLock(QString portsFolder, QString lockFolder = {});
    ~PortLock() override;

    // A claim of the device already held keeps it; a refused claim leaves
    // nothing held.
    bool claim(int port) override;
    void release() override;
    bool heldElsewhere(int port) const override { return !refusalFor(port).isEmpty(); }
    // The refusal a claim of port would meet, found without claiming it (the
    // port list, a port change); empty when the port is free or already ours.
    QString refusalFor(int port) const;

    // The device port n stands for, links followed.
    static QString ResolvedDevice(int port, const QString& portsFolder);
    // Why the last claim was refused: "Com5 (/dev/ttyUSB0) is in use by
    // ovolta-panel (pid 1234)"; empty when none was.
    const QString& refusal() const { return m_refusal; }
    // Who holds the port of the last refused claim: "ovolta-panel (pid 1234)".
    const QString& holder() const { return m_holder; }

private:
    QString m_portsFolder;
    QString m_lockFolder;
    std::unique_ptr<ProcessLock> m_lock;
    QString m_device; // the device m_lock is for
    QString m_refusal;
    QString m_holder;
};
