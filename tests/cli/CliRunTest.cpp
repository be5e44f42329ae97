#include "cli/CliRun.h"
#include "session/PortLock.h"
#include "sim/SimTransport.h"
#include "tests/support/FakeTimers.h"
#include "tests/support/Files.h"
#include "tests/support/QtPrinting.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>

namespace {

const QString kConnection = "GMAX GMOD GOVP GOCP SESS GETS GETM ";

// "ovolta-cli" and the arguments, split at spaces; a '+' is a space within one.
QStringList Args(const QString& line)
{
    return ("ovolta-cli " + line).split(' ', Qt::SkipEmptyParts).replaceInStrings("+", " ");
}

struct Result {
    int status = -1;
    QString out, err;
    QString sent; // the lines the supply on Com1 received, each followed by a space
};

// ovolta-cli on Com1 of the in-process port, on fake timers.
struct CliTest : ::testing::Test {
    QTemporaryDir dir;
    FakeClock clock;
    FakeTimers timers { clock };
    SimTransport transport { clock };
    VirtualSupply* supply = &transport.attachSupply(1);
    PortLock lock { dir.filePath("ports"), dir.filePath("locks") };
    std::function<void(CliRun&)> during; // runs once the command is under way

    CliTest() { QDir().mkpath(dir.filePath("locks")); }
    QString path(const char* name) { return dir.filePath(QString::fromLatin1(name)); }

    Result run(const QString& args, const char* faults = "")
    {
        supply->setFaults(*SupplyFaults::parse(QString::fromLatin1(faults), nullptr));
        QString error;
        const auto options
            = CliOptions::Parse(Args("--data-dir " + dir.path() + " --port 1 " + args), &error);
        EXPECT_TRUE(options) << error.toStdString();
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        Result r;
        CliRun cli(*options, { transport, timers, clock, out, err, dir.path(), &lock, {} });
        QObject::connect(&cli, &CliRun::finished, [&](int status) { r.status = status; });
        cli.start();
        if (during) {
            timers.advance(5000);
            during(cli);
        }
        timers.runUntil([&] { return r.status >= 0; });
        r.out = QString::fromUtf8(out.data());
        r.err = QString::fromUtf8(err.data());
        for (const QByteArray& line : supply->receivedLines())
            r.sent += QString::fromLatin1(line) + ' ';
        return r;
    }
};

} // namespace

