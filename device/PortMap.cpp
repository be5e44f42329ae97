#include "device/PortMap.h"

#include <QDir>
#include <QFileInfo>

QString PortMap::DevicePath(int number, const QString& portsFolder)
{
    if (!portsFolder.isEmpty()) {
        QString entry = QDir(portsFolder).filePath(PortName(number));
        const QFileInfo info(entry);
        if (info.exists() || info.isSymLink())
            return entry;
    }
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    if (number >= 1 && number <= 16)
        return QStringLiteral("/dev/ttyUSB%1").arg(number - 1);
    if (number >= 17 && number <= 24)
        return QStringLiteral("/dev/ttyACM%1").arg(number - 17);
    if (number >= 25 && number <= 32)
        return QStringLiteral("/dev/ttyS%1").arg(number - 25);
    return {};
#endif
}

QString PortMap::PortName(int number)
{
    return QStringLiteral("Com%1").arg(number);
}
