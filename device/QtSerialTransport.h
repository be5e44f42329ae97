#pragma once

#include "device/SerialTransport.h"

#include <QSerialPort>
#include <QString>

// The real serial line: 9600 baud, 8 data bits, no parity, 1 stop bit, no flow
// control, on the device that the port number maps to.
class QtSerialTransport : public SerialTransport {
public:
    explicit QtSerialTransport(QString portsFolder = {});

    void setPortNumber(int number) override;
    int portNumber() const override { return m_number; }
    bool open() override;
    void close() override;
    bool isOpen() const override;
    void discardBuffers() override;
    void write(const QByteArray& bytes) override;
    QByteArray readAll() override;

private:
    QSerialPort m_port;
    QString m_portsFolder;
    int m_number = 1;
};
