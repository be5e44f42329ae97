#include "tests/e2e/SimFixture.h"

#include <csignal>

namespace {

class CliProcess : public SimFixture {
protected:
    int runCli(const QStringList& args)
    {
        start(cli, "ovolta-cli", args);
        EXPECT_TRUE(cli.waitForFinished(30000));
        return cli.exitCode();
    }
    QString program(const QByteArray& rows)
    {
        EXPECT_TRUE(WriteFile(dir.filePath("p.csv"),
            "Type:ETP\r\nDescription:\r\nPreset,Voltage(mV),Current(mA),Minute(M),Second(S),"
            "Output\r\n"
                + rows));
        return dir.filePath("p.csv");
    }
};

} // namespace

TEST_F(CliProcess, IdentifySetAndOutputEachEndWithEnds)
{
    EXPECT_EQ(runCli({ "identify" }), 0);
    EXPECT_TRUE(cli.readAllStandardOutput().contains("Rating: 36V 5A"));
    // The search asks the port first, as the panel's does.
    EXPECT_EQ(commands(),
        QStringList({ "GMAX", "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM", "ENDS" }));
    EXPECT_EQ(runCli({ "--port", "1", "set", "--volt", "12", "--curr", "0.5" }), 0);
    EXPECT_EQ(commands().last(3), QStringList({ "VOLT120", "CURR050", "ENDS" }));
    EXPECT_EQ(runCli({ "--port", "1", "--json", "output", "off" }), 0);
    EXPECT_EQ(cli.readAllStandardOutput(), "{\"output\":false}\n");
    EXPECT_EQ(commands().last(2), QStringList({ "SOUT1", "ENDS" }));
}

TEST_F(CliProcess, ATwoStepRunKeepsItsStepsApartAndSigtermEndsARun)
{
    EXPECT_EQ(
        runCli({ "--port", "1", "run", program("1,12000,500,0,2,1\r\n2,6000,250,0,1,1\r\n") }), 0);
    QList<qint64> sevc;
    for (const auto& [ms, command] : trace()) {
        if (command.startsWith("SEVC"))
            sevc << ms;
    }
    ASSERT_EQ(sevc.size(), 2) << commands().join(' ').toStdString();
    // Step 1 lasts two seconds; each step waits at most one poll for its turn.
    EXPECT_GE(sevc[1] - sevc[0], 2000 - 800);
    EXPECT_EQ(commands().last(), "ENDS");

    start(cli, "ovolta-cli",
        { "--port", "1", "run", program("1,6000,500,0,1,1\r\n"), "--cycles", "0" });
    ASSERT_TRUE(waitForCommand("SEVC0600501"));
    endsWith(cli, SIGTERM);
}

TEST_F(CliProcess, ARecordKilledKeepsEveryWholeRow)
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

// A program talking on Com1, the CLI or the panel, keeps the CLI off it: exit 3 naming the
// holder, and the supply hears only the holder's polling.
TEST_F(CliProcess, AProgramOnThePortKeepsTheCliOff)
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
        for (const QString& command : commands().mid(before))
            EXPECT_EQ(command, "GETD");
        endsWith(other, SIGTERM);
    }
}
