// The adapter pulled out and plugged in again under the same name while the
// real panel runs: the panel goes on polling the new terminal without a
// restart. The simulator re-creates its pseudo-terminal on SIGUSR2 and stops
// answering on SIGUSR1 (the cable out); its trace file shows every line it got.

#include "tests/e2e/SimFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

namespace {

// The command words of the trace, in order ("<ms> <line>" per line).
QStringList TracedCommands(const QString& path)
{
    QStringList commands;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return commands;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const qsizetype space = raw.indexOf(' ');
        if (space > 0)
            commands << QString::fromLatin1(raw.mid(space + 1, 4));
    }
    return commands;
}

class Replug : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(Binary("ovolta-sim")) || !QFileInfo::exists(Binary("ovolta-panel")))
            GTEST_SKIP() << "programs not built";
        ASSERT_TRUE(dir.isValid());
        trace = dir.filePath(QStringLiteral("trace.txt"));
        sim.start(Binary("ovolta-sim"),
            { "--data-dir", dir.path(), "--port", "1", "--load", "10", "--trace", trace });
        ASSERT_TRUE(sim.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return announcements() >= 1; }, 10000));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        panel.setProcessEnvironment(env);
        panel.start(Binary("ovolta-panel"), { "--data-dir", dir.path() });
        ASSERT_TRUE(panel.waitForStarted(5000));
    }

    void TearDown() override
    {
        for (QProcess* p : { &panel, &sim }) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000))
                    p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    // How often the simulator said where its terminal is.
    int announcements()
    {
        simOutput += sim.readAllStandardOutput();
        return static_cast<int>(simOutput.count("Com1 -> "));
    }

    int polls() { return static_cast<int>(TracedCommands(trace).count(QStringLiteral("GETD"))); }

    bool waitForPolls(int count)
    {
        return QTest::qWaitFor([&] { return polls() >= count; }, 20000);
    }

    void signalSim(int signalNumber)
    {
        ASSERT_EQ(::kill(static_cast<pid_t>(sim.processId()), signalNumber), 0);
    }

    QTemporaryDir dir;
    QString trace;
    QByteArray simOutput;
    QProcess sim;
    QProcess panel;
};

} // namespace

TEST_F(Replug, PanelKeepsPollingAfterTheAdapterIsPluggedInAgain)
{
    ASSERT_TRUE(waitForPolls(3));
    const QString firstTerminal = QFileInfo(dir.filePath("ports/Com1")).symLinkTarget();

    signalSim(SIGUSR2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return announcements() >= 2; }, 10000));
    const int atReplug = polls();
    ASSERT_TRUE(waitForPolls(atReplug + 4))
        << "polls at re-plug " << atReplug << ", now " << polls();
    EXPECT_NE(QFileInfo(dir.filePath("ports/Com1")).symLinkTarget(), firstTerminal);
    EXPECT_EQ(panel.state(), QProcess::Running);

    // Twice more, one right after the other (a signal that arrives while the
    // first is pending would merge with it).
    signalSim(SIGUSR2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return announcements() >= 3; }, 10000));
    signalSim(SIGUSR2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return announcements() >= 4; }, 10000));
    const int afterBoth = polls();
    ASSERT_TRUE(waitForPolls(afterBoth + 3));

    // The window still closes the normal way, over the new terminal.
    panel.terminate();
    ASSERT_TRUE(panel.waitForFinished(10000));
    EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(panel.exitCode(), 0);
    EXPECT_EQ(TracedCommands(trace).last(), QStringLiteral("ENDS"));
}

TEST_F(Replug, PanelKeepsPollingThroughACableOutAndIn)
{
    ASSERT_TRUE(waitForPolls(3));
    signalSim(SIGUSR1); // cable out: lines arrive, nothing answers
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            simOutput += sim.readAllStandardOutput();
            return simOutput.contains("unplugged");
        },
        10000));
    const int unplugged = polls();
    const qsizetype unpluggedAt = TracedCommands(trace).size();
    ASSERT_TRUE(waitForPolls(unplugged + 3)) << "the panel stopped asking";

    signalSim(SIGUSR1);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            simOutput += sim.readAllStandardOutput();
            return simOutput.contains("plugged in");
        },
        10000));
    const int back = polls();
    ASSERT_TRUE(waitForPolls(back + 3));
    EXPECT_EQ(panel.state(), QProcess::Running);
    // Nothing but polls while nobody answered: no reconnection of its own.
    const QStringList commands = TracedCommands(trace).mid(unpluggedAt);
    EXPECT_EQ(commands.count(QStringLiteral("GMAX")), 0) << commands.join(' ').toStdString();
}
