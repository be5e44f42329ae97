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

struct CliTest : ::testing::Test {
    QTemporaryDir dir;
    FakeClock clock;
    FakeTimers timers { clock };
    SimTransport transport { clock };
    VirtualSupply* supply = &transport.attachSupply(1);
    PortLock lock { dir.filePath("ports"), dir.filePath("locks") };
    int status = -1;
    QString out, err, sent; // sent: the lines the supply on Com1 got, each and a space

    CliTest() { QDir().mkpath(dir.filePath("locks")); }
    QString path(const char* name) { return dir.filePath(QString::fromLatin1(name)); }

    // Runs to its end, interrupted with the signal once under way if one is given.
    int run(const QString& args, const char* faults = "", int interruptWith = 0)
    {
        supply->setFaults(*SupplyFaults::parse(QString::fromLatin1(faults), nullptr));
        QString error;
        const auto options
            = CliOptions::Parse(Args("--data-dir " + dir.path() + " --port 1 " + args), &error);
        EXPECT_TRUE(options) << error.toStdString();
        QBuffer outBuffer, errBuffer;
        outBuffer.open(QIODevice::WriteOnly);
        errBuffer.open(QIODevice::WriteOnly);
        status = -1;
        CliRun cli(
            *options, { transport, timers, clock, outBuffer, errBuffer, dir.path(), &lock, {} });
        QObject::connect(&cli, &CliRun::finished, [&](int finished) { status = finished; });
        cli.start();
        if (interruptWith) {
            timers.advance(5000);
            cli.interrupt(interruptWith);
        }
        timers.runUntil([&] { return status >= 0; });
        out = QString::fromUtf8(outBuffer.data());
        err = QString::fromUtf8(errBuffer.data());
        sent.clear();
        for (const QByteArray& line : supply->receivedLines())
            sent += QString::fromLatin1(line) + ' ';
        return status;
    }
};

} // namespace

// What each command sends before "ENDS" (nullptr: nothing at all) and says (stderr if failed).
TEST_F(CliTest, EachCommandSendsItsLinesAndSaysWhatHappened)
{
    ASSERT_TRUE(
        WriteFile(path("kept.csv"), "keep me\r\n") && WriteFile(path("log.csv"), "Type:LOG\r\n"));
    const struct {
        QString args;
        const char* sent;
        int status;
        const char *says, *faults = "";
    } cases[] = {
        { "identify", "", 0, "Rating: 36V 5A\nMaximum: 36V 5.10A" },
        { "--json identify", "", 0, "\"ucl_amps\":5.1" },
        { "set --volt 12,5 --curr 1.234", "VOLT125 CURR123 ", 0, "Set-points: 12.5V 1.23A" },
        { "set --volt 12", "VOLT120 ", 1, "did not acknowledge the voltage", "silent-after:7" },
        { "output off", "SOUT1 ", 0, "Output: off" },
        { "--json output on", "SOUT0 ", 0, "{\"output\":true}" },
        { "limits", "", 0, "UVL: 36V\nUCL: 5.1A" },
        { "limits --uvl 30 --ucl 2,5", "SOVP300 GOVP SOCP250 GOCP ", 0, "UVL: 30V\nUCL: 2.5A" },
        { "presets", "", 0, "Preset 2: 12.0V 2.00A" },
        { "presets --store 5,1+6,1.5+7,2", "PROM050100060150070200 ", 0, "Preset 3: 7.0V 2.00A" },
        { "presets --store 5,1+6,1.5+7,2 --recall 3", "PROM050100060150070200 RUNM2 ", 0,
            "set-points 7.0V 2.00A" },
        { "read", "GETD ", 0, "5.0V 0.50A 2.5W CV" },
        { "--json read --every 1 --count 2", "GETD GETD ", 0, "\"volts\":5,\"watts\":2.5}\n" },
        { "read", "GETD ", 1, "did not answer", "silent-after:7" },
        { "set --volt 36.1 --curr 1", "", 2, "Voltage must be 1 - 36 and 1 digit of precision ." },
        { "set --curr 0.001", "", 2, "Current must be 0.01 - 5.1 and 2 digit o precision ." },
        { "limits --uvl 0.5", "", 2, "UVL must be 1 - 36" },
        { "presets --store 5,1+6,9+7,2", "", 2,
            "Preset 2: Current must be 0.01 - 5.1 and 2 digit of precision ." },
        { "record --every 1 --out " + path("kept.csv"), nullptr, 2, "kept.csv exists" },
        { "run " + path("log.csv"), nullptr, 2, "isn't a 'External Timed Program' table" },
        { "run " + path("missing.csv"), nullptr, 2, "Cannot read" },
        { "run --table none", nullptr, 2, "none" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.toStdString());
        supply = &transport.attachSupply(1); // as it was at power-up
        EXPECT_EQ(run(c.args, c.faults), c.status) << err.toStdString();
        EXPECT_EQ(sent, c.sent ? kConnection + c.sent + "ENDS " : "");
        EXPECT_TRUE((c.status ? err : out).contains(QString::fromLatin1(c.says)))
            << out.toStdString() << err.toStdString();
    }
    EXPECT_EQ(FileBytes(path("kept.csv")), "keep me\r\n");
    run("read", "silent-after:7");
    EXPECT_TRUE(out.contains("no reading"));
}

