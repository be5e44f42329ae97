#include "sim/PtySupply.h"

#include "core/SteadyClock.h"
#include "tests/support/SimProcess.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PtySupplyTest : public ::testing::Test {
protected:
    std::unique_ptr<PtySupply> started(const QString& trace = QString())
    {
        auto pty = std::make_unique<PtySupply>(clock, supply, dir.path(), 1);
        QString error;
        if (!trace.isEmpty()) {
            EXPECT_TRUE(pty->setTrace(trace, &error)) << error.toStdString();
        }
        EXPECT_TRUE(pty->start(&error)) << error.toStdString();
        return pty;
    }
    QString link() const { return dir.filePath("ports/Com1"); }

    QTemporaryDir dir;
    SteadyClock clock;
    VirtualSupply supply { clock };
};

} // namespace

// Noise and an overlong line are traced and ignored; lines may come in pieces;
// the panel closes the port between exchanges and the terminal survives that.
TEST_F(PtySupplyTest, AnswersThroughItsLinkAndTracesEveryLine)
{
    const QString trace = dir.filePath("trace.txt");
    const auto pty = started(trace);
    EXPECT_EQ(pty->linkPath(), link());
    EXPECT_EQ(QFileInfo(link()).symLinkTarget(), pty->slavePath());
    EXPECT_TRUE(pty->slavePath().startsWith("/dev/pts/"));

    auto port = OpenTerminal(link());
    const QByteArray noise = QByteArray("\xff\x01ga\\rbage\r", 11) + QByteArray(3000, 'x') + '\r';
    // Nothing answers the noise, so the first bytes back are the reply to GMAX.
    EXPECT_EQ(Exchange(*port, noise + "GMAX\r", 10), "360510\rOK\r");
    port->write("GM");
    EXPECT_EQ(Exchange(*port, "OD\r\n", 8), "5812\rOK\r");
    port->close();
    EXPECT_EQ(Exchange(*OpenTerminal(link()), "GMOD\r", 8), "5812\rOK\r");
    EXPECT_EQ(Commands(ReadTrace(trace)),
        QStringList({ "\\xff\\x01ga\\x5crbage", "GMAX", "GMOD", "GMOD" }));
}

TEST_F(PtySupplyTest, UnpluggedSupplyHearsNothing)
{
    const auto pty = started();
    const auto port = OpenTerminal(link());
    QSignalSpy lines(pty.get(), &PtySupply::lineReceived);
    pty->setUnplugged(true);
    port->write("VOLT120\r");
    ASSERT_TRUE(lines.wait(5000));
    pty->setUnplugged(false);
    // No reply to the unplugged line comes ahead of this one, and it changed nothing.
    EXPECT_EQ(Exchange(*port, "GETS\r", 10), "050100\rOK\r");
}

TEST_F(PtySupplyTest, ReplugMakesANewTerminalAndDropsRepliesForTheOldOne)
{
    supply.setFaults(*SupplyFaults::parse("late:100", nullptr));
    const auto pty = started();
    auto port = OpenTerminal(link());
    QSignalSpy lines(pty.get(), &PtySupply::lineReceived);
    port->write("GMAX\r");
    ASSERT_TRUE(lines.wait(5000));
    port.reset();
    QString error;
    ASSERT_TRUE(pty->replug(&error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(link()).symLinkTarget(), pty->slavePath());
    EXPECT_EQ(Exchange(*OpenTerminal(link()), "GMOD\r", 8), "5812\rOK\r");
}

// A stale link is replaced; stop removes the link only while it is still its own;
// a real file in the link's place is not ours to replace.
TEST_F(PtySupplyTest, TheLinkIsOnlyEverItsOwn)
{
    QDir().mkpath(dir.filePath("ports"));
    ASSERT_TRUE(QFile::link("/nonexistent/tty", link()));
    auto pty = started();
    EXPECT_EQ(QFileInfo(link()).symLinkTarget(), pty->slavePath());
    pty->stop();
    EXPECT_FALSE(QFileInfo(link()).isSymLink());
    EXPECT_FALSE(pty->isRunning());
    pty->stop(); // twice is harmless

    pty = started();
    ASSERT_TRUE(QFile::remove(link())); // another instance took the name over meanwhile
    ASSERT_TRUE(QFile::link("/dev/null", link()));
    pty.reset();
    EXPECT_EQ(QFileInfo(link()).symLinkTarget(), "/dev/null");

    ASSERT_TRUE(QFile::remove(link()));
    ASSERT_TRUE(WriteFile(link(), "keep me"));
    PtySupply blocked(clock, supply, dir.path(), 1);
    QString error;
    EXPECT_FALSE(blocked.start(&error));
    EXPECT_TRUE(error.contains("exists and is not a link")) << error.toStdString();
    EXPECT_FALSE(blocked.isRunning());
    EXPECT_EQ(FileBytes(link()), "keep me");
}
