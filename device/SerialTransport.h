#pragma once

#include <QByteArray>

// The serial line as the link uses it. Implementations swallow every failure:
// open() reports it, the other calls do nothing on a closed or broken port.
class SerialTransport {
public:
    virtual ~SerialTransport() = default;
    virtual void setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual void discardBuffers() = 0;
    virtual void write(const QByteArray& bytes) = 0;
    virtual QByteArray readAll() = 0;
};
