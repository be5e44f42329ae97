#pragma once

#include "core/Clock.h"
#include "sim/LineAssembler.h"
#include "sim/VirtualSupply.h"

#include <QFile>
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

// A stand-in supply on a pseudo-terminal, reachable as DATA/ports/Com<N>, so the
// panel can open it like a serial port. Lines arrive through the event loop;
// split and late replies go out later on timers.
class PtySupply : public QObject {
    Q_OBJECT
public:
    PtySupply(const Clock& clock, VirtualSupply& supply, const QString& dataDir, int port,
        QObject* parent = nullptr);
    ~PtySupply() override;

    // Writes "<ms> <line>" per received line into the file (escaped, flushed).
    bool setTrace(const QString& path, QString* error);
    // Creates the ports folder, the pseudo-terminal and the link.
    bool start(QString* error);
    // Removes the link (when it is still ours) and the pseudo-terminal.
    void stop();
    // Unplug and plug in again: a new pseudo-terminal under the same name.
    bool replug(QString* error);
    // Cable out or back in: while unplugged lines go nowhere and nothing answers.
    void setUnplugged(bool unplugged) { m_unplugged = unplugged; }
    bool unplugged() const { return m_unplugged; }

    QString linkPath() const;
    QString slavePath() const { return m_slavePath; }
    bool isRunning() const { return m_master >= 0; }

Q_SIGNALS:
    void lineReceived(const QByteArray& line);

private:
    bool openTerminal(QString* error);
    bool makeLink(QString* error);
    void closeTerminal();
    void readMaster();
    void handleLine(const QByteArray& line);
    void writeMaster(const QByteArray& bytes);
    void traceLine(const QByteArray& line);

    const Clock& m_clock;
    VirtualSupply& m_supply;
    QString m_dataDir;
    int m_port = 0;
    int m_master = -1;
    int m_slave = -1; // held open so the master never reads EIO when the panel closes
    QString m_slavePath;
    quint64 m_generation = 0; // replies meant for an earlier terminal are dropped
    bool m_unplugged = false;
    LineAssembler m_lines;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QFile> m_trace;
};
