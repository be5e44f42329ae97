#include "device/DeviceLink.h"
#include "device/QtSerialTransport.h"
#include "tests/support/SimProcess.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// The real serial path: QSerialPort on the pseudo-terminal of ovolta-sim, at
// real timing.
namespace {

class SerialLink : public ::testing::Test {
protected:
    void startSim(const QStringList& extra = {})
    {
        if (!SimProcess::built())
            GTEST_SKIP() << "ovolta-sim not built";
        ASSERT_TRUE(sim.startOn(dir.path(), 2, extra));
        link.setPortNumber(2);
    }
    // One exchange at real timing: written, its full wait, read.
    QString exchange(const QString& cmd, const QString& params = {})
    {
        link.startExchange(cmd, params);
        QTest::qWait(static_cast<int>(link.waitMsFor(cmd)));
        return link.finishExchange();
    }

    QTemporaryDir dir;
    SimProcess sim;
    QtSerialTransport transport { dir.filePath("ports") };
    DeviceLink link { transport };
};

} // namespace

// Re-created under the same name, the terminal answers again without a restart.
TEST_F(SerialLink, TransactionsOnThePseudoTerminalAndAReplug)
{
    startSim();
    EXPECT_EQ(exchange("GMAX"), "360510\rOK\r");
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(exchange("VOLT", "125"), "OK\r");
    EXPECT_EQ(exchange("GETS").left(6), "125100");
    sim.signal(SIGUSR2);
    ASSERT_TRUE(sim.waitForOutput("Com2 -> ", 2));
    EXPECT_EQ(exchange("ENDS"), "\rOK\r");
}

TEST_F(SerialLink, ASplitReplyWithinTheWaitArrivesWhole)
{
    startSim({ "--fault", "split:40" });
    EXPECT_EQ(exchange("GMAX"), "360510\rOK\r");
}

TEST_F(SerialLink, ALateReplyIsNotTakenForTheNextOne)
{
    startSim({ "--fault", "late:250" });
    EXPECT_EQ(exchange("GMAX"), "");
    QTest::qWait(300); // the late reply lands while the port is closed
    const QString next = exchange("GMOD");
    EXPECT_FALSE(next.startsWith("360510")) << next.toStdString();
}

TEST_F(SerialLink, NoDeviceGivesAnEmptyReply)
{
    link.setPortNumber(9); // nothing in ports/, no /dev/ttyUSB8 here
    if (QFileInfo::exists("/dev/ttyUSB8"))
        GTEST_SKIP();
    EXPECT_EQ(exchange("GMAX"), "");
}
