#include "device/QtSerialTransport.h"

#include "device/PortMap.h"

#include <utility>

QtSerialTransport::QtSerialTransport(QString portsFolder)
    : m_portsFolder(std::move(portsFolder))
{
}

void QtSerialTransport::setPortNumber(int number)
{
    if (m_port.isOpen())
        m_port.close();
    m_number = number;
}

bool QtSerialTransport::open()
{
    if (m_port.isOpen())
        return true;
    const QString device = PortMap::DevicePath(m_number, m_portsFolder);
    if (device.isEmpty())
        return false;
    m_port.setPortName(device);
    if (!m_port.open(QIODevice::ReadWrite))
        return false;
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    return true;
}

void QtSerialTransport::close()
{
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialTransport::isOpen() const
{
    return m_port.isOpen();
}

void QtSerialTransport::discardBuffers()
{
    if (m_port.isOpen()) {
        m_port.clear();
        m_port.readAll();
    }
}

void QtSerialTransport::write(const QByteArray& bytes)
{
    if (m_port.isOpen()) {
        m_port.write(bytes);
        m_port.flush();
    }
}

QByteArray QtSerialTransport::readAll()
{
    if (!m_port.isOpen())
        return {};
    // Bytes the event loop has not fetched yet are taken too.
    m_port.waitForReadyRead(0);
    return m_port.readAll();
}
