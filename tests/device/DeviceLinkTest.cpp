#include "device/DeviceLink.h"
#include "device/SerialTransport.h"
#include "tests/support/FakeClock.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A transport whose replies the test scripts, and which remembers every call.
class ScriptedTransport : public SerialTransport {
public:
    void setPortNumber(int number) override { m_number = number; }
    int portNumber() const override { return m_number; }
    bool open() override
    {
        calls += "open;";
        m_open = opens;
        return m_open;
    }
    void close() override
    {
        calls += "close;";
        m_open = false;
    }
    bool isOpen() const override { return m_open; }
    void discardBuffers() override
    {
        calls += "discard;";
        if (m_open)
            pending.clear();
    }
    void write(const QByteArray& bytes) override
    {
        calls += "write;";
        if (m_open) {
            written += bytes;
            pending += reply;
        }
    }
    QByteArray readAll() override
    {
        calls += "read;";
        return m_open ? std::exchange(pending, {}) : QByteArray();
    }

    bool opens = true;
    QByteArray reply;
    QByteArray pending;
    QByteArray written;
    QString calls;

private:
    int m_number = 1;
    bool m_open = false;
};

struct LinkFixture : ::testing::Test {
    ScriptedTransport transport;
    FakeClock clock;
    FakeWaiter waiter { clock };
    DeviceLink link { transport, waiter };
};

} // namespace

TEST_F(LinkFixture, AnEmptyParameterSendsTheFourLettersAndCr)
{
    transport.reply = "360510\rOK\r";
    EXPECT_EQ(link.FutComm("GMAX", ""), "360510\rOK\r");
    EXPECT_EQ(transport.written, QByteArray("GMAX\r"));
    link.FutComm("VOLT", "125");
    EXPECT_EQ(transport.written, QByteArray("GMAX\rVOLT125\r"));
}

TEST_F(LinkFixture, ThePortIsOpenOnlyDuringATransaction)
{
    transport.reply = "OK\r";
    link.FutComm("SESS", "");
    EXPECT_FALSE(transport.isOpen());
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(transport.calls, "discard;open;discard;write;read;close;");
}

TEST_F(LinkFixture, EveryTransactionWaitsItsFullTime)
{
    const struct {
        const char* cmd;
        qint64 ms;
    } cases[]
        = { { "PROM", 250 }, { "PROm", 150 }, { "prom", 150 }, { "PRO", 150 }, { "GETD", 150 } };
    for (const auto& c : cases) {
        const qint64 before = clock.monotonicMs();
        link.FutComm(QString::fromLatin1(c.cmd), "");
        EXPECT_EQ(clock.monotonicMs() - before, c.ms) << c.cmd;
    }
}

TEST_F(LinkFixture, NoDeviceGivesAnEmptyReplyAfterTheWait)
{
    transport.opens = false;
    transport.reply = "OK\r";
    EXPECT_EQ(link.FutComm("GMAX", ""), "");
    EXPECT_EQ(clock.monotonicMs(), 150);
    EXPECT_TRUE(transport.written.isEmpty());
}

TEST_F(LinkFixture, DataLeftFromAnEarlierExchangeIsDiscarded)
{
    // The port search opens the port itself; what is already waiting there is not the reply.
    transport.open();
    transport.pending = "stale\r";
    transport.reply = "OK\r";
    EXPECT_EQ(link.FutComm("SESS", ""), "OK\r");
}

TEST_F(LinkFixture, ATransactionStartedInsideTheWaitDoesNotDisturbIt)
{
    transport.reply = "OK\r";
    QString inner = "not run";
    QTimer::singleShot(0, [&] { inner = link.FutComm("GETD", ""); });
    EXPECT_EQ(link.FutComm("SESS", ""), "OK\r");
    EXPECT_EQ(inner, "");
    EXPECT_EQ(transport.written, QByteArray("SESS\r"));
}

TEST_F(LinkFixture, DelayKeepsTheWindowAliveAndScales)
{
    bool served = false;
    QTimer::singleShot(0, [&] { served = true; });
    link.Delay(0.1);
    EXPECT_TRUE(served);
    EXPECT_EQ(clock.monotonicMs(), 100);
    link.setTiming({ 150, 250, 0.5 });
    link.Delay(0.1);
    EXPECT_EQ(clock.monotonicMs(), 150);
    link.Delay(-1);
    EXPECT_EQ(clock.monotonicMs(), 150);
}
