#include "sim/PtySupply.h"

#include "core/SteadyClock.h"
#include "tests/sim/QtPrinters.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Upper bound for things that happen at once; only a stuck test ever waits this long.
constexpr int kPatienceMs = 5000;

class PtySupplyTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::unique_ptr<PtySupply> started(const QString& trace = QString())
    {
        auto pty = std::make_unique<PtySupply>(clock, supply, dir.path(), 1);
        QString error;
        if (!trace.isEmpty()) {
            EXPECT_TRUE(pty->setTrace(trace, &error)) << qPrintable(error);
        }
        EXPECT_TRUE(pty->start(&error)) << qPrintable(error);
        return pty;
    }

    std::unique_ptr<QSerialPort> openLink(const PtySupply& pty)
    {
        auto port = std::make_unique<QSerialPort>(pty.linkPath());
        port->setBaudRate(QSerialPort::Baud9600);
        port->setDataBits(QSerialPort::Data8);
        port->setParity(QSerialPort::NoParity);
        port->setStopBits(QSerialPort::OneStop);
        port->setFlowControl(QSerialPort::NoFlowControl);
        EXPECT_TRUE(port->open(QIODevice::ReadWrite)) << qPrintable(port->errorString());
        return port;
    }

    // Sends bytes and collects what comes back until at least `size` bytes are in.
    static QByteArray exchange(QSerialPort& port, const QByteArray& bytes, qsizetype size)
    {
        port.write(bytes);
        QByteArray received;
        static_cast<void>(QTest::qWaitFor(
            [&]() {
                received += port.readAll();
                return received.size() >= size;
            },
            kPatienceMs));
        return received;
    }

    static QStringList traceLines(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QTemporaryDir dir;
    SteadyClock clock;
    VirtualSupply supply { clock };
};

} // namespace

TEST_F(PtySupplyTest, LinksTheTerminalAndAnswersThroughIt)
{
    const auto pty = started();
    const QFileInfo link(pty->linkPath());
    EXPECT_EQ(link.fileName(), QStringLiteral("Com1"));
    EXPECT_TRUE(link.isSymLink());
    EXPECT_EQ(link.symLinkTarget(), pty->slavePath());
    EXPECT_TRUE(pty->slavePath().startsWith(QStringLiteral("/dev/pts/")));

    const auto port = openLink(*pty);
    EXPECT_EQ(exchange(*port, "GMAX\r", 10), "360510\rOK\r");
    // The panel closes the port between exchanges; the terminal must survive that.
    port->close();
    const auto again = openLink(*pty);
    EXPECT_EQ(exchange(*again, "GMOD\r", 8), "5812\rOK\r");
}

TEST_F(PtySupplyTest, AcceptsCrLfAndLinesInPieces)
{
    const auto pty = started();
    const auto port = openLink(*pty);
    EXPECT_EQ(exchange(*port, "GMOD\n", 8), "5812\rOK\r");
    EXPECT_EQ(exchange(*port, "GMOD\r\n", 8), "5812\rOK\r");
    port->write("GM");
    EXPECT_EQ(exchange(*port, "OD\r", 8), "5812\rOK\r");
}

TEST_F(PtySupplyTest, BadBytesAreTracedAndIgnored)
{
    const QString trace = dir.filePath(QStringLiteral("trace.txt"));
    const auto pty = started(trace);
    const auto port = openLink(*pty);
    const QByteArray noise = QByteArray("\xff\x01ga\\rbage\r", 11) + QByteArray(3000, 'x') + '\r';
    // Nothing answers the noise, so the first bytes back are the reply to GMAX.
    EXPECT_EQ(exchange(*port, noise + "GMAX\r", 10), "360510\rOK\r");
    const QStringList lines = traceLines(trace);
    ASSERT_EQ(lines.size(), 2) << qPrintable(lines.join('|'));
    EXPECT_TRUE(lines.at(0).endsWith(QStringLiteral(" \\xff\\x01ga\\x5crbage")))
        << qPrintable(lines.at(0));
    EXPECT_TRUE(lines.at(1).endsWith(QStringLiteral(" GMAX")));
    bool isNumber = false;
    lines.at(1).section(QLatin1Char(' '), 0, 0).toLongLong(&isNumber);
    EXPECT_TRUE(isNumber) << qPrintable(lines.at(1));
}

