#include "core/SteadyClock.h"
#include "sim/LineAssembler.h"
#include "sim/PtySupply.h"
#include "sim/SimOptions.h"
#include "sim/SimTransport.h"
#include "tests/support/FakeClock.h"
#include "tests/support/SimProcess.h"

#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

FakeClock still; // the clock of supplies whose replies do not wait

SupplyFaults Parsed(const char* text)
{
    QString error;
    const auto faults = SupplyFaults::parse(QString::fromLatin1(text), &error);
    EXPECT_TRUE(faults.has_value()) << text << ": " << error.toStdString();
    return faults.value_or(SupplyFaults {});
}

VirtualSupply Supply(const char* model = "5812", const char* faults = "")
{
    VirtualSupply supply(still, *SupplyModel::find(QString::fromLatin1(model)));
    supply.setFaults(Parsed(faults));
    return supply;
}

} // namespace

TEST(LineAssembler, CutsAtEveryLineEndAndDropsOverlongLines)
{
    const std::tuple<QList<QByteArray>, QList<QByteArray>, qsizetype> cases[] = {
        { { "GMAX\r\nGMOD\nGETS\r" }, { "GMAX", "GMOD", "GETS" }, 0 },
        { { "GM", "AX\rGM", "OD\r" }, { "GMAX", "GMOD" }, 0 },
        { { "GMAX\r", "\n", "GETD" }, { "GMAX" }, 4 },
        { { "\r\r\n\n", "" }, {}, 0 },
        { { QByteArray("\xff\x00\x01", 3), "\r" }, { QByteArray("\xff\x00\x01", 3) }, 0 },
    };
    for (const auto& [chunks, expected, pending] : cases) {
        LineAssembler assembler;
        QList<QByteArray> lines;
        for (const QByteArray& chunk : chunks)
            lines += assembler.feed(chunk);
        EXPECT_EQ(lines, expected) << chunks.join('|').toHex().constData();
        EXPECT_EQ(assembler.pending(), pending);
    }
    LineAssembler assembler;
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(assembler.feed(QByteArray(1000, 'B')).isEmpty());
    EXPECT_LE(assembler.pending(), LineAssembler::kMaxLine);
    EXPECT_EQ(assembler.feed("tail\rGMAX\r"), QList<QByteArray> { "GMAX" });
    EXPECT_EQ(assembler.feed(QByteArray(LineAssembler::kMaxLine, 'C') + '\r').size(), 1);
    assembler.feed("GMA");
    assembler.clear();
    EXPECT_EQ(assembler.feed("GMOD\r"), QList<QByteArray> { "GMOD" });
}

