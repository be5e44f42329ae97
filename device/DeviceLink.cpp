#include "device/DeviceLink.h"

#include "device/SerialTransport.h"

#include <cmath>

DeviceLink::DeviceLink(SerialTransport& transport, LinkTiming timing)
    : m_transport(transport)
    , m_timing(timing)
{
}

void DeviceLink::startExchange(const QString& cmd, const QString& params)
{
    m_inTransaction = true;
    m_transport.discardBuffers();
    if (!m_transport.isOpen())
        m_transport.open();
    // Whatever an earlier exchange left behind (a late reply) is not ours.
    m_transport.discardBuffers();
    m_transport.write((cmd + params + QLatin1Char('\r')).toLatin1());
}

QString DeviceLink::finishExchange()
{
    const QByteArray reply = m_transport.readAll();
    m_transport.close();
    m_inTransaction = false;
    return QString::fromLatin1(reply);
}

qint64 DeviceLink::waitMsFor(const QString& cmd) const
{
    return cmd == QLatin1String("PROM") ? m_timing.promMs : m_timing.transactionMs;
}

qint64 DeviceLink::delayMs(double seconds) const
{
    return static_cast<qint64>(std::llround(seconds * 1000.0 * m_timing.delayScale));
}

bool DeviceLink::isOpen() const
{
    return m_inTransaction || m_transport.isOpen();
}

void DeviceLink::setPortNumber(int number)
{
    m_transport.setPortNumber(number);
}

int DeviceLink::portNumber() const
{
    return m_transport.portNumber();
}

bool DeviceLink::open()
{
    return m_transport.open();
}

void DeviceLink::close()
{
    m_transport.close();
}
