#include "device/DeviceLink.h"
#include "device/QtSerialTransport.h"
#include "tests/support/QtPrinting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

// The real serial path: QSerialPort on the pseudo-terminal of ovolta-sim, at
// real timing.
namespace {

class SerialLink : public ::testing::Test {
protected:
    void startSim(const QStringList& extra = {})
    {
        const QString sim = QDir(QCoreApplication::applicationDirPath()).filePath("../ovolta-sim");
        if (!QFileInfo::exists(sim))
            GTEST_SKIP() << "ovolta-sim not built";
        process.start(sim, QStringList { "--data-dir", dir.path(), "--port", "2" } + extra);
        ASSERT_TRUE(process.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return QFileInfo(dir.filePath("ports/Com2")).isSymLink(); }, 10000));
        link.setPortNumber(2);
    }
    void TearDown() override
    {
        process.terminate();
        process.waitForFinished(5000);
    }

    QTemporaryDir dir;
    QProcess process;
    QtSerialTransport transport { dir.filePath("ports") };
    DeviceLink link { transport };

    // One exchange at real timing: written, its full wait, read.
    QString exchange(const QString& cmd, const QString& params)
    {
        link.startExchange(cmd, params);
        QTest::qWait(static_cast<int>(link.waitMsFor(cmd)));
        return link.finishExchange();
    }
};

} // namespace

TEST_F(SerialLink, ATransactionOnThePseudoTerminal)
{
    startSim();
    EXPECT_EQ(exchange("GMAX", ""), "360510\rOK\r");
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(exchange("VOLT", "125"), "OK\r");
    EXPECT_EQ(exchange("GETS", "").left(6), "125100");
    EXPECT_EQ(exchange("ENDS", ""), "\rOK\r");
}

TEST_F(SerialLink, ASplitReplyWithinTheWaitArrivesWhole)
{
    startSim({ "--fault", "split:40" });
    EXPECT_EQ(exchange("GMAX", ""), "360510\rOK\r");
}

TEST_F(SerialLink, ALateReplyIsNotTakenForTheNextOne)
{
    startSim({ "--fault", "late:250" });
    EXPECT_EQ(exchange("GMAX", ""), "");
    QTest::qWait(300); // the late reply lands while the port is closed
    const QString next = exchange("GMOD", "");
    EXPECT_FALSE(next.startsWith("360510")) << next.toStdString();
}

TEST_F(SerialLink, AnUnpluggedAdapterComesBackWithoutARestart)
{
    startSim();
    EXPECT_EQ(exchange("GMAX", ""), "360510\rOK\r");
    ::kill(static_cast<pid_t>(process.processId()), SIGUSR2); // re-created under the same name
    QTest::qWait(300);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QFileInfo(dir.filePath("ports/Com2")).isSymLink(); }, 5000));
    EXPECT_EQ(exchange("GMAX", ""), "360510\rOK\r");
}

TEST_F(SerialLink, NoDeviceGivesAnEmptyReply)
{
    link.setPortNumber(9); // nothing in ports/, no /dev/ttyUSB8 here
    if (QFileInfo::exists("/dev/ttyUSB8"))
        GTEST_SKIP();
    EXPECT_EQ(exchange("GMAX", ""), "");
}
