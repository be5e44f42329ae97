#include "tests/support/SimProcess.h"

#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

class OvoltaSimProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!SimProcess::built())
            GTEST_SKIP() << "ovolta-sim is not built next to the tests";
        ASSERT_TRUE(dir.isValid());
    }

    // Ends it with a signal: exit 0 and the link gone.
    void endWith(int signalNumber)
    {
        sim.signal(signalNumber);
        ASSERT_TRUE(sim.waitForFinished(10000));
        EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(sim.exitCode(), 0);
        EXPECT_FALSE(QFileInfo::exists(link()) || QFileInfo(link()).isSymLink());
    }

    QString link() const { return dir.filePath("ports/Com1"); }
    QString trace() const { return dir.filePath("trace.txt"); }

    QTemporaryDir dir;
    SimProcess sim;
};

} // namespace

TEST_F(OvoltaSimProcess, AnswersOnItsLinkTracesAndCleansUpOnSigterm)
{
    ASSERT_TRUE(sim.startOn(dir.path(), 1, { "--trace", trace() }));
    ASSERT_TRUE(sim.waitForOutput("ovolta-sim: Com1 -> /dev/pts/")) << sim.output.toStdString();
    EXPECT_EQ(Exchange(*OpenTerminal(link()), "GMAX\r", 10), "360510\rOK\r");
    const QString traced = QString::fromLatin1(FileBytes(trace()));
    EXPECT_TRUE(QRegularExpression("^\\d+ GMAX\\n$").match(traced).hasMatch())
        << traced.toStdString();
    endWith(SIGTERM);
}

// Help, version and bad starts end at once: a bad command line with exit 2,
// a folder or trace file it cannot make with exit 1, each with a message.
TEST_F(OvoltaSimProcess, StartsThatEndAtOnce)
{
    QFile notAFolder(dir.filePath("file"));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    notAFolder.close();
    const QString data = dir.path();
    const struct {
        QStringList arguments;
        int exitCode;
        QString says;
    } cases[] = {
        { { "--help" }, 0, "Usage: ovolta-sim --data-dir DIR --port N" },
        { { "--version" }, 0, "ovolta-sim " OVOLTA_VERSION "\n" },
        { { "--data-dir", data, "--port", "x" }, 2, "ovolta-sim: --port must be a number" },
        { { "--data-dir", notAFolder.fileName(), "--port", "1" }, 1,
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
    EXPECT_FALSE(QFileInfo::exists(link()));
}
