#include "app/MainFrm.h"
#include "core/SteadyClock.h"
#include "device/DeviceLink.h"
#include "device/QtSerialTransport.h"
#include "session/QtTimerSource.h"
#include "tests/support/SimProcess.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

// ovolta-sim on Com1 of a fresh data folder; the programs run headless (as this one does).
class Programs : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!SimProcess::built() || !QFileInfo::exists(Binary("ovolta-panel"))
            || !QFileInfo::exists(Binary("ovolta-cli")))
            GTEST_SKIP() << "programs not built";
        ASSERT_TRUE(QDir(dir.path()).mkdir("run"));
        QFile::setPermissions(
            dir.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.filePath("run"))); // for their locks
        ASSERT_TRUE(
            sim.startOn(dir.path(), 1, QStringList { "--trace", dir.filePath("trace.txt") }));
    }

    void start(QProcess& process, const char* program, const QStringList& args,
        const QString& dataDir = {})
    {
        process.start(Binary(program),
            QStringList { "--data-dir", dataDir.isEmpty() ? dir.path() : dataDir } + args);
        ASSERT_TRUE(process.waitForStarted(5000));
    }

    void endsWith(QProcess& process, int number)
    {
        Signal(process, number);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_TRUE(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
        EXPECT_EQ(commands().last(), "ENDS");
    }

    QList<TraceLine> trace() const { return ReadTrace(dir.filePath("trace.txt")); }
    QStringList commands() const { return Commands(trace()); }
    bool waitForCommand(const QString& command, qsizetype count = 1) const
    {
        return QTest::qWaitFor([&] { return commands().count(command) >= count; }, 20000);
    }

    int runCli(const QStringList& args)
    {
        start(cli, "ovolta-cli", args);
        EXPECT_TRUE(cli.waitForFinished(30000));
        return cli.exitCode();
    }

    QTemporaryDir dir;
    SimProcess sim;
    QProcess panel, cli, other;
};

// Each ends with "ENDS"; a run's step 1 lasts 2 s, each step waiting at most a poll for its turn.
TEST_F(Programs, CliIdentifyOutputAndATwoStepRunEachEndWithEnds)
{
    EXPECT_EQ(runCli({ "identify" }), 0);
    // The search asks the port first, as the panel's does.
    EXPECT_EQ(commands(),
        QStringList({ "GMAX", "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM", "ENDS" }));
    EXPECT_EQ(runCli({ "--port", "1", "--json", "output", "off" }), 0);
    EXPECT_EQ(cli.readAllStandardOutput(), "{\"output\":false}\n");
    EXPECT_EQ(commands().last(2), QStringList({ "SOUT1", "ENDS" }));
    ASSERT_TRUE(WriteFile(dir.filePath("p.csv"),
        "Type:ETP\r\nDescription:\r\nPreset,Voltage(mV),Current(mA),Minute(M),Second(S),"
        "Output\r\n1,12000,500,0,2,1\r\n2,6000,250,0,1,1\r\n"));
    EXPECT_EQ(runCli({ "--port", "1", "run", dir.filePath("p.csv") }), 0);
    QList<qint64> sevc;
    for (const auto& [ms, command] : trace()) {
        if (command.startsWith("SEVC"))
            sevc << ms;
    }
    ASSERT_EQ(sevc.size(), 2) << commands().join(' ').toStdString();
    EXPECT_GE(sevc[1] - sevc[0], 2000 - 800);
    EXPECT_EQ(commands().last(), "ENDS");
}

TEST_F(Programs, CliARecordKilledKeepsEveryWholeRow)
{
    const QString file = dir.filePath("log.csv");
    start(cli, "ovolta-cli", { "--port", "1", "record", "--every", "0.2", "--out", file });
    ASSERT_TRUE(waitForCommand("GETD", 6));
    Signal(cli, SIGKILL);
    ASSERT_TRUE(cli.waitForFinished(10000));
    const QByteArray content = FileBytes(file);
    EXPECT_TRUE(content.endsWith("\r\n"));
    const QList<QByteArray> rows = content.trimmed().split('\n');
    ASSERT_GE(rows.size(), 5);
    for (const QByteArray& row : rows.mid(1))
        EXPECT_TRUE(row.trimmed().endsWith(",5.0,0.50,2.5,CV")) << row.toStdString();
}

