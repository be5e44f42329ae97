#pragma once

#include <QString>
#include <QtGlobal>

class SerialTransport;

// How long a transaction waits for its reply, and how pauses scale. Tests and
// the accelerated demo shorten them; the supply needs the real values.
struct LinkTiming {
    qint64 transactionMs = 150;
    qint64 promMs = 250; // "PROM" carries the longest line
    double delayScale = 1.0;
};

// The one way to the wire: an exchange writes one command line and, once its
// full time has passed (timed by the caller, see SupplyLine), reads whatever
// arrived and closes the port again. An open port means an exchange is in
// progress.
class DeviceLink {
public:
    explicit DeviceLink(SerialTransport& transport, LinkTiming timing = {});

    void startExchange(const QString& cmd, const QString& params);
    QString finishExchange();
    // How long the exchange of cmd waits for its reply.
    qint64 waitMsFor(const QString& cmd) const;
    // A pause's length on this link's timing.
    qint64 delayMs(double seconds) const;

    // A transaction is in progress (the port is open).
    bool isOpen() const;
    void setPortNumber(int number);
    int portNumber() const;
    // The start-up port search opens a candidate itself; the transaction then
    // finds it open and closes it.
    bool open();
    void close();

    void setTiming(const LinkTiming& timing) { m_timing = timing; }
    const LinkTiming& timing() const { return m_timing; }

private:
    SerialTransport& m_transport;
    LinkTiming m_timing;
    bool m_inTransaction = false;
};
