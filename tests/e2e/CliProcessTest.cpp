#include "tests/e2e/SimFixture.h"

#include <csignal>

namespace {

const QStringList kConnection { "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM" };

class CliProcess : public SimFixture {
protected:
    CliProcess()
        : SimFixture({ "--model", "5812" })
    {
    }
    void startCli(QProcess& process, const QStringList& args)
    {
        start(process, "ovolta-cli", args);
    }
    int runCli(const QStringList& args)
    {
        startCli(cli, args);
        EXPECT_TRUE(cli.waitForFinished(30000));
        return cli.exitCode();
    }
    void writeProgram(const QString& name, const QByteArray& rows)
    {
        ASSERT_TRUE(WriteFile(dir.filePath(name),
            "Type:ETP\r\nDescription:\r\nPreset,Voltage(mV),Current(mA),Minute(M),Second(S),"
            "Output\r\n"
                + rows));
    }
};

} // namespace

TEST_F(CliProcess, IdentifySetAndOutputEachEndWithEnds)
{
    EXPECT_EQ(runCli({ "identify" }), 0);
    EXPECT_TRUE(cli.readAllStandardOutput().contains("Rating: 36V 5A"));
    // The search asks the port first, as the panel's does.
    EXPECT_EQ(commands(), QStringList { "GMAX" } + kConnection + QStringList { "ENDS" });

    EXPECT_EQ(runCli({ "--port", "1", "set", "--volt", "12", "--curr", "0.5" }), 0);
    EXPECT_EQ(commands().mid(commands().size() - 3), QStringList({ "VOLT120", "CURR050", "ENDS" }));
    EXPECT_EQ(runCli({ "--port", "1", "--json", "output", "off" }), 0);
    EXPECT_EQ(cli.readAllStandardOutput(), "{\"output\":false}\n");
    EXPECT_EQ(commands().mid(commands().size() - 2), QStringList({ "SOUT1", "ENDS" }));
}

TEST_F(CliProcess, ATwoStepRunKeepsItsStepsApart)
{
    writeProgram("two.csv", "1,12000,500,0,2,1\r\n2,6000,250,0,1,1\r\n");
    EXPECT_EQ(runCli({ "--port", "1", "run", dir.filePath("two.csv") }), 0);
    QList<qint64> sevc;
    for (const auto& [ms, command] : trace()) {
        if (command.startsWith("SEVC"))
            sevc << ms;
    }
    ASSERT_EQ(sevc.size(), 2) << commands().join(' ').toStdString();
    // Step 1 lasts two seconds; each step waits at most one poll for its turn.
    EXPECT_GE(sevc[1] - sevc[0], 2000 - 800);
    EXPECT_EQ(commands().last(), "ENDS");
}

TEST_F(CliProcess, SigtermInARunStopsItWithEndsLast)
{
    writeProgram("one.csv", "1,12000,500,0,1,1\r\n");
    startCli(cli, { "--port", "1", "run", dir.filePath("one.csv"), "--cycles", "0" });
    ASSERT_TRUE(waitForCommand("SEVC1200501"));
    signal(cli, SIGTERM);
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_EQ(commands().last(), "ENDS");
}

TEST_F(CliProcess, ARecordKilledKeepsEveryWholeRow)
{
    const QString file = dir.filePath("log.csv");
    startCli(cli, { "--port", "1", "record", "--every", "0.2", "--out", file });
    ASSERT_TRUE(waitForCommand("GETD", 6));
    signal(cli, SIGKILL);
    ASSERT_TRUE(cli.waitForFinished(10000));
    const QByteArray content = FileBytes(file);
    EXPECT_TRUE(content.endsWith("\r\n"));
    const QList<QByteArray> rows = content.trimmed().split('\n');
    ASSERT_GE(rows.size(), 5);
    for (const QByteArray& row : rows.mid(1))
        EXPECT_TRUE(row.trimmed().endsWith(",5.0,0.50,2.5,CV")) << row.toStdString();
}

// A program talking on Com1, the CLI or the panel, keeps the CLI off it: exit
// 3 naming the holder, and the supply hears only the holder's polling.
TEST_F(CliProcess, AProgramOnThePortKeepsTheCliOff)
{
    struct Case {
        const char* holder;
        QStringList args;
    };
    const Case cases[] = {
        { "ovolta-cli", { "--port", "1", "read", "--every", "1" } },
        { "ovolta-panel", {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.holder);
        const qsizetype started = commands().size();
        start(other, c.holder, c.args);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return commands().mid(started).contains("GETD"); }, 20000));
        const qsizetype before = commands().size();
        EXPECT_EQ(runCli({ "--port", "1", "identify" }), 3);
        const QString err = QString::fromUtf8(cli.readAllStandardError());
        EXPECT_TRUE(err.contains(QStringLiteral("Com1 (%1) is in use by %2 (pid %3)")
                                     .arg(QFileInfo(dir.filePath("ports/Com1")).canonicalFilePath())
                                     .arg(QLatin1String(c.holder))
                                     .arg(other.processId())))
            << err.toStdString();
        for (const QString& command : commands().mid(before))
            EXPECT_EQ(command, "GETD");
        signal(other, SIGTERM);
        ASSERT_TRUE(other.waitForFinished(10000));
        EXPECT_EQ(other.exitCode(), 0);
        EXPECT_EQ(commands().last(), "ENDS");
    }
}
