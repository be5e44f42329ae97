#include "session/PortLock.h"

#include "device/PortMap.h"

#include <QFileInfo>

#include <utility>

namespace {

QString RefusalText(int port, const QString& device, const ProcessLock& lock)
{
    return QStringLiteral("%1 (%2) is in use by %3")
        .arg(PortMap::PortName(port), device, lock.holderText());
}

} // namespace

PortLock::PortLock(QString portsFolder, QString lockFolder)
    : m_portsFolder(std::move(portsFolder))
    , m_lockFolder(lockFolder.isEmpty() ? ProcessLock::RuntimeFolder() : std::move(lockFolder))
{
}

PortLock::~PortLock() = default;

QString PortLock::ResolvedDevice(int port, const QString& portsFolder)
{
    const QString path = PortMap::DevicePath(port, portsFolder);
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

bool PortLock::claim(int port)
{
    const QString device = ResolvedDevice(port, m_portsFolder);
    // Let go even for a moment, the device could go to another program
    // between two claims of it (the search's, then the connection's).
    if (m_lock && device == m_device)
        return true;
    release();
    auto lock = std::make_unique<ProcessLock>(device, m_lockFolder);
    if (!lock->tryLock()) {
        m_holder = lock->holderText();
        m_refusal = RefusalText(port, device, *lock);
        return false;
    }
    m_lock = std::move(lock);
    m_device = device;
    return true;
}

void PortLock::release()
{
    m_lock.reset();
    m_device.clear();
}

QString PortLock::refusalFor(int port) const
{
    const QString device = ResolvedDevice(port, m_portsFolder);
    if (m_lock && device == m_device)
        return {};
    const ProcessLock lock(device, m_lockFolder);
    return lock.heldByAnother() ? RefusalText(port, device, lock) : QString();
}
