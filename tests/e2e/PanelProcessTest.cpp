#include "app/MainFrm.h"
#include "device/EventLoopWaiter.h"
#include "device/QtSerialTransport.h"
#include "device/SteadyClock.h"
#include "tests/support/QtPrinting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>

// The real programs, each in its own process, on a pseudo-terminal: the
// panel finds the virtual supply on Com1 by itself.
namespace {

QString Binary(const char* name)
{
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../%1").arg(QLatin1String(name)));
}

struct TraceLine {
    qint64 ms;
    QString command;
};

QList<TraceLine> ReadTrace(const QString& path)
{
    QList<TraceLine> lines;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const int space = raw.indexOf(' ');
        if (space > 0)
            lines.append({ raw.left(space).toLongLong(), QString::fromLatin1(raw.mid(space + 1)) });
    }
    return lines;
}

QStringList Commands(const QList<TraceLine>& trace)
{
    QStringList out;
    for (const TraceLine& t : trace)
        out << t.command;
    return out;
}

class PanelProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(Binary("ovolta-sim")) || !QFileInfo::exists(Binary("ovolta-panel")))
            GTEST_SKIP() << "programs not built";
        ASSERT_TRUE(dir.isValid());
        trace = dir.filePath("trace.txt");
        sim.start(Binary("ovolta-sim"),
            { "--data-dir", dir.path(), "--port", "1", "--model", "5812", "--load", "10", "--trace",
                trace });
        ASSERT_TRUE(sim.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return QFileInfo(dir.filePath("ports/Com1")).isSymLink(); }, 10000));
    }
    void TearDown() override
    {
        if (sim.state() != QProcess::NotRunning) {
            sim.terminate();
            sim.waitForFinished(5000);
        }
    }
    void startPanel(const QStringList& extra, const QString& dataDir = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        panel.setProcessEnvironment(env);
        panel.start(Binary("ovolta-panel"),
            QStringList { "--data-dir", dataDir.isEmpty() ? dir.path() : dataDir } + extra);
        ASSERT_TRUE(panel.waitForStarted(5000));
    }

    QTemporaryDir dir;
    QString trace;
    QProcess sim;
    QProcess panel;
};

} // namespace

TEST_F(PanelProcess, ConnectsPollsAndLeavesRemoteModeOnClose)
{
    startPanel({ "--quit-after", "4500" });
    ASSERT_TRUE(panel.waitForFinished(30000));
    EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(panel.exitCode(), 0);

    const QList<TraceLine> lines = ReadTrace(trace);
    const QStringList commands = Commands(lines);
    ASSERT_GE(commands.size(), 9) << commands.join(' ').toStdString();
    EXPECT_EQ(commands.mid(0, 8),
        QStringList({ "GMAX", "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM" }));
    EXPECT_EQ(commands.last(), "ENDS");

    QList<qint64> polls;
    for (const TraceLine& t : lines) {
        if (t.command == "GETD")
            polls << t.ms;
    }
    ASSERT_GE(polls.size(), 4);
    // After the first reading at connection the timer polls every 800 ms. A tick delayed by a
    // loaded machine shortens the gap after it (the timer keeps its own schedule), so only the
    // median is held to the period; no gap may be as short as one exchange.
    QList<qint64> gaps;
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
    struct Case {
        int signal;
        const char* after;
        qsizetype times;
    };
    const Case cases[] = { { SIGTERM, "SESS", 1 }, { SIGHUP, "GETD", 2 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        const qsizetype before = ReadTrace(trace).size();
        startPanel({});
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return Commands(ReadTrace(trace)).mid(before).count(c.after) >= c.times; },
            20000));
        ::kill(static_cast<pid_t>(panel.processId()), c.signal);
        ASSERT_TRUE(panel.waitForFinished(10000));
        EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(panel.exitCode(), 0);
        EXPECT_EQ(Commands(ReadTrace(trace)).last(), "ENDS");
    }
}

// The window in this process at real timing on the simulator's terminal: what
// is typed after Enter is not sent; the supply gets the value Enter checked.
TEST_F(PanelProcess, ASetPointTypedOverAfterEnterGoesOutAsChecked)
{
    QtSerialTransport transport(dir.filePath("ports"));
    SteadyClock clock;
    EventLoopWaiter waiter(clock);
    MainFrm window({ transport, clock, waiter, dir.path(), {} });
    QString error;
    ASSERT_TRUE(window.StartUp(&error)) << error.toStdString();
    ASSERT_TRUE(window.state().Connected);
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
            const QStringList commands = Commands(ReadTrace(trace));
            const qsizetype sent = commands.indexOf(QRegularExpression("VOLT.*"));
            return sent >= 0 && commands.indexOf("GETD", sent) > sent;
        },
        10000));
    window.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Commands(ReadTrace(trace)).last() == "ENDS"; }, 5000));
    EXPECT_EQ(
        Commands(ReadTrace(trace)).filter(QRegularExpression("^VOLT")), QStringList { "VOLT120" });
}

TEST_F(PanelProcess, HelpAndVersion)
{
    startPanel({ "--version" });
    ASSERT_TRUE(panel.waitForFinished(10000));
    EXPECT_EQ(panel.exitCode(), 0);
    EXPECT_TRUE(panel.readAllStandardOutput().startsWith("ovolta-panel 1.0"));
    startPanel({ "--bogus" });
    ASSERT_TRUE(panel.waitForFinished(10000));
    EXPECT_EQ(panel.exitCode(), 2);
    EXPECT_TRUE(panel.readAllStandardError().contains("unknown option"));
}

TEST_F(PanelProcess, FindsTheSupplyInARelativeDataFolder)
{
    // Both programs start in dir and are told the folder "rel" only.
    QProcess relSim;
    relSim.setWorkingDirectory(dir.path());
    relSim.start(
        Binary("ovolta-sim"), { "--data-dir", "rel", "--port", "1", "--trace", "rel-trace.txt" });
    ASSERT_TRUE(relSim.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return QFileInfo(dir.filePath("rel/ports/Com1")).isSymLink(); }, 10000));
    panel.setWorkingDirectory(dir.path());
    startPanel({ "--quit-after", "2500" }, "rel");
    ASSERT_TRUE(panel.waitForFinished(30000));
    EXPECT_EQ(panel.exitCode(), 0);
    relSim.terminate();
    ASSERT_TRUE(relSim.waitForFinished(5000));

    const QStringList commands = Commands(ReadTrace(dir.filePath("rel-trace.txt")));
    EXPECT_TRUE(commands.contains("SESS")) << commands.join(' ').toStdString();
    EXPECT_EQ(commands.value(commands.size() - 1), "ENDS");
}