// The CLI or the panel on Com1 keeps the CLI off it: exit 3 naming the holder.
TEST_F(Programs, CliAProgramOnThePortKeepsTheCliOff)
{
    const std::pair<const char*, QStringList> holders[] = {
        { "ovolta-cli", { "--port", "1", "read", "--every", "1" } },
        { "ovolta-panel", {} },
    };
    for (const auto& [holder, args] : holders) {
        SCOPED_TRACE(holder);
        const qsizetype started = commands().size();
        start(other, holder, args);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return commands().mid(started).contains("GETD"); }, 20000));
        const qsizetype before = commands().size();
        EXPECT_EQ(runCli({ "--port", "1", "identify" }), 3);
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        EXPECT_TRUE(err.contains(QStringLiteral("Com1 (%1) is in use by %2 (pid %3)")
                                     .arg(QFileInfo(dir.filePath("ports/Com1")).canonicalFilePath(),
                                         holder, QString::number(other.processId()))))
            << err.toStdString();
        EXPECT_EQ(commands().mid(before).filter("GETD"), commands().mid(before));
        endsWith(other, SIGTERM);
    }
}

// The panel finds its supply on a data folder given relative to its working folder.
TEST_F(Programs, PanelConnectsPollsAndLeavesRemoteModeOnClose)
{
    panel.setWorkingDirectory(dir.path());
    start(panel, "ovolta-panel", { "--quit-after", "4500" }, ".");
    ASSERT_TRUE(panel.waitForFinished(30000));
    EXPECT_TRUE(panel.exitStatus() == QProcess::NormalExit && panel.exitCode() == 0);
    const QStringList heard = commands();
    ASSERT_GE(heard.size(), 9) << heard.join(' ').toStdString();
    EXPECT_EQ(heard.mid(0, 8),
        QStringList({ "GMAX", "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM" }));
    EXPECT_EQ(heard.last(), "ENDS");

    // Polls every 800 ms: a late tick shortens the next gap, so the median holds the period.
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

// SIGTERM and SIGHUP end the panel as its close button does, also during start-up.
TEST_F(Programs, PanelSignalsRunTheSameShutdown)
{
    for (const auto& [number, after, times] :
        { std::tuple { SIGTERM, "SESS", 1 }, std::tuple { SIGHUP, "GETD", 2 } }) {
        SCOPED_TRACE(after);
        const qsizetype before = trace().size();
        start(panel, "ovolta-panel", {});
        ASSERT_TRUE(QTest::qWaitFor(
            [&, after = after, times = times] {
                return commands().mid(before).count(after) >= times;
            },
            20000));
        endsWith(panel, number);
    }
}

// SIGUSR2: the adapter plugged in again (a new terminal); SIGUSR1: the cable out or in.
TEST_F(Programs, PanelASecondPanelLeavesAndTheFirstKeepsPollingThroughAReplug)
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

// The window here at real timing: what is typed after Enter is not sent; Enter's value is.
TEST_F(Programs, PanelASetPointTypedOverAfterEnterGoesOutAsChecked)
{
    QtSerialTransport transport(dir.filePath("ports"));
    SteadyClock clock;
    QtTimerSource timers;
    MainFrm window({ transport, clock, timers, dir.path(), {} });
    QString error;
    ASSERT_TRUE(window.StartUp(&error)) << error.toStdString();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window.supply().connected && window.session().isIdle(); }, 10000));
    window.show();
    auto* volts = window.findChild<QLineEdit*>("TextSetVC(0)");
    window.findChild<QLineEdit*>("TextSetVC(1)")->setText("1.00A");
    for (const char* typed : { "12", "99" }) {
        QTest::keyClick(volts, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(volts, typed);
        if (typed == std::string_view("12"))
            QTest::keyClick(volts, Qt::Key_Return);
    }
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

// One row per kind; Qt's own options are let through.
TEST_F(Programs, PanelCommandLines)
{
    const std::tuple<QStringList, int, QByteArray> cases[] = {
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

// The real serial path at real timing with a split and a late reply.
TEST(SerialLink, TransactionsOnThePseudoTerminal)
{
    if (!SimProcess::built())
        GTEST_SKIP() << "ovolta-sim not built";
    QTemporaryDir dir;
    QtSerialTransport transport { dir.filePath("ports") };
    DeviceLink link { transport };
    const auto exchange = [&](const QString& cmd, const QString& params = {}) {
        link.startExchange(cmd, params);
        QTest::qWait(static_cast<int>(link.waitMsFor(cmd)));
        return link.finishExchange();
    };
    link.setPortNumber(9); // nothing in ports/, and no /dev/ttyUSB8 on a test machine
    EXPECT_TRUE(QFileInfo::exists("/dev/ttyUSB8") || exchange("GMAX").isEmpty());
    link.setPortNumber(2);
    {
        SimProcess sim;
        ASSERT_TRUE(sim.startOn(dir.path(), 2, { "--fault", "split:40" }));
        EXPECT_EQ(exchange("GMAX"), "360510\rOK\r");
    }
    SimProcess sim;
    ASSERT_TRUE(sim.startOn(dir.path(), 2, { "--fault", "late:250" }));
    EXPECT_EQ(exchange("GMAX"), "");
    QTest::qWait(300); // the late reply lands while the port is closed
    EXPECT_FALSE(exchange("GMOD").startsWith("360510"));
}
