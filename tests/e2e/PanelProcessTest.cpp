#include "app/MainFrm.h"
#include "core/SteadyClock.h"
#include "device/QtSerialTransport.h"
#include "session/QtTimerSource.h"
#include "tests/e2e/SimFixture.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <algorithm>
#include <csignal>

// The panel finds the virtual supply on Com1 by itself.
class PanelProcess : public SimFixture { };

TEST_F(PanelProcess, ConnectsPollsAndLeavesRemoteModeOnClose)
{
    start(panel, "ovolta-panel", { "--quit-after", "4500" });
    ASSERT_TRUE(panel.waitForFinished(30000));
    EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(panel.exitCode(), 0);
    const QStringList heard = commands();
    ASSERT_GE(heard.size(), 9) << heard.join(' ').toStdString();
    EXPECT_EQ(heard.mid(0, 8),
        QStringList({ "GMAX", "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM" }));
    EXPECT_EQ(heard.last(), "ENDS");

    // After the first reading at connection the timer polls every 800 ms. A tick delayed by a
    // loaded machine shortens the gap after it (the timer keeps its own schedule), so only the
    // median is held to the period; no gap may be as short as one exchange.
    QList<qint64> polls, gaps;
    for (const TraceLine& t : trace()) {
        if (t.command == "GETD")
            polls << t.ms;
    }
    ASSERT_GE(polls.size(), 4);
    for (qsizetype i = 2; i < polls.size(); ++i)
        gaps << polls[i] - polls[i - 1];
    std::sort(gaps.begin(), gaps.end());
    EXPECT_GE(gaps.first(), 400);
    EXPECT_GE(gaps[gaps.size() / 2], 700);
    EXPECT_LE(gaps[gaps.size() / 2], 1200);
}

// SIGTERM (the desktop session ends) and SIGHUP (the terminal closes) end the
// panel as its close button does, also during start-up: exit 0, "ENDS" last.
TEST_F(PanelProcess, SignalsRunTheSameShutdown)
{
    for (const auto& [number, after, times] :
        { std::tuple { SIGTERM, "SESS", 1 }, std::tuple { SIGHUP, "GETD", 2 } }) {
        SCOPED_TRACE(after);
        const qsizetype before = trace().size();
        start(panel, "ovolta-panel", {});
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return commands().mid(before).count(after) >= times; }, 20000));
        endsWith(panel, number);
    }
}

// A second panel on the data folder names the first and leaves at once: the supply hears only
// the first one's polling. The adapter pulled out and plugged in again under the same name (the
// simulator makes a new terminal on SIGUSR2), twice at once too, or the cable out and in
// (SIGUSR1): the panel goes on polling without a restart and without a reconnection of its own.
TEST_F(PanelProcess, ASecondPanelLeavesAndTheFirstKeepsPollingThroughAReplug)
{
    start(panel, "ovolta-panel", {});
    const auto morePolls
        = [&](qsizetype more) { return waitForCommand("GETD", commands().count("GETD") + more); };
    ASSERT_TRUE(waitForCommand("GETD"));
    const qsizetype before = commands().size();
    start(other, "ovolta-panel", {});
    ASSERT_TRUE(other.waitForFinished(10000));
    EXPECT_EQ(other.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(other.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("The data folder %1 is in use by ovolta-panel (pid %2)")
                                 .arg(dir.path())
                                 .arg(panel.processId())))
        << err.toStdString();
    ASSERT_TRUE(morePolls(2));
    EXPECT_EQ(commands().mid(before).filter("GETD"), commands().mid(before));

    const QString firstTerminal = QFileInfo(dir.filePath("ports/Com1")).symLinkTarget();
    sim.signal(SIGUSR2);
    ASSERT_TRUE(sim.waitForOutput("Com1 -> ", 2));
    ASSERT_TRUE(morePolls(4));
    EXPECT_NE(QFileInfo(dir.filePath("ports/Com1")).symLinkTarget(), firstTerminal);
    // One right after the other (a signal that arrives while the first is pending would merge).
    sim.signal(SIGUSR2);
    ASSERT_TRUE(sim.waitForOutput("Com1 -> ", 3));
    sim.signal(SIGUSR2);
    ASSERT_TRUE(sim.waitForOutput("Com1 -> ", 4));
    ASSERT_TRUE(morePolls(3));

    sim.signal(SIGUSR1); // cable out: lines arrive, nothing answers
    ASSERT_TRUE(sim.waitForOutput("unplugged"));
    const qsizetype unpluggedAt = commands().size();
    ASSERT_TRUE(morePolls(3)) << "the panel stopped asking";
    sim.signal(SIGUSR1);
    ASSERT_TRUE(sim.waitForOutput("plugged in"));
    ASSERT_TRUE(morePolls(3));
    EXPECT_EQ(commands().mid(unpluggedAt).count("GMAX"), 0) << commands().join(' ').toStdString();
    endsWith(panel, SIGTERM); // over the new terminal
}

