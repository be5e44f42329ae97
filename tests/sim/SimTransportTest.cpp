#include "sim/SimTransport.h"

#include "tests/sim/QtPrinters.h"
#include "tests/support/FakeClock.h"

#include <gtest/gtest.h>

namespace {

// One exchange the way the panel's transaction does it, on the fake clock.
QByteArray transaction(
    SimTransport& port, FakeClock& clock, const QByteArray& line, qint64 waitMs = 150)
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

SupplyFaults faults(const char* text)
{
    return SupplyFaults::parse(QString::fromLatin1(text), nullptr).value();
}

} // namespace

TEST(SimTransport, AnswersOnTheSelectedPortAndIsOpenOnlyDuringTheExchange)
{
    FakeClock clock;
    SimTransport port(clock);
    port.attachSupply(1, *SupplyModel::find(QStringLiteral("5812")));
    port.attachSupply(4, *SupplyModel::find(QStringLiteral("5810")));
    port.setPortNumber(1);
    EXPECT_EQ(transaction(port, clock, "GMAX"), "360510\rOK\r");
    EXPECT_FALSE(port.isOpen());
    port.setPortNumber(4);
    EXPECT_EQ(port.portNumber(), 4);
    EXPECT_EQ(transaction(port, clock, "GMAX"), "180100\rOK\r");
    EXPECT_EQ(port.openCount(), 2);
    EXPECT_EQ(port.closeCount(), 2);
    EXPECT_EQ(port.written(), "GMAX\rGMAX\r");
    EXPECT_EQ(port.supply(1)->receivedLines(), QList<QByteArray> { "GMAX" });
    EXPECT_EQ(port.supply(4)->receivedLines(), QList<QByteArray> { "GMAX" });
    EXPECT_EQ(port.supply(2), nullptr);
}

TEST(SimTransport, ChangingThePortNumberTakesEffectAtTheNextOpen)
{
    FakeClock clock;
    SimTransport port(clock);
    port.attachSupply(1);
    port.attachSupply(2, *SupplyModel::find(QStringLiteral("5810")));
    port.setPortNumber(1);
    ASSERT_TRUE(port.open());
    port.setPortNumber(2);
    port.write("GMOD\r");
    EXPECT_EQ(port.readAll(), "5812\rOK\r");
    port.close();
    EXPECT_EQ(transaction(port, clock, "GMOD"), "5810\rOK\r");
}

TEST(SimTransport, PortsThatCannotBeUsed)
{
    FakeClock clock;
    SimTransport port(clock);
    port.addEmptyPort(2);
    port.attachSupply(3);
    port.setPortBusy(3, true);

    for (const int number : { 2, 3, 9 }) {
        port.setPortNumber(number);
        EXPECT_EQ(transaction(port, clock, "GMAX"), "") << number;
        EXPECT_FALSE(port.isOpen()) << number;
    }
    EXPECT_EQ(port.openCount(), 1); // only the empty port opens
    EXPECT_EQ(port.failedOpenCount(), 2);
    EXPECT_TRUE(port.supply(3)->received().isEmpty());

    port.setPortBusy(3, false);
    port.setPortNumber(3);
    EXPECT_EQ(transaction(port, clock, "GMAX"), "360510\rOK\r");
}

TEST(SimTransport, NothingGoesThroughAClosedPort)
{
    FakeClock clock;
    SimTransport port(clock);
    VirtualSupply& supply = port.attachSupply(1);
    port.setPortNumber(1);
    port.write("VOLT120\r");
    EXPECT_TRUE(supply.received().isEmpty());
    EXPECT_EQ(port.readAll(), "");
    EXPECT_TRUE(port.written().isEmpty());
    port.close(); // closing a closed port is not counted
    EXPECT_EQ(port.closeCount(), 0);
    ASSERT_TRUE(port.open());
    ASSERT_TRUE(port.open()); // already open
    EXPECT_EQ(port.openCount(), 1);
}

TEST(SimTransport, LinesAreCutAtCarriageReturnsAcrossWrites)
{
    FakeClock clock;
    SimTransport port(clock);
    VirtualSupply& supply = port.attachSupply(1);
    port.setPortNumber(1);
    ASSERT_TRUE(port.open());
    port.write("GM");
    EXPECT_EQ(port.readAll(), "");
    port.write("AX\rGMOD\rSES");
    EXPECT_EQ(port.readAll(), "360510\rOK\r5812\rOK\r");
    port.write("S\r");
    EXPECT_EQ(port.readAll(), "OK\r");
    EXPECT_EQ(port.readAll(), ""); // read once only
    EXPECT_EQ(supply.receivedLines(), (QList<QByteArray> { "GMAX", "GMOD", "SESS" }));
}

