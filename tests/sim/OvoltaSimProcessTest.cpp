#include "tests/support/SimProcess.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(OvoltaSimProcess, AnswersOnItsLinkTracesAndCleansUpOnSigterm)
{
    if (!SimProcess::built())
        GTEST_SKIP() << "ovolta-sim is not built next to the tests";
    QTemporaryDir dir;
    SimProcess sim;
    const QString link = dir.filePath("ports/Com1");
    ASSERT_TRUE(sim.startOn(dir.path(), 1, { "--trace", dir.filePath("trace.txt") }));
    ASSERT_TRUE(sim.waitForOutput("ovolta-sim: Com1 -> /dev/pts/")) << sim.output.toStdString();
    EXPECT_EQ(Exchange(*OpenTerminal(link), "GMAX\r", 10), "360510\rOK\r");
    const QString traced = QString::fromLatin1(FileBytes(dir.filePath("trace.txt")));
    EXPECT_TRUE(QRegularExpression("^\\d+ GMAX\\n$").match(traced).hasMatch())
        << traced.toStdString();
    sim.signal(SIGTERM);
    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).exists() || QFileInfo(link).isSymLink());
}

// Help and bad starts end at once: a bad command line with exit 2, a folder or
// trace file it cannot make with exit 1, each with a message.
TEST(OvoltaSimProcess, StartsThatEndAtOnce)
{
    if (!SimProcess::built())
        GTEST_SKIP() << "ovolta-sim is not built next to the tests";
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("file"), {}));
    const QString data = dir.path();
    const struct {
        QStringList arguments;
        int exitCode;
        QString says;
    } cases[] = {
        { { "--help" }, 0, "Usage: ovolta-sim --data-dir DIR --port N" },
        { { "--data-dir", data }, 2, "ovolta-sim: --port is required" },
        { { "--data-dir", dir.filePath("file"), "--port", "1" }, 1,
            "ovolta-sim: cannot create the folder" },
        { { "--data-dir", data, "--port", "1", "--trace", dir.filePath("no/such/trace.txt") }, 1,
            "ovolta-sim: cannot write the trace file" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess process;
        process.start(Binary("ovolta-sim"), c.arguments);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), c.exitCode);
        const QString said = QString::fromLocal8Bit(
            c.exitCode ? process.readAllStandardError() : process.readAllStandardOutput());
        EXPECT_TRUE(said.startsWith(c.says)) << said.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("ports/Com1")));
}