// One row per kind of option and of mistake.
TEST(SimOptions, CommandLines)
{
    const auto outcome = [](const QString& line) {
        QString e;
        const auto o = SimOptions::parse(("ovolta-sim " + line).split(' ', Qt::SkipEmptyParts), &e);
        return !o ? e
                  : QStringList { o->dataDir, QString::number(o->port), o->model.code,
                        QString::number(o->loadOhms), o->faults.any() ? "faults" : "-",
                        o->traceFile, QString::number(o->noiseDigits) }
                        .join(' ');
    };
    const std::pair<QString, QString> cases[] = {
        { "--data-dir /tmp/d --port 7 --model 5914 --load 2.5 --fault split:40,prefix "
          "--trace=/tmp/t.txt --noise 3",
            "/tmp/d 7 5914 2.5 faults /tmp/t.txt 3" },
        // A relative folder is made absolute, so the panel finds the same link.
        { "--data-dir=d --port=255 --load=open", QDir::currentPath() + "/d 255 5812 inf -  0" },
        { "", "--data-dir is required" },
        { "--data-dir=d --port=256", "--port must be a number from 1 to 255, not '256'" },
        { "--data-dir=d --port=1 --model=5813", "unknown model '5813'; see --help for the models" },
        { "--data-dir=d --port=1 --load=-2",
            "--load must be ohms (0 or more) or \"open\", not '-2'" },
        { "--data-dir=d --port=1 --fault=loud",
            "--fault: unknown fault 'loud'; expected " + SupplyFaults::syntax() },
        { "--data-dir=d --port=1 --colour", "unknown option --colour" },
        { "--data-dir=d --port=1 extra", "unexpected argument 'extra'" },
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(outcome(line), expected) << line.toStdString();
}

TEST(SupplyFaults, ReadsCombinationsAndSaysWhatIsWrong)
{
    EXPECT_EQ(Parsed("  none "), SupplyFaults {});
    EXPECT_EQ(Parsed("prefix, split:40"), (SupplyFaults { .prefix = true, .splitMs = 40 }));
    EXPECT_TRUE(Parsed("late:1").any());
    const std::pair<const char*, const char*> cases[] = { { "silent,loud", "unknown fault 'loud'" },
        { "split:40:2", "needs one delay" }, { "silent-after:1:2:3", "needs a line count" },
        { "late:60001", "whole number from 1 to 60000" },
        { "silent-after:12:0", "silent line count" }, { "silent:3", "takes no such argument" },
        { "prefix:ab", "one printable character" }, { ",", "empty fault" } };
    for (const auto& [text, says] : cases) {
        QString error;
        EXPECT_FALSE(SupplyFaults::parse(QString::fromLatin1(text), &error).has_value()) << text;
        EXPECT_TRUE(error.contains(QString::fromLatin1(says)))
            << text << ": " << error.toStdString();
    }
    EXPECT_FALSE(SupplyFaults::parse(QStringLiteral("loud"), nullptr).has_value());
}

// Replies ('|' between) from power-up: 5.0 V, 1 A, 10 ohm; the session's tests read the rest.
TEST(VirtualSupply, CommandsAndFaultsAsASupplyAnswersThem)
{
    const struct {
        const char *model, *faults, *lines;
        QByteArray replies;
        double ohms = 10.0;
    } cases[] = {
        { "5812", "", "VOLT999 GETS", "OK\r|360100\rOK\r" }, // clamped to the limit
        { "5812", "", "VOLT300 SOVP200 GETS", "OK\r|OK\r|200100\rOK\r" }, // pulled down
        { "5812", "", "SOVP999 SOCP999 GOVP GOCP", "OK\r|OK\r|360\rOK\r|510\rOK\r" }, // rating
        { "5812", "", "SOCP050 CURR400 GOCP", "OK\r|OK\r|050\rOK\r" },
        { "5814", "", "SEVC7007771 GETS", "OK\r|600250\rOK\r" },
        { "5812", "", "SOVP030 RUNM1 GETS", "OK\r|OK\r|030200\rOK\r" },
        { "5812", "", "PROM999999000000000000 GETM", "OK\r|360510\r000000\r000000\rOK\r" },
        { "5812", "", "SEVC0500500 GETD SOUT0 GETD SOUT1 GETD", // SOUT1 switches it off
            "OK\r|000000000\rOK\r|OK\r|005000500\rOK\r|OK\r|000000000\rOK\r" },
        { "5812", "", "VOLT120 GETD", "OK\r|012001000\rOK\r", 12.0 }, // the set current: CV
        { "5812", "", "VOLT120 GETD", "OK\r|006001001\rOK\r", 6.0 }, // would draw 2 A: CC
        { "5812", "", "VOLT120 GETD", "OK\r|012000000\rOK\r", VirtualSupply::kOpenCircuit },
        { "5812", "", "VOLT120 GETD", "OK\r|000001001\rOK\r", 0.0 }, // short: CC at 0 V
        { "5810", "", "VOLT120 CURR015 GETD", "OK\r|OK\r|006001501\rOK\r", 4.0 },
        { "5812", "silent", "VOLT200 GETS", "|" },
        { "5812", "silent-after:1:3", "SOUT1 SOUT0 SOUT0 SOUT0 GETD GMAX",
            "OK\r||||000000000\rOK\r|360510\rOK\r" },
        { "5812", "silent-after:0", "GMAX GMAX GMAX", "||" },
        { "5812", "truncate", "GMAX VOLT120 GETS", "36051|O|12010" },
        { "5812", "prefix", "GMAX", "\377360510\rOK\r" },
        { "5812", "prefix:#", "ENDS", "#\rOK\r" },
        { "5812", "truncate,prefix:#", "GMAX", "#36051" },
    };
    for (const auto& c : cases) {
        VirtualSupply supply = Supply(c.model, c.faults);
        ASSERT_TRUE(supply.setLoadOhms(c.ohms));
        QList<QByteArray> replies;
        for (const QByteArray& line : QByteArray(c.lines).split(' '))
            replies << supply.answer(line);
        EXPECT_EQ(replies.join('|'), c.replies) << c.model << " " << c.faults << ": " << c.lines;
    }
    VirtualSupply supply = Supply("5812", "garbage"); // as long as the reply, and still acts
    const QByteArray garbled = supply.answer("GETM");
    EXPECT_TRUE(garbled.size() == 24 && !garbled.contains('O') && !garbled.contains('K'));
    EXPECT_TRUE(supply.answer("VOLT120").size() == 3 && supply.setVoltDigits() == 120);
    // answer() hands the whole reply over; respond() keeps the delays.
    using Piece = VirtualSupply::ReplyPiece;
    EXPECT_EQ(Supply("5812", "late:300,split:40").respond("GMAX"),
        QList<Piece>({ { 300, "36051" }, { 340, "0\rOK\r" } }));
    EXPECT_EQ(Supply("5812", "late:300,split:40").answer("GMAX"), "360510\rOK\r");
    EXPECT_TRUE(Supply("5812", "silent,late:300").respond("GMAX").isEmpty());
}

TEST(VirtualSupply, BadLinesGetNoReplyAndChangeNothing)
{
    const QByteArray bad[] = { "", "GMA", "gmax", "GMAX1", " GMAX", "VOLT", "VOLT12", "VOLT12345",
        "VOLT-12", "CURR1.5", "SOUT2", "SOUT00", "SEVC120150", "SEVC12a1501",
        "PROM12345678901234567", "PROM-23456789012345678", "RUNM3", "RUNM01",
        "VOLT" + QByteArray(1, '\0') + "120", "GM\rAX", QByteArray(5000, 'V') };
    VirtualSupply supply = Supply();
    supply.answer("SESS");
    const auto snap = [&] { // everything a command could change
        return std::tuple(supply.setVoltDigits(), supply.setCurrDigits(), supply.voltLimitDigits(),
            supply.currLimitDigits(), supply.outputOn(), supply.remote(), supply.presets());
    };
    const auto before = snap();
    for (const QByteArray& line : bad) {
        EXPECT_EQ(supply.answer(line), "") << line.left(40).toHex().constData();
        EXPECT_EQ(snap(), before) << line.left(40).toHex().constData();
    }
    EXPECT_FALSE(supply.received().last().answered);
    // Line ends are stripped before reading; still working afterwards.
    EXPECT_EQ(supply.answer("GMAX\r\n"), "360510\rOK\r");
    EXPECT_EQ(supply.answer("VOLT120\n"), "OK\r");
    EXPECT_TRUE(supply.remote());
    supply.answer("ENDS");
    EXPECT_FALSE(supply.remote());
}

TEST(VirtualSupply, NoiseStaysWithinItsDigitsAndRepeatsForASeedAndLoadsAreChecked)
{
    VirtualSupply first = Supply(), second = Supply();
    first.setNoise(3, 42);
    second.setNoise(3, 42);
    QSet<QByteArray> seen;
    for (int i = 0; i < 200; ++i) {
        const QByteArray a = first.answer("GETD");
        ASSERT_EQ(a, second.answer("GETD"));
        EXPECT_LE(std::abs(a.left(4).toInt() - 50), 3) << a.constData();
        EXPECT_LE(std::abs(a.mid(4, 4).toInt() - 50), 3) << a.constData();
        seen << a;
    }
    EXPECT_GT(seen.size(), 1);
    EXPECT_FALSE(first.setLoadOhms(-0.001) || first.setLoadOhms(qQNaN()));
    EXPECT_EQ(first.loadOhms(), 10.0);
    first.answer("SOUT1"); // output off reads zero, noise or not
    EXPECT_EQ(first.answer("GETD"), "000000000\rOK\r");
}

// Its counts and busy ports are read by the link's and the command line's tests.
TEST(SimTransport, AnswersOnTheOpenPortInTimeOrderAndDropsAReplacedSuppliesReplies)
{
    FakeClock clock;
    SimTransport port { clock };
    VirtualSupply& first = port.attachSupply(1);
    port.attachSupply(4, *SupplyModel::find("5810"));
    port.setPortNumber(1);
    ASSERT_TRUE(port.open());
    port.setPortNumber(4); // the open port still answers
    const std::pair<const char*, QByteArray> sent[]
        = { { "late:100", "GMOD\r" }, { "late:50", "GMAX\r" }, { "", "SESS\r" } };
    for (const auto& [fault, line] : sent) {
        first.setFaults(Parsed(fault));
        port.write(line);
    }
    clock.advance(100);
    EXPECT_EQ(port.readAll(), "OK\r360510\rOK\r5812\rOK\r"); // in time order
    first.setFaults(Parsed("late:50"));
    port.write("GMAX\r");
    port.attachSupply(1, *SupplyModel::find("5914"));
    clock.advance(100);
    EXPECT_EQ(port.readAll(), "");
    port.write("GMAX\r");
    EXPECT_EQ(port.readAll(), "600500\rOK\r");
    EXPECT_EQ(port.readAll(), ""); // read once only
}

// A stale link is replaced, noise traced and ignored, unplugged it does not act; another's is kept.
TEST(PtySupply, AnswersThroughItsOwnLinkTracesEveryLineAndReplugs)
{
    QTemporaryDir dir;
    SteadyClock clock;
    VirtualSupply supply { clock };
    const QString link = dir.filePath("ports/Com1"), trace = dir.filePath("trace.txt");
    const auto started = [&](bool traced) {
        auto pty = std::make_unique<PtySupply>(clock, supply, dir.path(), 1);
        QString error;
        EXPECT_TRUE((!traced || pty->setTrace(trace, &error)) && pty->start(&error))
            << error.toStdString();
        return pty;
    };
    QDir().mkpath(dir.filePath("ports"));
    ASSERT_TRUE(QFile::link("/nonexistent/tty", link));
    auto pty = started(true);
    auto port = OpenTerminal(link);
    const QByteArray noise = QByteArray("\xff\x01ga\\rbage\r", 11) + QByteArray(3000, 'x') + '\r';
    EXPECT_EQ(Exchange(*port, noise + "GMAX\r", 10), "360510\rOK\r");
    QSignalSpy lines(pty.get(), &PtySupply::lineReceived);
    pty->setUnplugged(true);
    port->write("VOLT120\r");
    ASSERT_TRUE(lines.wait(5000));
    pty->setUnplugged(false);
    EXPECT_EQ(Exchange(*port, "GETS\r", 10), "050100\rOK\r");
    supply.setFaults(*SupplyFaults::parse("late:100", nullptr));
    port->write("GMAX\r");
    ASSERT_TRUE(lines.wait(5000));
    port.reset();
    QString error;
    ASSERT_TRUE(pty->replug(&error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), pty->slavePath());
    EXPECT_EQ(Exchange(*OpenTerminal(link), "GMOD\r", 8), "5812\rOK\r");
    EXPECT_EQ(Commands(ReadTrace(trace)),
        QStringList({ "\\xff\\x01ga\\x5crbage", "GMAX", "VOLT120", "GETS", "GMAX", "GMOD" }));
    pty->stop();
    EXPECT_FALSE(QFileInfo(link).isSymLink() || pty->isRunning());
    pty->stop(); // twice is harmless

    pty = started(false);
    ASSERT_TRUE(QFile::remove(link)); // another instance took the name over meanwhile
    ASSERT_TRUE(QFile::link("/dev/null", link));
    pty.reset();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), "/dev/null");
    ASSERT_TRUE(QFile::remove(link) && WriteFile(link, "keep me"));
    PtySupply blocked(clock, supply, dir.path(), 1);
    EXPECT_FALSE(blocked.start(&error));
    EXPECT_TRUE(error.contains("exists and is not a link")) << error.toStdString();
    EXPECT_FALSE(blocked.isRunning());
    EXPECT_EQ(FileBytes(link), "keep me");
}

