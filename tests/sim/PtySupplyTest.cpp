#include "sim/PtySupply.h"

#include "core/SteadyClock.h"
#include "tests/support/SimProcess.h"

#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

class PtySupplyTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

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

    QTemporaryDir dir;
    SteadyClock clock;
    VirtualSupply supply { clock };
};

} // namespace

TEST_F(PtySupplyTest, LinksTheTerminalAndAnswersThroughIt)
{
    const auto pty = started();
    const QFileInfo link(pty->linkPath());
    EXPECT_EQ(link.fileName(), "Com1");
    EXPECT_EQ(link.symLinkTarget(), pty->slavePath());
    EXPECT_TRUE(pty->slavePath().startsWith("/dev/pts/"));

    const auto port = OpenTerminal(pty->linkPath());
    EXPECT_EQ(Exchange(*port, "GMAX\r", 10), "360510\rOK\r");
    // The panel closes the port between exchanges; the terminal must survive that.
    port->close();
    EXPECT_EQ(Exchange(*OpenTerminal(pty->linkPath()), "GMOD\r", 8), "5812\rOK\r");
}

TEST_F(PtySupplyTest, AcceptsCrLfAndLinesInPieces)
{
    const auto pty = started();
    const auto port = OpenTerminal(pty->linkPath());
    EXPECT_EQ(Exchange(*port, "GMOD\n", 8), "5812\rOK\r");
    EXPECT_EQ(Exchange(*port, "GMOD\r\n", 8), "5812\rOK\r");
    port->write("GM");
    EXPECT_EQ(Exchange(*port, "OD\r", 8), "5812\rOK\r");
}

TEST_F(PtySupplyTest, BadBytesAreTracedAndIgnored)
{
    const QString trace = dir.filePath("trace.txt");
    const auto pty = started(trace);
    const auto port = OpenTerminal(pty->linkPath());
    const QByteArray noise = QByteArray("\xff\x01ga\\rbage\r", 11) + QByteArray(3000, 'x') + '\r';
    // Nothing answers the noise, so the first bytes back are the reply to GMAX.
    EXPECT_EQ(Exchange(*port, noise + "GMAX\r", 10), "360510\rOK\r");
    const QList<TraceLine> lines = ReadTrace(trace);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.at(0).command, "\\xff\\x01ga\\x5crbage");
    EXPECT_EQ(lines.at(1).command, "GMAX");
}

TEST_F(PtySupplyTest, UnpluggedSupplyHearsNothing)
{
    const auto pty = started();
    const auto port = OpenTerminal(pty->linkPath());
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
    auto port = OpenTerminal(pty->linkPath());
    QSignalSpy lines(pty.get(), &PtySupply::lineReceived);
    port->write("GMAX\r");
    ASSERT_TRUE(lines.wait(5000));
    port.reset();

    QString error;
    ASSERT_TRUE(pty->replug(&error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(pty->linkPath()).symLinkTarget(), pty->slavePath());
    EXPECT_EQ(Exchange(*OpenTerminal(pty->linkPath()), "GMOD\r", 8), "5812\rOK\r");
}

TEST_F(PtySupplyTest, ReplacesAStaleLink)
{
    QDir().mkpath(dir.filePath("ports"));
    const QString link = dir.filePath("ports/Com1");
    ASSERT_TRUE(QFile::link("/nonexistent/tty", link));
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
    ASSERT_TRUE(QFile::link("/dev/null", link));
    pty.reset();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), "/dev/null");
}

// ports/Com1 is a real file: it is not ours to replace. (A data folder that
// cannot be made and an unwritable trace are ovolta-sim's bad starts.)
TEST_F(PtySupplyTest, AFileInTheLinksPlaceIsKept)
{
    QDir().mkpath(dir.filePath("ports"));
    QFile file(dir.filePath("ports/Com1"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    PtySupply pty(clock, supply, dir.path(), 1);
    QString error;
    EXPECT_FALSE(pty.start(&error));
    EXPECT_TRUE(error.contains("exists and is not a link")) << error.toStdString();
    EXPECT_FALSE(pty.isRunning());
    EXPECT_EQ(FileBytes(file.fileName()), "keep me");
}