// What each command sends after the connection (none: nothing at all) and says. Values
// refused by the panel's own rules get its messages, and nothing of them is sent.
TEST_F(CliTest, EachCommandSendsItsLinesAndSaysWhatHappened)
{
    ASSERT_TRUE(
        WriteFile(path("kept.csv"), "keep me\r\n") && WriteFile(path("log.csv"), "Type:LOG\r\n"));
    const QString prom = "PROM050100060150070200 ";
    const struct {
        QString args;
        const char* faults;
        QString sent;
        const char *out, *err;
        int status;
    } cases[] = {
        { "identify", "", "ENDS ", "Rating: 36V 5A\nMaximum: 36V 5.10A", "", 0 },
        { "--json identify", "", "ENDS ", "\"ucl_amps\":5.1", "", 0 },
        { "set --volt 12,5 --curr 1.234", "", "VOLT125 CURR123 ENDS ", "Set-points: 12.5V 1.23A",
            "", 0 },
        { "set --volt 12", "silent-after:7", "VOLT120 ENDS ", "", "did not acknowledge the voltage",
            1 },
        { "output off", "", "SOUT1 ENDS ", "Output: off", "", 0 },
        { "--json output on", "", "SOUT0 ENDS ", "{\"output\":true}", "", 0 },
        { "limits", "", "ENDS ", "UVL: 36V\nUCL: 5.1A", "", 0 },
        { "limits --uvl 30 --ucl 2,5", "", "SOVP300 GOVP SOCP250 GOCP ENDS ", "UVL: 30V\nUCL: 2.5A",
            "", 0 },
        { "presets", "", "ENDS ", "Preset 2: 12.0V 2.00A", "", 0 },
        { "presets --store 5,1+6,1.5+7,2", "", prom + "ENDS ", "Preset 3: 7.0V 2.00A", "", 0 },
        { "presets --recall 2", "", "RUNM1 ENDS ", "set-points 12.0V 2.00A", "", 0 },
        { "presets --store 5,1+6,1.5+7,2 --recall 3", "", prom + "RUNM2 ENDS ",
            "set-points 7.0V 2.00A", "", 0 },
        { "read", "", "GETD ENDS ", "5.0V 0.50A 2.5W CV", "", 0 },
        { "--json read --every 1 --count 2", "", "GETD GETD ENDS ", "\"volts\":5,\"watts\":2.5}\n",
            "", 0 },
        { "read", "silent-after:7", "GETD ENDS ", "no reading", "did not answer", 1 },
        { "set --volt 36.1 --curr 1", "", "ENDS ", "",
            "Voltage must be 1 - 36 and 1 digit of precision .", 2 },
        { "set --curr 0.001", "", "ENDS ", "",
            "Current must be 0.01 - 5.1 and 2 digit o precision .", 2 },
        { "limits --uvl 0.5", "", "ENDS ", "", "UVL must be 1 - 36", 2 },
        { "presets --store 5,1+6,9+7,2", "", "ENDS ", "",
            "Preset 2: Current must be 0.01 - 5.1 and 2 digit of precision .", 2 },
        { "record --every 1 --out " + path("kept.csv"), "", {}, "", "kept.csv exists", 2 },
        { "run " + path("log.csv"), "", {}, "", "isn't a 'External Timed Program' table", 2 },
        { "run " + path("missing.csv"), "", {}, "", "Cannot read", 2 },
        { "run --table none", "", {}, "", "none", 2 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.toStdString());
        supply = &transport.attachSupply(1); // as it was at power-up
        const Result r = run(c.args, c.faults);
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        EXPECT_EQ(r.sent, c.sent.isNull() ? "" : kConnection + c.sent);
        EXPECT_TRUE(r.out.contains(QString::fromLatin1(c.out))) << r.out.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.err))) << r.err.toStdString();
    }
    EXPECT_EQ(FileBytes(path("kept.csv")), "keep me\r\n");
}

TEST_F(CliTest, ABadCommandLineIsRefusedWithAReason)
{
    const std::pair<const char*, const char*> cases[] = {
        { "", "No command given." },
        { "fly", "Unknown command 'fly'." },
        { "--port 33 identify", "--port takes a port number from 1 to 32" },
        { "identify --volt 1", "Unknown option 'volt'" },
        { "set", "set needs --volt, --curr or both." },
        { "set --volt abc", "--volt takes a voltage such as 12.5, not 'abc'." },
        { "output up", "output takes on or off." },
        { "read --every 0.1", "--every takes seconds from 0.2" },
        { "read --count 2 --for 1m", "cannot be given together" },
        { "read --for soon", "--for takes a duration" },
        { "presets --store 5,1+6,1", "--store takes three presets" },
        { "presets --recall 4", "--recall takes a preset 1, 2 or 3" },
        { "run", "run takes a CSV file or --table NAME." },
        { "run a.csv --cycles -1", "--cycles takes a number of passes" },
        { "record --every 1", "record needs --every SECONDS and --out FILE." },
        { "record --every 1 --out f --append --force", "cannot be given" },
    };
    for (const auto& [args, says] : cases) {
        QString error;
        EXPECT_FALSE(CliOptions::Parse(Args(QString::fromLatin1(args)), &error)) << args;
        EXPECT_TRUE(error.contains(QString::fromLatin1(says))) << error.toStdString();
    }
    EXPECT_EQ(CliOptions::DurationMs("90s"), 90000);
    EXPECT_EQ(CliOptions::DurationMs("1,5h"), 5400000);
    EXPECT_EQ(CliOptions::DurationMs("15M"), 900000);
}

