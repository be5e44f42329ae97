#include "device/DeviceLink.h"

#include "sim/SimTransport.h"
#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

struct LinkFixture : ::testing::Test {
    // One whole exchange, as the line runs it (the wait is the line's timer).
    QString exchange(const QString& cmd, const QString& params)
    {
        link.startExchange(cmd, params);
        return link.finishExchange();
    }

    FakeClock clock;
    SimTransport transport { clock };
    VirtualSupply& supply = transport.attachSupply(1);
    DeviceLink link { transport };
};

} // namespace

TEST_F(LinkFixture, AnExchangeWritesFourLettersAndCrAndClosesThePortAfterTheReply)
{
    link.setPortNumber(1);
    EXPECT_EQ(exchange("GMAX", ""), "360510\rOK\r");
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(exchange("VOLT", "125"), "OK\r");
    EXPECT_EQ(transport.written(), "GMAX\rVOLT125\r");
    EXPECT_EQ(transport.openCount(), 2);
    EXPECT_EQ(transport.closeCount(), 2);
}

// No device: an empty reply and nothing written. The port search opens the port
// itself; what is already waiting there is not the reply.
TEST_F(LinkFixture, NoDeviceGivesAnEmptyReplyAndStaleDataIsNotTheReply)
{
    link.setPortNumber(2);
    EXPECT_EQ(exchange("GMAX", ""), "");
    EXPECT_TRUE(transport.written().isEmpty());
    link.setPortNumber(1);
    ASSERT_TRUE(transport.open());
    transport.write("GMAX\r");
    EXPECT_EQ(exchange("SESS", ""), "OK\r");
}

// Only "PROM" waits longer; pauses scale with the timing.
TEST_F(LinkFixture, EveryExchangeWaitsItsFullTimeAndPausesScale)
{
    for (const auto& [cmd, ms] : { std::pair { "PROM", 250 }, std::pair { "PROm", 150 },
             std::pair { "PRO", 150 }, std::pair { "GETD", 150 } })
        EXPECT_EQ(link.waitMsFor(QString::fromLatin1(cmd)), ms) << cmd;
    EXPECT_EQ(link.delayMs(0.1), 100);
    link.setTiming({ 150, 250, 0.5 });
    EXPECT_EQ(link.delayMs(0.1), 50);
}
