#pragma once

#include "core/Clock.h"
#include "device/SerialTransport.h"
#include "sim/SupplyModel.h"
#include "sim/VirtualSupply.h"

#include <QByteArray>
#include <QList>

#include <map>
#include <memory>

// A serial line in the same process, with stand-in supplies on numbered ports.
// Replies arrive on the injected clock: at once, or later for split and late
// faults. Bytes that arrive while the port is closed are lost, as on a real line.
class SimTransport : public SerialTransport {
public:
    explicit SimTransport(const Clock& clock);
    ~SimTransport() override;

    // A port with a supply on it; replaces whatever the port had.
    VirtualSupply& attachSupply(int port, const SupplyModel& model = SupplyModel::standard());
    // A port that opens but has nothing on the line.
    void addEmptyPort(int port);
    // A port that exists but will not open (in use by another program).
    void setPortBusy(int port, bool busy);
    // The supply on a port, or nullptr.
    VirtualSupply* supply(int port);

    void setPortNumber(int number) override { m_portNumber = number; }
    int portNumber() const override { return m_portNumber; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_openPort != kNoPort; }
    void discardBuffers() override;
    void write(const QByteArray& bytes) override;
    QByteArray readAll() override;

    int openCount() const { return m_opens; }
    int closeCount() const { return m_closes; }
    int failedOpenCount() const { return m_failedOpens; }
    // Every byte written while open, in order.
    const QByteArray& written() const { return m_written; }

private:
    static constexpr int kNoPort = -1;
    struct Arrival {
        qint64 atMs = 0;
        QByteArray bytes;
    };
    struct Port {
        std::unique_ptr<VirtualSupply> supply;
        bool busy = false;
        QByteArray partialLine; // what the supply has of an unfinished line
        QList<Arrival> arrivals; // in order of arrival time
    };

    Port* openPort();
    void dropArrived(Port& port) const;

    const Clock& m_clock;
    std::map<int, Port> m_ports;
    int m_portNumber = 1;
    int m_openPort = kNoPort;
    int m_opens = 0;
    int m_closes = 0;
    int m_failedOpens = 0;
    QByteArray m_written;
};
