#include "sim/PtySupply.h"

#include "core/SteadyClock.h"
#include "tests/support/SimProcess.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct PtySupplyTest : ::testing::Test {
    std::unique_ptr<PtySupply> started(const QString& trace = {})
    {
        auto pty = std::make_unique<PtySupply>(clock, supply, dir.path(), 1);
        QString error;
        EXPECT_TRUE(trace.isEmpty() || pty->setTrace(trace, &error)) << error.toStdString();
        EXPECT_TRUE(pty->start(&error)) << error.toStdString();
        return pty;
    }
    QString link() const { return dir.filePath("ports/Com1"); }

    QTemporaryDir dir;
    SteadyClock clock;
    VirtualSupply supply { clock };
};

} // namespace

// Noise and an overlong line are traced and ignored; an unplugged supply hears a line and
// neither answers nor acts on it.
TEST_F(PtySupplyTest, AnswersThroughItsLinkAndTracesEveryLine)
{
    const auto pty = started(dir.filePath("trace.txt"));
    EXPECT_EQ(pty->linkPath(), link());
    auto port = OpenTerminal(link());
    const QByteArray noise = QByteArray("\xff\x01ga\\rbage\r", 11) + QByteArray(3000, 'x') + '\r';
    EXPECT_EQ(Exchange(*port, noise + "GMAX\r", 10), "360510\rOK\r");
    QSignalSpy lines(pty.get(), &PtySupply::lineReceived);
    pty->setUnplugged(true);
    port->write("VOLT120\r");
    ASSERT_TRUE(lines.wait(5000));
    pty->setUnplugged(false);
    EXPECT_EQ(Exchange(*port, "GETS\r", 10), "050100\rOK\r");
    EXPECT_EQ(Commands(ReadTrace(dir.filePath("trace.txt"))),
        QStringList({ "\\xff\\x01ga\\x5crbage", "GMAX", "VOLT120", "GETS" }));
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

    ASSERT_TRUE(QFile::remove(link()) && WriteFile(link(), "keep me"));
    PtySupply blocked(clock, supply, dir.path(), 1);
    QString error;
    EXPECT_FALSE(blocked.start(&error));
    EXPECT_TRUE(error.contains("exists and is not a link")) << error.toStdString();
    EXPECT_FALSE(blocked.isRunning());
    EXPECT_EQ(FileBytes(link()), "keep me");
}

// Bad starts end at once: a bad command line with exit 2, a folder or trace file it cannot make
// with exit 1. SIGTERM ends it with exit 0 and its link gone.
TEST(OvoltaSimProcess, StartsThatEndAtOnceAndSigterm)
{
    if (!SimProcess::built())
        GTEST_SKIP() << "ovolta-sim is not built next to the tests";
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("file"), {}));
    const std::tuple<QStringList, int, QString> cases[] = {
        { { "--data-dir", dir.path() }, 2, "ovolta-sim: --port is required" },
        { { "--data-dir", dir.filePath("file"), "--port", "1" }, 1,
            "ovolta-sim: cannot create the folder" },
        { { "--data-dir", dir.path(), "--port", "1", "--trace", dir.filePath("no/such/t.txt") }, 1,
            "ovolta-sim: cannot write the trace file" },
    };
    for (const auto& [arguments, exitCode, says] : cases) {
        QProcess process;
        process.start(Binary("ovolta-sim"), arguments);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), exitCode);
        const QString said = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_TRUE(said.startsWith(says)) << said.toStdString();
    }
    const QString link = dir.filePath("ports/Com1");
    EXPECT_FALSE(QFileInfo::exists(link));
    SimProcess sim;
    ASSERT_TRUE(sim.startOn(dir.path(), 1));
    ASSERT_TRUE(sim.waitForOutput("ovolta-sim: Com1 -> /dev/pts/")) << sim.output.toStdString();
    sim.signal(SIGTERM);
    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).exists() || QFileInfo(link).isSymLink());
}
