#include "tests/support/QtPrinting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <gtest/gtest.h>

// ovolta-cli and ovolta-sim as separate processes on a pseudo-terminal.
namespace {

const QStringList kConnection { "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM" };

QString Binary(const char* name)
{
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../%1").arg(QLatin1String(name)));
}

class CliProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(Binary("ovolta-sim")) || !QFileInfo::exists(Binary("ovolta-cli")))
            GTEST_SKIP() << "programs not built";
        ASSERT_TRUE(dir.isValid());
        QDir().mkpath(dir.filePath("run"));
        QFile::setPermissions(
            dir.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        sim.start(Binary("ovolta-sim"),
            { "--data-dir", dir.path(), "--port", "1", "--model", "5812", "--trace",
                dir.filePath("trace.txt") });
        ASSERT_TRUE(sim.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return QFileInfo(dir.filePath("ports/Com1")).isSymLink(); }, 10000));
    }
    void TearDown() override
    {
        for (QProcess* p : { &cli, &other, &sim }) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                p->waitForFinished(5000);
            }
        }
    }
    void start(QProcess& process, const QStringList& args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", dir.filePath("run")); // where the port locks live
        process.setProcessEnvironment(env);
        process.start(Binary("ovolta-cli"), QStringList { "--data-dir", dir.path() } + args);
        ASSERT_TRUE(process.waitForStarted(5000));
    }
    int runCli(const QStringList& args)
    {
        start(cli, args);
        EXPECT_TRUE(cli.waitForFinished(30000));
        return cli.exitCode();
    }
    QList<QPair<qint64, QString>> trace()
    {
        QList<QPair<qint64, QString>> lines;
        QFile f(dir.filePath("trace.txt"));
        if (f.open(QIODevice::ReadOnly)) {
            for (const QByteArray& raw : f.readAll().split('\n')) {
                const qsizetype space = raw.indexOf(' ');
                if (space > 0)
                    lines.append(
                        { raw.left(space).toLongLong(), QString::fromLatin1(raw.mid(space + 1)) });
            }
        }
        return lines;
    }
    QStringList commands()
    {
        QStringList out;
        for (const auto& line : trace())
            out << line.second;
        return out;
    }
    bool waitForCommand(const QString& command, int count = 1)
    {
        return QTest::qWaitFor([&] { return commands().count(command) >= count; }, 20000);
    }
    void writeProgram(const QString& name, const QByteArray& rows)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Type:ETP\r\nDescription:\r\nPreset,Voltage(mV),Current(mA),Minute(M),Second(S),"
                "Output\r\n"
            + rows);
    }

    QTemporaryDir dir;
    QProcess sim;
    QProcess cli;
    QProcess other;
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
    start(cli, { "--port", "1", "run", dir.filePath("one.csv"), "--cycles", "0" });
    ASSERT_TRUE(waitForCommand("SEVC1200501"));
    ::kill(static_cast<pid_t>(cli.processId()), SIGTERM);
    ASSERT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_EQ(commands().last(), "ENDS");
}

TEST_F(CliProcess, ARecordKilledKeepsEveryWholeRow)
{
    const QString file = dir.filePath("log.csv");
    start(cli, { "--port", "1", "record", "--every", "0.2", "--out", file });
    ASSERT_TRUE(waitForCommand("GETD", 6));
    ::kill(static_cast<pid_t>(cli.processId()), SIGKILL);
    ASSERT_TRUE(cli.waitForFinished(10000));
    QFile csv(file);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QByteArray content = csv.readAll();
    EXPECT_TRUE(content.endsWith("\r\n"));
    const QList<QByteArray> rows = content.trimmed().split('\n');
    ASSERT_GE(rows.size(), 5);
    for (const QByteArray& row : rows.mid(1))
        EXPECT_TRUE(row.trimmed().endsWith(",5.0,0.50,2.5,CV")) << row.toStdString();
}

TEST_F(CliProcess, TwoProgramsOnOnePortTheSecondExitsThree)
{
    start(other, { "--port", "1", "read", "--every", "1" });
    ASSERT_TRUE(waitForCommand("GETD"));
    EXPECT_EQ(runCli({ "--port", "1", "identify" }), 3);
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("Com1 (%1) is in use by ovolta-cli (pid %2)")
                                 .arg(QFileInfo(dir.filePath("ports/Com1")).canonicalFilePath())
                                 .arg(other.processId())))
        << err.toStdString();
    ::kill(static_cast<pid_t>(other.processId()), SIGINT);
    ASSERT_TRUE(other.waitForFinished(10000));
    EXPECT_EQ(other.exitCode(), 0);
    EXPECT_EQ(commands().last(), "ENDS");
    EXPECT_EQ(commands().count("SESS"), 1); // the second never spoke
}
