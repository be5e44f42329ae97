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

// The one way tests and benchmarks start ovolta-sim and wait for its port link.
// Free of GoogleTest, so the benchmarks can use it too.

// A program built beside the test programs (in the build's top folder).
inline QString Binary(const char* name)
{
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../%1").arg(QLatin1String(name)));
}

// A line of the simulator's trace file: "<ms> <line>".
struct TraceLine {
    qint64 ms;
    QString command;
};

inline QList<TraceLine> ReadTrace(const QString& path)
{
    QList<TraceLine> lines;
    for (const QByteArray& raw : FileBytes(path).split('\n')) {
        const qsizetype space = raw.indexOf(' ');
        if (space > 0)
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

// ovolta-sim in a process of its own; ended with SIGTERM when dropped.
class SimProcess : public QProcess {
public:
    ~SimProcess() override
    {
        if (state() != NotRunning) {
            terminate();
            if (!waitForFinished(5000))
                kill();
            waitForFinished(5000);
        }
    }

    static bool built() { return QFileInfo::exists(Binary("ovolta-sim")); }

    // Starts it on port N of the data folder (relative to the working folder)
    // and waits until ports/ComN links to its terminal.
    bool startOn(const QString& dataDir, int port, const QStringList& extra = {})
    {
        start(Binary("ovolta-sim"),
            QStringList { "--data-dir", dataDir, "--port", QString::number(port) } + extra);
        const QString link = QDir(workingDirectory())
                                 .filePath(QStringLiteral("%1/ports/Com%2").arg(dataDir).arg(port));
        return waitForStarted(5000)
            && QTest::qWaitFor([&] { return QFileInfo(link).isSymLink(); }, 10000);
    }

    // Waits until what it printed holds text at least count times.
    bool waitForOutput(const QString& text, qsizetype count = 1)
    {
        return QTest::qWaitFor(
            [&] {
                output += QString::fromLocal8Bit(readAllStandardOutput());
                return output.count(text) >= count;
            },
            10000);
    }

    void signal(int number) const { Signal(*this, number); }

    QString output; // standard output read so far by waitForOutput
};

// The terminal behind a ports/ComN link, opened as the panel opens it (9600 8N1).
// One that does not open says why and answers nothing.
inline std::unique_ptr<QSerialPort> OpenTerminal(const QString& path)
{
    auto port = std::make_unique<QSerialPort>(path);
    if (!port->open(QIODevice::ReadWrite))
        qWarning() << path << port->errorString();
    return port;
}

// Writes bytes and collects what comes back until at least size bytes are in
// (or five seconds have passed, which only a stuck test waits).
inline QByteArray Exchange(QSerialPort& port, const QByteArray& bytes, qsizetype size)
{
    port.write(bytes);
    QByteArray received;
    static_cast<void>(QTest::qWaitFor(
        [&] {
            received += port.readAll();
            return received.size() >= size;
        },
        5000));
    return received;
}
