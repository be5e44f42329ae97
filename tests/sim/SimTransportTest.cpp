#include "sim/SimTransport.h"

#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

// The in-process port with a supply of the standard model on Com1, selected.
class SimTransportTest : public ::testing::Test {
protected:
    SimTransportTest() { port.setPortNumber(1); }

    // One exchange the way the panel's transaction does it, on the fake clock.
    QByteArray transaction(const QByteArray& line, qint64 waitMs = 150)
    {
        port.discardBuffers();
        if (!port.isOpen())
            port.open();
        port.write(line + '\r');
        clock.advance(waitMs);
        const QByteArray reply = port.readAll();
        port.close();
        return reply;
    }
    // Com1's supply gets the faults and the port is opened.
    void openWithFaults(const char* faults)
    {
        supply.setFaults(*SupplyFaults::parse(QString::fromLatin1(faults), nullptr));
        ASSERT_TRUE(port.open());
    }

    FakeClock clock;
    SimTransport port { clock };
    VirtualSupply& supply = port.attachSupply(1);
};

} // namespace

// A new port number takes effect at the next open; the port is open only during the exchange.
TEST_F(SimTransportTest, AnswersOnTheSelectedPort)
{
    port.attachSupply(4, *SupplyModel::find("5810"));
    ASSERT_TRUE(port.open());
    port.setPortNumber(4);
    port.write("GMAX\r");
    EXPECT_EQ(port.readAll(), "360510\rOK\r");
    port.close();
    EXPECT_EQ(transaction("GMAX"), "180100\rOK\r");
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.openCount(), 2);
    EXPECT_EQ(port.closeCount(), 2);
    EXPECT_EQ(port.written(), "GMAX\rGMAX\r");
    EXPECT_EQ(port.supply(4)->receivedLines(), QList<QByteArray> { "GMAX" });
    EXPECT_EQ(port.supply(2), nullptr);
}

TEST_F(SimTransportTest, PortsThatCannotBeUsedAndAClosedPort)
{
    port.write("VOLT120\r"); // closed
    EXPECT_TRUE(port.written().isEmpty());
    port.close(); // closing a closed port is not counted
    EXPECT_EQ(port.closeCount(), 0);
    port.addEmptyPort(2);
    port.attachSupply(3);
    port.setPortBusy(3, true);
    for (const int number : { 2, 3, 9 }) {
        port.setPortNumber(number);
        EXPECT_EQ(transaction("GMAX"), "") << number;
    }
    EXPECT_EQ(port.openCount(), 1); // only the empty port opens
    EXPECT_EQ(port.failedOpenCount(), 2);
    EXPECT_TRUE(port.supply(3)->received().isEmpty());
    port.setPortBusy(3, false);
    port.setPortNumber(3);
    EXPECT_EQ(transaction("GMAX"), "360510\rOK\r");
    EXPECT_TRUE(supply.received().isEmpty());
}

TEST_F(SimTransportTest, LinesAreCutAtCarriageReturnsAcrossWrites)
{
    ASSERT_TRUE(port.open());
    port.write("GM");
    EXPECT_EQ(port.readAll(), "");
    port.write("AX\rGMOD\rSES");
    EXPECT_EQ(port.readAll(), "360510\rOK\r5812\rOK\r");
    port.write("S\r");
    EXPECT_EQ(port.readAll(), "OK\r");
    EXPECT_EQ(port.readAll(), ""); // read once only
}

// A split reply comes in two pieces, both within the panel's wait; what
// arrived is discarded, what is still on its way is not.
TEST_F(SimTransportTest, SplitReplyArrivesInTwoPieces)
{
    openWithFaults("split:40");
    port.write("GMAX\r");
    EXPECT_EQ(port.readAll(), "36051");
    clock.advance(39);
    EXPECT_EQ(port.readAll(), "");
    port.write("GMAX\r");
    port.discardBuffers();
    clock.advance(1);
    EXPECT_EQ(port.readAll(), "0\rOK\r");
    clock.advance(39);
    EXPECT_EQ(port.readAll(), "0\rOK\r");
    port.close();
    EXPECT_EQ(transaction("GMAX"), "360510\rOK\r");
}

TEST_F(SimTransportTest, LateRepliesSpoilTheNextExchangeOrAreLost)
{
    openWithFaults("late:300");
    EXPECT_EQ(transaction("GMAX"), ""); // t = 150
    clock.advance(100); // t = 250: next exchange starts
    port.discardBuffers();
    ASSERT_TRUE(port.open());
    port.write("GMOD\r");
    clock.advance(150); // t = 400
    EXPECT_EQ(port.readAll(), "360510\rOK\r"); // the reply to the earlier line
    port.close();
    clock.advance(500); // the reply to GMOD came to a closed port
    ASSERT_TRUE(port.open());
    EXPECT_EQ(port.readAll(), "");
}

TEST_F(SimTransportTest, RepliesArriveInTimeOrderAndAReplacedSupplysAreGone)
{
    openWithFaults("late:100");
    port.write("GMOD\r");
    supply.setFaults(*SupplyFaults::parse("late:50", nullptr));
    port.write("GMAX\r");
    supply.setFaults({});
    port.write("SESS\r");
    clock.advance(100);
    EXPECT_EQ(port.readAll(), "OK\r360510\rOK\r5812\rOK\r");

    openWithFaults("late:50");
    port.write("GMAX\r");
    port.attachSupply(1, *SupplyModel::find("5914"));
    clock.advance(100);
    EXPECT_EQ(port.readAll(), "");
    port.write("GMAX\r");
    EXPECT_EQ(port.readAll(), "600500\rOK\r");
}
