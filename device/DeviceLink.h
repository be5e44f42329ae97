#pragma once

#include <QString>
#include <QtGlobal>

class SerialTransport;
class Waiter;

// How long a transaction waits for its reply, and how Delay scales. Tests and
// the accelerated demo shorten them; the supply needs the real values.
struct LinkTiming {
    qint64 transactionMs = 150;
    qint64 promMs = 250; // "PROM" carries the longest line
    double delayScale = 1.0;
};

// The one way to the wire. FutComm writes one command line, waits its full
// time while window events keep being served, reads whatever arrived and
// closes the port again: an open port means a transaction is in progress.
class DeviceLink {
public:
    DeviceLink(SerialTransport& transport, Waiter& waiter, LinkTiming timing = {});

    QString FutComm(const QString& cmd, const QString& params);
    void Delay(double seconds);

    // The two halves of FutComm for a caller that waits on its own timer (the
    // asynchronous line): the line is written, and after waitMsFor(cmd) the
    // reply is read and the port closed.
    void startExchange(const QString& cmd, const QString& params);
    QString finishExchange();
    qint64 waitMsFor(const QString& cmd) const;
    // A Delay's length on this link's timing.
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
    qint64 transactionCount() const { return m_transactions; }

private:
    SerialTransport& m_transport;
    Waiter& m_waiter;
    LinkTiming m_timing;
    bool m_inTransaction = false;
    qint64 m_transactions = 0;
};