TEST(OvoltaSimProcess, StartsThatEndAtOnceAndSigterm)
{
    if (!SimProcess::built())
        GTEST_SKIP() << "ovolta-sim is not built next to the tests";
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("file"), {}));
    const std::tuple<QStringList, int, QString> cases[] = {
        { { "--data-dir", dir.path() }, 2, "ovolta-sim: --port is required" },
        { { "--data-dir", dir.filePath("file"), "--port", "1" }, 1,
            "ovolta-sim: cannot create the folder" },
        { { "--data-dir", dir.path(), "--port", "1", "--trace", dir.filePath("no/such/t.txt") }, 1,
            "ovolta-sim: cannot write the trace file" },
    };
    for (const auto& [arguments, exitCode, says] : cases) {
        QProcess process;
        process.start(Binary("ovolta-sim"), arguments);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), exitCode);
        const QString said = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_TRUE(said.startsWith(says)) << said.toStdString();
    }
    const QString link = dir.filePath("ports/Com1");
    EXPECT_FALSE(QFileInfo::exists(link));
    SimProcess sim;
    ASSERT_TRUE(sim.startOn(dir.path(), 1));
    ASSERT_TRUE(sim.waitForOutput("ovolta-sim: Com1 -> /dev/pts/")) << sim.output.toStdString();
    sim.signal(SIGTERM);
    ASSERT_TRUE(sim.waitForFinished(10000));
    EXPECT_TRUE(sim.exitStatus() == QProcess::NormalExit && sim.exitCode() == 0);
    EXPECT_FALSE(QFileInfo(link).exists() || QFileInfo(link).isSymLink());
}
