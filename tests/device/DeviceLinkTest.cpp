#include "device/DeviceLink.h"
#include "device/SerialTransport.h"

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
    // One whole exchange, as the line runs it (the wait is the line's timer).
    QString exchange(const QString& cmd, const QString& params)
    {
        link.startExchange(cmd, params);
        return link.finishExchange();
    }

    ScriptedTransport transport;
    DeviceLink link { transport };
};

} // namespace

TEST_F(LinkFixture, AnExchangeWritesFourLettersAndCrAndClosesThePortAfterTheReply)
{
    transport.reply = "360510\rOK\r";
    EXPECT_EQ(exchange("GMAX", ""), "360510\rOK\r");
    EXPECT_EQ(transport.calls, "discard;open;discard;write;read;close;");
    EXPECT_FALSE(link.isOpen());
    exchange("VOLT", "125");
    EXPECT_EQ(transport.written, QByteArray("GMAX\rVOLT125\r"));
}

TEST_F(LinkFixture, EveryExchangeWaitsItsFullTimeAndPausesScale)
{
    const struct {
        const char* cmd;
        qint64 ms;
    } cases[]
        = { { "PROM", 250 }, { "PROm", 150 }, { "prom", 150 }, { "PRO", 150 }, { "GETD", 150 } };
    for (const auto& c : cases)
        EXPECT_EQ(link.waitMsFor(QString::fromLatin1(c.cmd)), c.ms) << c.cmd;
    EXPECT_EQ(link.delayMs(0.1), 100);
    link.setTiming({ 150, 250, 0.5 });
    EXPECT_EQ(link.delayMs(0.1), 50);
}

TEST_F(LinkFixture, NoDeviceGivesAnEmptyReply)
{
    transport.opens = false;
    transport.reply = "OK\r";
    EXPECT_EQ(exchange("GMAX", ""), "");
    EXPECT_TRUE(transport.written.isEmpty());
}

TEST_F(LinkFixture, DataLeftFromAnEarlierExchangeIsDiscarded)
{
    // The port search opens the port itself; what is already waiting there is not the reply.
    transport.open();
    transport.pending = "stale\r";
    transport.reply = "OK\r";
    EXPECT_EQ(exchange("SESS", ""), "OK\r");
}