// One row per kind of mistake.
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
        { "read --count 2 --for 1m", "cannot be given together" },
        { "presets --store 5,1+6,1", "--store takes three presets" },
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

TEST_F(CliTest, RecordWritesOneWholeRowPerSampleAndASummary)
{
    const QString file = path("log.csv");
    EXPECT_EQ(run("record --every 1 --for 3s --out " + file, "silent-after:8:1"), 0);
    EXPECT_EQ(sent, kConnection + "GETD GETD GETD ENDS ");
    const QList<QByteArray> rows = FileBytes(file).split('\n');
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[0], "time,elapsed_s,volts,amps,watts,mode\r");
    EXPECT_TRUE(rows[1].startsWith("2026-01-15T10:30:0"));
    EXPECT_TRUE(rows[1].endsWith(",0.000,5.0,0.50,2.5,CV\r")) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].endsWith(",1.000,,,,\r")) << rows[2].toStdString();
    EXPECT_TRUE(rows[3].endsWith(",2.000,5.0,0.50,2.5,CV\r"));
    EXPECT_TRUE(err.startsWith("3 samples, 1 dropouts\nvolts: min 5 mean 5 max 5\n"))
        << err.toStdString();
    // Appended to: a partial last line (a crash) is cut off, the header not repeated.
    ASSERT_TRUE(WriteFile(file, FileBytes(file) + "2026-01-15T10:3"));
    EXPECT_EQ(run("record --every 2 --for 1s --append --out " + file), 0);
    const QList<QByteArray> appended = FileBytes(file).split('\n');
    EXPECT_EQ(appended.size(), 6);
    EXPECT_TRUE(appended[4].endsWith(",0.000,5.0,0.50,2.5,CV\r"));
    // A signal ends a record without "--for" as its end; one with "--for" is cut short.
    EXPECT_EQ(run("record --every 1 --out " + path("open.csv"), "", SIGTERM), 0);
    EXPECT_EQ(
        run("record --every 1 --for 1h --out " + path("cut.csv"), "", SIGTERM), 128 + SIGTERM);
}

TEST_F(CliTest, RunSendsEachStepOnThePollAndStopsWhenInterrupted)
{
    const QString file = path("two.csv");
    ASSERT_TRUE(WriteFile(file,
        "Type:ETP\r\nDescription:two steps\r\nPreset,Voltage(mV),Current(mA),Minute(M),Second(S),"
        "Output\r\n1,12000,500,0,2,1\r\n2,6000,250,0,1,0\r\n"));
    EXPECT_EQ(run("run " + file), 0);
    EXPECT_EQ(
        out, "Step 1, cycle 1: 12.0V 0.50A, output on\nStep 2, cycle 1: 6.0V 0.25A, output off\n");
    EXPECT_EQ(sent, kConnection + "GETD SEVC1200501 GETD GETD GETD SEVC0600250 GETD ENDS ");
    // Without an end of its own the signal is its end; with one, it is cut short.
    EXPECT_EQ(run("run " + file + " --cycles 0", "", SIGTERM), 0);
    EXPECT_TRUE(sent.endsWith(" ENDS "));
    EXPECT_EQ(run("run " + file + " --cycles 5", "", SIGTERM), 128 + SIGTERM);
}

// "ports" tells what each port holds, changing nothing (a port in use: the end-to-end tests).
TEST_F(CliTest, PortsInUseOrWithoutSupplyAreLeftAlone)
{
    EXPECT_EQ(run("identify", "silent"), CliRun::kFailed);
    EXPECT_TRUE(err.contains("No supply answered on Com1 (/dev/ttyUSB0)."));
    EXPECT_EQ(sent, "GMAX ");

    QDir().mkpath(path("ports"));
    for (const char* name : { "ports/Com1", "ports/Com2", "ports/Com3", "ports/Com4" })
        ASSERT_TRUE(WriteFile(path(name), {}));
    transport.addEmptyPort(2);
    transport.setPortBusy(3, true);
    transport.attachSupply(4);
    PortLock holder { path("ports"), dir.filePath("locks") };
    ASSERT_TRUE(holder.claim(4));
    supply->clearReceived();
    EXPECT_EQ(run("ports"), 0);
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4) << out.toStdString(); // and the machine's own ports
    EXPECT_TRUE(lines[0].endsWith("/ports/Com1): 5812, Rating: 36V 5A"));
    EXPECT_TRUE(lines[1].endsWith(": opens, no supply answers"));
    EXPECT_TRUE(lines[2].endsWith(": does not open"));
    EXPECT_TRUE(lines[3].contains(": in use by test_cli (pid "));
    EXPECT_EQ(sent, "GMAX GMOD ");
    EXPECT_TRUE(transport.supply(4)->receivedLines().isEmpty());
}