// One whole row per sample, the second "GETD" unanswered, and a summary; appended to, a
// partial last line (a crash) is cut off and the header not repeated.
TEST_F(CliTest, RecordWritesOneWholeRowPerSampleAndASummary)
{
    const QString file = path("log.csv");
    const Result r = run("record --every 1 --for 3s --out " + file, "silent-after:8:1");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.sent, kConnection + "GETD GETD GETD ENDS ");
    const QList<QByteArray> rows = FileBytes(file).split('\n');
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], "time,elapsed_s,volts,amps,watts,mode\r");
    EXPECT_TRUE(rows[1].startsWith("2026-01-15T10:30:0"));
    EXPECT_TRUE(rows[1].endsWith(",0.000,5.0,0.50,2.5,CV\r")) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].endsWith(",1.000,,,,\r")) << rows[2].toStdString();
    EXPECT_TRUE(rows[3].endsWith(",2.000,5.0,0.50,2.5,CV\r"));
    EXPECT_TRUE(r.err.startsWith("3 samples, 1 dropouts\nvolts: min 5 mean 5 max 5\n"))
        << r.err.toStdString();

    ASSERT_TRUE(WriteFile(file, FileBytes(file) + "2026-01-15T10:3"));
    EXPECT_EQ(run("record --every 2 --for 1s --append --out " + file).status, 0);
    const QList<QByteArray> appended = FileBytes(file).split('\n');
    EXPECT_EQ(appended.size(), 6);
    EXPECT_TRUE(appended[4].endsWith(",0.000,5.0,0.50,2.5,CV\r"));
}

TEST_F(CliTest, RunSendsEachStepOnThePollAndStopsWhenInterrupted)
{
    ASSERT_TRUE(WriteFile(path("two.csv"),
        "Type:ETP\r\nDescription:two steps\r\nPreset,Voltage(mV),Current(mA),Minute(M),Second(S),"
        "Output\r\n1,12000,500,0,2,1\r\n2,6000,250,0,1,0\r\n"));
    const Result done = run("run " + path("two.csv"));
    EXPECT_EQ(done.status, 0);
    EXPECT_EQ(done.out,
        "Step 1, cycle 1: 12.0V 0.50A, output on\nStep 2, cycle 1: 6.0V 0.25A, output off\n");
    EXPECT_EQ(done.sent, kConnection + "GETD SEVC1200501 GETD GETD GETD SEVC0600250 GETD ENDS ");

    during = [](CliRun& cli) { cli.interrupt(SIGTERM); };
    const Result stopped = run("run " + path("two.csv") + " --cycles 0");
    EXPECT_EQ(stopped.status, 0); // without end of its own: the signal is its end
    EXPECT_TRUE(stopped.sent.endsWith(" ENDS "));
    EXPECT_EQ(run("run " + path("two.csv") + " --cycles 5").status, 128 + SIGTERM);
}

TEST_F(CliTest, APortInUseOrWithoutSupplyIsLeftAlone)
{
    PortLock other { QString(), dir.filePath("locks") };
    ASSERT_TRUE(other.claim(1));
    Result r = run("identify");
    EXPECT_EQ(r.status, CliRun::kInUse);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Com1 (/dev/ttyUSB0) is in use by test_cli (pid ")))
        << r.err.toStdString();
    EXPECT_EQ(r.sent, "");
    other.release();
    r = run("identify", "silent");
    EXPECT_EQ(r.status, CliRun::kFailed);
    EXPECT_TRUE(r.err.contains("No supply answered on Com1 (/dev/ttyUSB0)."));
    EXPECT_EQ(r.sent, "GMAX ");
}

TEST_F(CliTest, PortsTellsWhatEachPortHolds)
{
    QDir().mkpath(path("ports"));
    for (const char* name : { "ports/Com1", "ports/Com2", "ports/Com3", "ports/Com4" })
        ASSERT_TRUE(WriteFile(path(name), {}));
    transport.addEmptyPort(2);
    transport.setPortBusy(3, true);
    transport.attachSupply(4);
    PortLock other { path("ports"), dir.filePath("locks") };
    ASSERT_TRUE(other.claim(4));
    const Result r = run("ports");
    EXPECT_EQ(r.status, 0);
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4) << r.out.toStdString(); // and the machine's own ports
    EXPECT_TRUE(lines[0].endsWith("/ports/Com1): 5812, Rating: 36V 5A"));
    EXPECT_TRUE(lines[1].endsWith(": opens, no supply answers"));
    EXPECT_TRUE(lines[2].endsWith(": does not open"));
    EXPECT_TRUE(lines[3].contains(": in use by test_cli (pid "));
    EXPECT_EQ(r.sent, "GMAX GMOD "); // asked, nothing changed
    EXPECT_TRUE(transport.supply(4)->receivedLines().isEmpty());
}
