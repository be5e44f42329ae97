#include "sim/SimTransport.h"

#include <algorithm>

SimTransport::SimTransport(const Clock& clock)
    : m_clock(clock)
{
}

SimTransport::~SimTransport() = default;

VirtualSupply& SimTransport::attachSupply(int port, const SupplyModel& model)
{
    Port& slot = m_ports[port];
    slot.supply = std::make_unique<VirtualSupply>(m_clock, model);
    slot.partialLine.clear();
    slot.arrivals.clear();
    return *slot.supply;
}

void SimTransport::addEmptyPort(int port)
{
    m_ports[port];
}

void SimTransport::setPortBusy(int port, bool busy)
{
    m_ports[port].busy = busy;
}

VirtualSupply* SimTransport::supply(int port)
{
    const auto it = m_ports.find(port);
    return it == m_ports.end() ? nullptr : it->second.supply.get();
}

bool SimTransport::open()
{
    if (isOpen())
        return true;
    const auto it = m_ports.find(m_portNumber);
    if (it == m_ports.end() || it->second.busy) {
        ++m_failedOpens;
        return false;
    }
    // Whatever came down the line while nobody listened is gone.
    dropArrived(it->second);
    m_openPort = m_portNumber;
    ++m_opens;
    return true;
}

void SimTransport::close()
{
    if (Port* port = openPort()) {
        dropArrived(*port);
        m_openPort = kNoPort;
        ++m_closes;
    }
}

void SimTransport::discardBuffers()
{
    if (Port* port = openPort())
        dropArrived(*port);
}

void SimTransport::write(const QByteArray& bytes)
{
    Port* port = openPort();
    if (!port)
        return;
    m_written += bytes;
    if (!port->supply)
        return;

    port->partialLine += bytes;
    qsizetype end = 0;
    while ((end = port->partialLine.indexOf('\r')) >= 0) {
        const QByteArray line = port->partialLine.left(end);
        port->partialLine.remove(0, end + 1);
        const qint64 now = m_clock.monotonicMs();
        for (const VirtualSupply::ReplyPiece& piece : port->supply->respond(line)) {
            const Arrival arrival { now + piece.delayMs, piece.bytes };
            // Keep arrivals ordered by time; equal times keep their sending order.
            const auto at
                = std::upper_bound(port->arrivals.begin(), port->arrivals.end(), arrival.atMs,
                    [](qint64 time, const Arrival& queued) { return time < queued.atMs; });
            port->arrivals.insert(at, arrival);
        }
    }
}

QByteArray SimTransport::readAll()
{
    Port* port = openPort();
    if (!port)
        return {};
    const qint64 now = m_clock.monotonicMs();
    QByteArray received;
    while (!port->arrivals.isEmpty() && port->arrivals.first().atMs <= now)
        received += port->arrivals.takeFirst().bytes;
    return received;
}

SimTransport::Port* SimTransport::openPort()
{
    if (m_openPort == kNoPort)
        return nullptr;
    const auto it = m_ports.find(m_openPort);
    return it == m_ports.end() ? nullptr : &it->second;
}

void SimTransport::dropArrived(Port& port) const
{
    const qint64 now = m_clock.monotonicMs();
    port.arrivals.removeIf([now](const Arrival& arrival) { return arrival.atMs <= now; });
}