// The window in this process at real timing on the simulator's terminal: what
// is typed after Enter is not sent; the supply gets the value Enter checked.
TEST_F(PanelProcess, ASetPointTypedOverAfterEnterGoesOutAsChecked)
{
    QtSerialTransport transport(dir.filePath("ports"));
    SteadyClock clock;
    QtTimerSource timers;
    MainFrm window({ transport, clock, timers, dir.path(), {} });
    QString error;
    ASSERT_TRUE(window.StartUp(&error)) << error.toStdString();
    // Connected once the connection's reading is in and the line is free.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window.supply().connected && window.session().isIdle(); }, 10000));
    window.show();
    QLineEdit* volts = window.findChild<QLineEdit*>("TextSetVC(0)");
    window.findChild<QLineEdit*>("TextSetVC(1)")->setText("1.00A");
    QTest::keyClick(volts, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(volts, "12");
    QTest::keyClick(volts, Qt::Key_Return);
    QTest::keyClick(volts, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(volts, "99");
    ASSERT_EQ(volts->text(), "99");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QStringList heard = commands();
            const qsizetype sent = heard.indexOf(QRegularExpression("VOLT.*"));
            return sent >= 0 && heard.indexOf("GETD", sent) > sent;
        },
        10000));
    window.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return commands().last() == "ENDS"; }, 5000));
    EXPECT_EQ(commands().filter(QRegularExpression("^VOLT")), QStringList { "VOLT120" });
}

// Command lines that end before the window opens, one row per kind: help, and a mistake told on
// stderr with exit status 2. Qt's own options are let through.
TEST_F(PanelProcess, CommandLines)
{
    const std::tuple<QStringList, int, QByteArray> cases[] = {
        // stdout's start, or stderr
        { { "-platform", "offscreen", "--help" }, 0, "Usage: ovolta-panel [options]" },
        { { "--bogus" }, 2, "unknown option '--bogus' (see --help)" },
        { { "--quit-after", "-1" }, 2, "--quit-after takes milliseconds, not '-1'" },
        { { "--tab", "5" }, 2, "--tab takes 0 to 4, not '5'" },
        { { "--screenshot" }, 2, "Missing value after '--screenshot'." },
    };
    for (const auto& [arguments, exitCode, says] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        start(panel, "ovolta-panel", arguments);
        ASSERT_TRUE(panel.waitForFinished(10000));
        EXPECT_EQ(panel.exitCode(), exitCode);
        if (exitCode == 0)
            EXPECT_TRUE(panel.readAllStandardOutput().startsWith(says));
        else
            EXPECT_EQ(panel.readAllStandardError(), "ovolta-panel: " + says + '\n');
    }
}

// Both programs start in dir and are told the folder "rel" only.
TEST_F(PanelProcess, FindsTheSupplyInARelativeDataFolder)
{
    SimProcess relSim;
    relSim.setWorkingDirectory(dir.path());
    ASSERT_TRUE(relSim.startOn("rel", 1, { "--trace", "rel-trace.txt" }));
    panel.setWorkingDirectory(dir.path());
    start(panel, "ovolta-panel", { "--quit-after", "2500" }, "rel");
    ASSERT_TRUE(panel.waitForFinished(30000));
    EXPECT_EQ(panel.exitCode(), 0);
    relSim.terminate();
    ASSERT_TRUE(relSim.waitForFinished(5000));
    const QStringList heard = Commands(ReadTrace(dir.filePath("rel-trace.txt")));
    EXPECT_TRUE(heard.contains("SESS")) << heard.join(' ').toStdString();
    EXPECT_EQ(heard.value(heard.size() - 1), "ENDS");
}