TEST(SimTransport, SplitReplyArrivesInTwoPieces)
{
    FakeClock clock;
    SimTransport port(clock);
    port.attachSupply(1).setFaults(faults("split:40"));
    port.setPortNumber(1);
    ASSERT_TRUE(port.open());
    port.write("GMAX\r");
    EXPECT_EQ(port.readAll(), "36051");
    clock.advance(39);
    EXPECT_EQ(port.readAll(), "");
    clock.advance(1);
    EXPECT_EQ(port.readAll(), "0\rOK\r");
    port.close();

    // Within the panel's wait both pieces are there.
    EXPECT_EQ(transaction(port, clock, "GMAX"), "360510\rOK\r");
}

TEST(SimTransport, LateReplyMissesTheWaitAndSpoilsTheNextExchange)
{
    FakeClock clock;
    SimTransport port(clock);
    port.attachSupply(1).setFaults(faults("late:300"));
    port.setPortNumber(1);
    EXPECT_EQ(transaction(port, clock, "GMAX"), ""); // t = 150
    clock.advance(100); // t = 250: next exchange starts
    port.discardBuffers();
    ASSERT_TRUE(port.open());
    port.write("GMOD\r");
    clock.advance(150); // t = 400
    EXPECT_EQ(port.readAll(), "360510\rOK\r"); // the reply to the earlier line
    port.close();
}

TEST(SimTransport, LateReplyToAClosedPortIsLost)
{
    FakeClock clock;
    SimTransport port(clock);
    port.attachSupply(1).setFaults(faults("late:300"));
    port.setPortNumber(1);
    EXPECT_EQ(transaction(port, clock, "GMAX"), "");
    clock.advance(500);
    ASSERT_TRUE(port.open());
    EXPECT_EQ(port.readAll(), "");
}

TEST(SimTransport, DiscardDropsWhatArrivedButNotWhatIsStillOnItsWay)
{
    FakeClock clock;
    SimTransport port(clock);
    port.attachSupply(1).setFaults(faults("split:40"));
    port.setPortNumber(1);
    ASSERT_TRUE(port.open());
    port.write("GMAX\r");
    port.discardBuffers();
    clock.advance(40);
    EXPECT_EQ(port.readAll(), "0\rOK\r");
}

TEST(SimTransport, RepliesKeepTheirOrderWhenDelaysOverlap)
{
    FakeClock clock;
    SimTransport port(clock);
    VirtualSupply& supply = port.attachSupply(1);
    port.setPortNumber(1);
    ASSERT_TRUE(port.open());
    supply.setFaults(faults("late:100"));
    port.write("GMOD\r");
    supply.setFaults(faults("late:50"));
    port.write("GMAX\r");
    supply.setFaults({});
    port.write("SESS\r");
    clock.advance(100);
    EXPECT_EQ(port.readAll(), "OK\r360510\rOK\r5812\rOK\r");
}

TEST(SimTransport, SilentAfterSomeLinesLooksLikeAnUnpluggedCable)
{
    FakeClock clock;
    SimTransport port(clock);
    port.attachSupply(1).setFaults(faults("silent-after:2:1"));
    port.setPortNumber(1);
    EXPECT_EQ(transaction(port, clock, "GETD"), "005000500\rOK\r");
    EXPECT_EQ(transaction(port, clock, "GETD"), "005000500\rOK\r");
    EXPECT_EQ(transaction(port, clock, "GETD"), "");
    EXPECT_EQ(transaction(port, clock, "GETD"), "005000500\rOK\r");
}

TEST(SimTransport, ReplacingASupplyForgetsTheOldOnesReplies)
{
    FakeClock clock;
    SimTransport port(clock);
    port.attachSupply(1).setFaults(faults("late:50"));
    port.setPortNumber(1);
    ASSERT_TRUE(port.open());
    port.write("GMAX\r");
    port.attachSupply(1, *SupplyModel::find(QStringLiteral("5914")));
    clock.advance(100);
    EXPECT_EQ(port.readAll(), "");
    port.write("GMAX\r");
    EXPECT_EQ(port.readAll(), "600500\rOK\r");
}