TEST_F(PtySupplyTest, SplitAndLateRepliesArriveWhole)
{
    for (const char* fault : { "split:30", "late:60", "late:20,split:20" }) {
        supply.setFaults(*SupplyFaults::parse(QString::fromLatin1(fault), nullptr));
        const auto pty = started();
        const auto port = openLink(*pty);
        EXPECT_EQ(exchange(*port, "GMAX\r", 10), "360510\rOK\r") << fault;
    }
}

TEST_F(PtySupplyTest, UnpluggedSupplyHearsNothing)
{
    const auto pty = started();
    const auto port = openLink(*pty);
    QSignalSpy lines(pty.get(), &PtySupply::lineReceived);
    pty->setUnplugged(true);
    port->write("VOLT120\r");
    ASSERT_TRUE(lines.wait(kPatienceMs));
    pty->setUnplugged(false);
    // No reply to the unplugged line comes ahead of this one, and it changed nothing.
    EXPECT_EQ(exchange(*port, "GETS\r", 10), "050100\rOK\r");
}

TEST_F(PtySupplyTest, ReplugMakesANewTerminalAndDropsRepliesForTheOldOne)
{
    supply.setFaults(*SupplyFaults::parse(QStringLiteral("late:100"), nullptr));
    const auto pty = started();
    auto port = openLink(*pty);
    QSignalSpy lines(pty.get(), &PtySupply::lineReceived);
    port->write("GMAX\r");
    ASSERT_TRUE(lines.wait(kPatienceMs));
    port.reset();

    QString error;
    ASSERT_TRUE(pty->replug(&error)) << qPrintable(error);
    EXPECT_EQ(QFileInfo(pty->linkPath()).symLinkTarget(), pty->slavePath());
    port = openLink(*pty);
    EXPECT_EQ(exchange(*port, "GMOD\r", 8), "5812\rOK\r");
}

TEST_F(PtySupplyTest, ReplacesAStaleLink)
{
    QDir().mkpath(dir.filePath(QStringLiteral("ports")));
    const QString link = dir.filePath(QStringLiteral("ports/Com1"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/nonexistent/tty"), link));
    const auto pty = started();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), pty->slavePath());
}

TEST_F(PtySupplyTest, StopRemovesOnlyItsOwnLink)
{
    auto pty = started();
    const QString link = pty->linkPath();
    pty->stop();
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_FALSE(pty->isRunning());
    pty->stop(); // twice is harmless

    pty = started();
    // Another instance took the name over meanwhile.
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), link));
    pty.reset();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), QStringLiteral("/dev/null"));
}

TEST_F(PtySupplyTest, SetupFailuresSayWhy)
{
    // ports/Com1 is a real file: it is not ours to replace.
    QDir().mkpath(dir.filePath(QStringLiteral("a/ports")));
    QFile file(dir.filePath(QStringLiteral("a/ports/Com1")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    // The data folder is a file, so ports/ cannot be made in it.
    QFile notAFolder(dir.filePath(QStringLiteral("b")));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.close();

    const struct {
        const char* dataDir;
        const char* mentions;
    } cases[] = { { "a", "exists and is not a link" }, { "b", "cannot create the folder" } };
    for (const auto& c : cases) {
        PtySupply pty(clock, supply, dir.filePath(QString::fromLatin1(c.dataDir)), 1);
        QString error;
        EXPECT_FALSE(pty.start(&error)) << c.dataDir;
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.mentions))) << qPrintable(error);
        EXPECT_FALSE(pty.isRunning());
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "keep me");

    PtySupply pty(clock, supply, dir.path(), 1);
    QString error;
    EXPECT_FALSE(pty.setTrace(dir.filePath(QStringLiteral("missing/trace.txt")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("cannot write the trace file"))) << qPrintable(error);
}
