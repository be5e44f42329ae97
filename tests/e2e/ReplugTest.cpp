// The adapter pulled out and plugged in again under the same name while the
// real panel runs: the panel goes on polling the new terminal without a
// restart. The simulator re-creates its pseudo-terminal on SIGUSR2 and stops
// answering on SIGUSR1 (the cable out); its trace file shows every line it got.

#include "tests/e2e/SimFixture.h"

namespace {

class Replug : public SimFixture {
protected:
    Replug()
        : SimFixture({ "--load", "10" })
    {
    }
    void SetUp() override
    {
        SimFixture::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            start(panel, "ovolta-panel", {});
    }
    // Waits for more polls than there were.
    bool morePolls(qsizetype more)
    {
        return waitForCommand("GETD", commands().count("GETD") + more);
    }
};

} // namespace

TEST_F(Replug, PanelKeepsPollingAfterTheAdapterIsPluggedInAgain)
{
    ASSERT_TRUE(waitForCommand("GETD", 3));
    const QString firstTerminal = QFileInfo(dir.filePath("ports/Com1")).symLinkTarget();

    sim.signal(SIGUSR2);
    ASSERT_TRUE(sim.waitForOutput("Com1 -> ", 2));
    ASSERT_TRUE(morePolls(4));
    EXPECT_NE(QFileInfo(dir.filePath("ports/Com1")).symLinkTarget(), firstTerminal);
    EXPECT_EQ(panel.state(), QProcess::Running);

    // Twice more, one right after the other (a signal that arrives while the
    // first is pending would merge with it).
    sim.signal(SIGUSR2);
    ASSERT_TRUE(sim.waitForOutput("Com1 -> ", 3));
    sim.signal(SIGUSR2);
    ASSERT_TRUE(sim.waitForOutput("Com1 -> ", 4));
    ASSERT_TRUE(morePolls(3));

    // The window still closes the normal way, over the new terminal.
    endsWith(panel, SIGTERM);
}

TEST_F(Replug, PanelKeepsPollingThroughACableOutAndIn)
{
    ASSERT_TRUE(waitForCommand("GETD", 3));
    sim.signal(SIGUSR1); // cable out: lines arrive, nothing answers
    ASSERT_TRUE(sim.waitForOutput("unplugged"));
    const qsizetype unpluggedAt = commands().size();
    ASSERT_TRUE(morePolls(3)) << "the panel stopped asking";

    sim.signal(SIGUSR1);
    ASSERT_TRUE(sim.waitForOutput("plugged in"));
    ASSERT_TRUE(morePolls(3));
    EXPECT_EQ(panel.state(), QProcess::Running);
    // Nothing but polls while nobody answered: no reconnection of its own.
    const QStringList heard = commands().mid(unpluggedAt);
    EXPECT_EQ(heard.count("GMAX"), 0) << heard.join(' ').toStdString();
}
