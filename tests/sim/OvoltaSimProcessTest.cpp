#include "tests/sim/QtPrinters.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

constexpr int kStartMs = 10000;
constexpr int kReplyMs = 1000;

QString simBinary()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../ovolta-sim");
}

// Runs the program to its end and hands back its exit code and output.
struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

Finished runToEnd(const QStringList& arguments)
{
    QProcess process;
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(simBinary(), arguments);
    finished.wait(kStartMs);
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromLocal8Bit(process.readAllStandardOutput()),
        QString::fromLocal8Bit(process.readAllStandardError()) };
}

class OvoltaSimProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo(simBinary()).isExecutable())
            GTEST_SKIP() << "ovolta-sim is not built next to the tests";
        ASSERT_TRUE(dir.isValid());
    }

    void TearDown() override
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kStartMs);
        }
    }

    QString link() const { return dir.filePath(QStringLiteral("ports/Com1")); }
    QString trace() const { return dir.filePath(QStringLiteral("trace.txt")); }

    // Waits for the program to print a line containing text.
    bool waitForOutput(const QString& text)
    {
        return QTest::qWaitFor(
            [&]() {
                output += QString::fromLocal8Bit(process.readAllStandardOutput());
                return output.contains(text);
            },
            kStartMs);
    }

    std::unique_ptr<QSerialPort> openLink()
    {
        auto port = std::make_unique<QSerialPort>(link());
        port->setBaudRate(QSerialPort::Baud9600);
        port->setDataBits(QSerialPort::Data8);
        port->setParity(QSerialPort::NoParity);
        port->setStopBits(QSerialPort::OneStop);
        port->setFlowControl(QSerialPort::NoFlowControl);
        EXPECT_TRUE(port->open(QIODevice::ReadWrite)) << qPrintable(port->errorString());
        return port;
    }

    static QByteArray exchange(QSerialPort& port, const QByteArray& line, qsizetype size)
    {
        QByteArray received;
        port.write(line);
        static_cast<void>(QTest::qWaitFor(
            [&]() {
                received += port.readAll();
                return received.size() >= size;
            },
            kReplyMs));
        return received;
    }

    bool endWithSigterm()
    {
        QSignalSpy finished(&process, &QProcess::finished);
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        return finished.wait(kStartMs);
    }

    QTemporaryDir dir;
    QProcess process;
    QString output;
};

} // namespace

TEST_F(OvoltaSimProcess, AnswersOnItsLinkTracesAndCleansUpOnSigterm)
{
    process.start(simBinary(),
        { QStringLiteral("--data-dir"), dir.path(), QStringLiteral("--port"), QStringLiteral("1"),
            QStringLiteral("--trace"), trace() });
    ASSERT_TRUE(waitForOutput(QStringLiteral("ovolta-sim: Com1 -> /dev/pts/")))
        << qPrintable(output);
    ASSERT_TRUE(QFileInfo(link()).isSymLink());

    auto port = openLink();
    EXPECT_EQ(exchange(*port, "GMAX\r", 10), "360510\rOK\r");
    port.reset();

    QFile file(trace());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString traced = QString::fromLatin1(file.readAll());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+ GMAX\\n$")).match(traced).hasMatch())
        << qPrintable(traced);

    ASSERT_TRUE(endWithSigterm());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link()).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(link()));
}

TEST_F(OvoltaSimProcess, UnplugAndReplugOnSignals)
{
    process.start(simBinary(),
        { QStringLiteral("--data-dir"), dir.path(), QStringLiteral("--port"), QStringLiteral("1"),
            QStringLiteral("--model"), QStringLiteral("5810"), QStringLiteral("--trace"),
            trace() });
    ASSERT_TRUE(waitForOutput(QStringLiteral("Com1 -> "))) << qPrintable(output);
    auto port = openLink();

    ::kill(static_cast<pid_t>(process.processId()), SIGUSR1);
    ASSERT_TRUE(waitForOutput(QStringLiteral("unplugged")));
    port->write("GMAX\r");
    ASSERT_TRUE(QTest::qWaitFor(
        [&]() {
            QFile file(trace());
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("GMAX");
        },
        kStartMs));
    ::kill(static_cast<pid_t>(process.processId()), SIGUSR1);
    ASSERT_TRUE(waitForOutput(QStringLiteral("plugged in")));
    // Nothing answered the line sent while unplugged.
    EXPECT_EQ(exchange(*port, "GMOD\r", 8), "5810\rOK\r");
    port.reset();

    output.clear();
    ::kill(static_cast<pid_t>(process.processId()), SIGUSR2);
    ASSERT_TRUE(waitForOutput(QStringLiteral("Com1 -> /dev/pts/")));
    port = openLink();
    EXPECT_EQ(exchange(*port, "GMAX\r", 10), "180100\rOK\r");
    port.reset();

    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    QSignalSpy finished(&process, &QProcess::finished);
    ASSERT_TRUE(finished.wait(kStartMs));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link()).isSymLink());
}

TEST_F(OvoltaSimProcess, BadStartsEndWithAMessageAndAnErrorCode)
{
    QFile notAFolder(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.close();

    const struct {
        QStringList arguments;
        int exitCode;
        const char* mentions;
    } cases[] = {
        { { QStringLiteral("--port"), QStringLiteral("1") }, 2, "--data-dir is required" },
        { { QStringLiteral("--data-dir"), dir.path(), QStringLiteral("--port"),
              QStringLiteral("x") },
            2, "--port must be a number" },
        { { QStringLiteral("--data-dir"), dir.path(), QStringLiteral("--port"), QStringLiteral("1"),
              QStringLiteral("--fault"), QStringLiteral("loud") },
            2, "unknown fault 'loud'" },
        { { QStringLiteral("--data-dir"), notAFolder.fileName(), QStringLiteral("--port"),
              QStringLiteral("1") },
            1, "cannot create the folder" },
        { { QStringLiteral("--data-dir"), dir.path(), QStringLiteral("--port"), QStringLiteral("1"),
              QStringLiteral("--trace"), dir.filePath(QStringLiteral("no/such/trace.txt")) },
            1, "cannot write the trace file" },
    };
    for (const auto& c : cases) {
        const Finished run = runToEnd(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << qPrintable(c.arguments.join(' '));
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("ovolta-sim: "))) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(QString::fromLatin1(c.mentions))) << qPrintable(run.err);
    }
    EXPECT_FALSE(QFileInfo::exists(link()));
}

TEST_F(OvoltaSimProcess, HelpAndVersion)
{
    const Finished help = runToEnd({ QStringLiteral("--help") });
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: ovolta-sim --data-dir DIR --port N")))
        << qPrintable(help.out);
    const Finished version = runToEnd({ QStringLiteral("--version") });
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("ovolta-sim " OVOLTA_VERSION "\n"));
}
