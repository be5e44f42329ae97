#pragma once

#include "tests/support/Files.h"
#include "tests/support/QtPrinting.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTest>

#include <csignal>
#include <memory>

inline QString Binary(const char* name)
{
    return QCoreApplication::applicationDirPath() + "/../" + QLatin1String(name);
}

struct TraceLine { // a line "<ms> <line>" of the trace file
    qint64 ms;
    QString command;
};

inline QList<TraceLine> ReadTrace(const QString& path)
{
    QList<TraceLine> lines;
    for (const QByteArray& raw : FileBytes(path).split('\n')) {
        if (const qsizetype space = raw.indexOf(' '); space > 0)
            lines.append({ raw.left(space).toLongLong(), QString::fromLatin1(raw.mid(space + 1)) });
    }
    return lines;
}

inline QStringList Commands(const QList<TraceLine>& trace)
{
    QStringList out;
    for (const TraceLine& t : trace)
        out << t.command;
    return out;
}

inline void Signal(const QProcess& process, int number)
{
    ::kill(static_cast<pid_t>(process.processId()), number);
}

// ovolta-sim in a process of its own (for the benchmarks too); ended when dropped.
class SimProcess : public QProcess {
public:
    ~SimProcess() override
    {
        terminate();
        waitForFinished(5000); // QProcess kills it if it has not ended by then
    }

    static bool built() { return QFileInfo::exists(Binary("ovolta-sim")); }

    // Starts it on port N of the data folder and waits until ports/ComN links to its terminal.
    bool startOn(const QString& dataDir, int port, const QStringList& extra = {})
    {
        start(Binary("ovolta-sim"),
            QStringList { "--data-dir", dataDir, "--port", QString::number(port) } + extra);
        const QString link = QDir(workingDirectory()).filePath(dataDir + "/ports/Com%1").arg(port);
        return waitForStarted(5000)
            && QTest::qWaitFor([&] { return QFileInfo(link).isSymLink(); }, 10000);
    }

    bool waitForOutput(const QString& text, qsizetype count = 1)
    {
        return QTest::qWaitFor(
            [&] { return (output += readAllStandardOutput()).count(text) >= count; }, 10000);
    }

    void signal(int number) const { Signal(*this, number); }

    QString output;
};

// The terminal behind a ports/ComN link, opened as the panel opens it; a failure is logged.
inline std::unique_ptr<QSerialPort> OpenTerminal(const QString& path)
{
    auto port = std::make_unique<QSerialPort>(path);
    if (!port->open(QIODevice::ReadWrite))
        qWarning() << path << port->errorString();
    return port;
}

// Writes bytes and collects what comes back until at least size bytes are in.
inline QByteArray Exchange(QSerialPort& port, const QByteArray& bytes, qsizetype size)
{
    port.write(bytes);
    QByteArray in;
    static_cast<void>(QTest::qWaitFor([&] { return (in += port.readAll()).size() >= size; }, 5000));
    return in;
}
