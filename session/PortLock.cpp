#include "session/PortLock.h"

#include "device/PortMap.h"

#include <QFileInfo>

#include <utility>

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
    release();
    const QString device = ResolvedDevice(port, m_portsFolder);
    auto lock = std::make_unique<ProcessLock>(device, m_lockFolder);
    if (!lock->tryLock()) {
        m_holder = lock->holderText();
        m_refusal = QStringLiteral("%1 (%2) is in use by %3")
                        .arg(PortMap::PortName(port), device, m_holder);
        return false;
    }
    m_lock = std::move(lock);
    return true;
}

void PortLock::release()
{
    m_lock.reset();
}
