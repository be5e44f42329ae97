#include "device/DeviceLink.h"
#include "device/QtSerialTransport.h"
#include "tests/support/SimProcess.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// The real serial path at real timing (the panel's tests run it plain): QSerialPort on the
// pseudo-terminal of ovolta-sim with a split reply (it arrives whole within the wait) and a
// late one (not taken for the next).
TEST(SerialLink, TransactionsOnThePseudoTerminal)
{
    if (!SimProcess::built())
        GTEST_SKIP() << "ovolta-sim not built";
    QTemporaryDir dir;
    QtSerialTransport transport { dir.filePath("ports") };
    DeviceLink link { transport };
    const auto exchange = [&](const QString& cmd, const QString& params = {}) {
        link.startExchange(cmd, params);
        QTest::qWait(static_cast<int>(link.waitMsFor(cmd)));
        return link.finishExchange();
    };
    link.setPortNumber(9); // nothing in ports/, and no /dev/ttyUSB8 on a test machine
    EXPECT_TRUE(QFileInfo::exists("/dev/ttyUSB8") || exchange("GMAX").isEmpty());
    link.setPortNumber(2);
    {
        SimProcess sim;
        ASSERT_TRUE(sim.startOn(dir.path(), 2, { "--fault", "split:40" }));
        EXPECT_EQ(exchange("GMAX"), "360510\rOK\r");
        EXPECT_FALSE(link.isOpen());
    }
    SimProcess sim;
    ASSERT_TRUE(sim.startOn(dir.path(), 2, { "--fault", "late:250" }));
    EXPECT_EQ(exchange("GMAX"), "");
    QTest::qWait(300); // the late reply lands while the port is closed
    EXPECT_FALSE(exchange("GMOD").startsWith("360510"));
}
