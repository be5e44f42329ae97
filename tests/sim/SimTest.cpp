#include "sim/LineAssembler.h"
#include "sim/SimOptions.h"
#include "sim/SimTransport.h"

#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinting.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSet>
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

// Everything a command could change, to prove that a refused line changed nothing.
struct Snapshot {
    int volt, curr, voltLimit, currLimit;
    bool output, remote;
    std::array<VirtualSupply::Preset, 3> presets;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot Snap(const VirtualSupply& s)
{
    return { s.setVoltDigits(), s.setCurrDigits(), s.voltLimitDigits(), s.currLimitDigits(),
        s.outputOn(), s.remote(), s.presets() };
}

} // namespace

TEST(LineAssembler, CutsAtEveryLineEndAndDropsOverlongLines)
{
    const struct {
        QList<QByteArray> chunks, lines;
        qsizetype pending;
    } cases[] = {
        { { "GMAX\r\nGMOD\nGETS\r" }, { "GMAX", "GMOD", "GETS" }, 0 },
        { { "GM", "AX\rGM", "OD\r" }, { "GMAX", "GMOD" }, 0 },
        { { "GMAX\r", "\n", "GETD" }, { "GMAX" }, 4 },
        { { "\r\r\n\n", "" }, {}, 0 },
        { { QByteArray("\xff\x00\x01", 3), "\r" }, { QByteArray("\xff\x00\x01", 3) }, 0 },
    };
    for (const auto& c : cases) {
        LineAssembler assembler;
        QList<QByteArray> lines;
        for (const QByteArray& chunk : c.chunks)
            lines += assembler.feed(chunk);
        EXPECT_EQ(lines, c.lines) << c.chunks.join('|').toHex().constData();
        EXPECT_EQ(assembler.pending(), c.pending);
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

TEST(SimOptions, CommandLines)
{
    const auto outcome = [](const QStringList& arguments) {
        QString error;
        const auto o = SimOptions::parse(QStringList { "ovolta-sim" } + arguments, &error);
        if (!o || o->help)
            return o ? QStringLiteral("help") : "error: " + error;
        return QStringList { o->dataDir, QString::number(o->port), o->model.code,
            QString::number(o->loadOhms), o->faults.any() ? "faults" : "-", o->traceFile,
            QString::number(o->noiseDigits) }
            .join(' ');
    };
    const QString error = "error: ";
    const std::pair<QStringList, QString> cases[] = {
        { { "--data-dir", "/tmp/d", "--port", "7", "--model", "5914", "--load", "2.5", "--fault",
              "split:40,prefix", "--trace=/tmp/t.txt", "--noise", "3" },
            "/tmp/d 7 5914 2.5 faults /tmp/t.txt 3" },
        // A relative folder is made absolute, so the panel finds the same link.
        { { "--data-dir=d", "--port=255", "--load=open" },
            QDir::currentPath() + "/d 255 5812 inf -  0" },
        { { "-h" }, "help" },
        { {}, error + "--data-dir is required" },
        { { "--data-dir=d", "--port=256" },
            error + "--port must be a number from 1 to 255, not '256'" },
        { { "--data-dir=d", "--port=1", "--model=5813" },
            error + "unknown model '5813'; see --help for the models" },
        { { "--data-dir=d", "--port=1", "--load=-2" },
            error + "--load must be ohms (0 or more) or \"open\", not '-2'" },
        { { "--data-dir=d", "--port=1", "--fault=loud" },
            error + "--fault: unknown fault 'loud'; expected " + SupplyFaults::syntax() },
        { { "--data-dir=d", "--port=1", "--colour" }, error + "unknown option --colour" },
        { { "--data-dir=d", "--port=1", "extra" }, error + "unexpected argument 'extra'" },
    };
    for (const auto& [arguments, expected] : cases)
        EXPECT_EQ(outcome(arguments), expected) << arguments.join(' ').toStdString();
}

TEST(SupplyFaults, ReadsCombinationsAndSaysWhatIsWrong)
{
    SupplyFaults splitPrefix;
    splitPrefix.splitMs = 40;
    splitPrefix.prefix = true;
    EXPECT_EQ(Parsed("  none "), SupplyFaults {});
    EXPECT_EQ(Parsed("prefix, split:40"), splitPrefix);
    EXPECT_FALSE(Parsed("").any());
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

// Damaged replies still act but cannot be taken for an acknowledgement; silent lines do not act.
TEST(SupplyFaults, EachFaultShapesTheReply)
{
    const struct {
        const char *fault, *line;
        QByteArray reply;
        int voltAfter;
    } cases[] = {
        { "silent", "VOLT200", "", 50 },
        { "truncate", "GMAX", "36051", 50 },
        { "truncate", "VOLT120", "O", 120 },
        { "prefix", "GMAX",
            "\xff"
            "360510\rOK\r",
            50 },
        { "prefix:#", "ENDS", "#\rOK\r", 50 },
        { "truncate,prefix:#", "GMAX", "#36051", 50 },
    };
    for (const auto& c : cases) {
        VirtualSupply supply = Supply("5812", c.fault);
        EXPECT_EQ(supply.answer(c.line), c.reply) << c.fault << " " << c.line;
        EXPECT_EQ(supply.setVoltDigits(), c.voltAfter) << c.fault << " " << c.line;
    }
    VirtualSupply supply = Supply("5812", "garbage");
    for (const auto& [line, size] : { std::pair { "GETM", 24 }, std::pair { "VOLT120", 3 } }) {
        const QByteArray reply = supply.answer(line);
        EXPECT_EQ(reply.size(), size) << line;
        EXPECT_FALSE(reply.contains('O') || reply.contains('K')) << line;
    }
    EXPECT_EQ(supply.setVoltDigits(), 120);

    // silent-after answers its count, then is silent for its lines (or for good).
    supply.setFaults(Parsed("silent-after:1:3"));
    EXPECT_EQ(supply.answer("SOUT1"), "OK\r");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(supply.answer("SOUT0"), "") << i;
    EXPECT_FALSE(supply.outputOn());
    EXPECT_FALSE(supply.received().last().answered);
    EXPECT_EQ(supply.answer("GMAX"), "360510\rOK\r");
    supply.setFaults(Parsed("silent-after:0"));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(supply.answer("GMAX"), "") << i;

    // answer() hands the whole reply over; respond() keeps the delays.
    using Piece = VirtualSupply::ReplyPiece;
    EXPECT_EQ(Supply("5812", "late:300,split:40").respond("GMAX"),
        QList<Piece>({ { 300, "36051" }, { 340, "0\rOK\r" } }));
    EXPECT_EQ(Supply("5812", "late:300,split:40").answer("GMAX"), "360510\rOK\r");
    EXPECT_TRUE(Supply("5812", "silent,late:300").respond("GMAX").isEmpty());
}

// Replies after the given lines, from power-up (5.0 V, 1 A, 10 ohm load: 0.5 A, constant
// voltage), in both current scales and at other loads; the session's tests read the rest.
TEST(VirtualSupply, CommandsChangeTheStateAsASupplyDoes)
{
    const struct {
        const char* model;
        std::vector<const char*> lines; // each acknowledged with "OK\r"
        const char* query;
        QByteArray reply;
        double ohms = 10.0;
    } cases[] = {
        { "5810", {}, "GOCP", "100\rOK\r" }, { "5810", {}, "GETS", "050010\rOK\r" },
        { "5812", { "VOLT999" }, "GETS", "360100\rOK\r" }, // clamped to the limit
        { "5812", { "CURR999" }, "GETS", "050510\rOK\r" },
        { "5812", { "VOLT300", "SOVP200" }, "GETS", "200100\rOK\r" }, // a lower limit pulls it down
        { "5812", { "SOCP050", "CURR400" }, "GOCP", "050\rOK\r" },
        { "5814", { "SEVC7007771" }, "GETS", "600250\rOK\r" },
        { "5812", { "SOVP030", "RUNM1" }, "GETS", "030200\rOK\r" },
        { "5812", { "PROM125125050050360510" }, "GETM", "125125\r050050\r360510\rOK\r" },
        { "5812", { "PROM125125050050360510", "RUNM1" }, "GETS", "050050\rOK\r" },
        { "5812", { "PROM999999000000000000" }, "GETM", "360510\r000000\r000000\rOK\r" },
        { "5812", { "SOUT1" }, "GETD", "000000000\rOK\r" }, // 1 switches the output off
        { "5812", { "SEVC0500500" }, "GETD", "000000000\rOK\r" }, // a step with its output off
        { "5812", { "SESS" }, "ENDS", "\rOK\r" },
        { "5812", { "VOLT120" }, "GETD", "012000500\rOK\r", 24.0 }, // 0.5 A drawn, CV
        { "5812", { "VOLT120" }, "GETD", "012001000\rOK\r", 12.0 }, // the set current: still CV
        { "5812", { "VOLT120" }, "GETD", "006001001\rOK\r", 6.0 }, // would draw 2 A: CC at 1 A
        { "5812", { "VOLT120" }, "GETD", "012000000\rOK\r", VirtualSupply::kOpenCircuit },
        { "5812", { "VOLT120" }, "GETD", "000001001\rOK\r", 0.0 }, // short: CC at 0 V
        { "5810", { "VOLT120", "CURR015" }, "GETD", "006001501\rOK\r", 4.0 }, // tenths of an A
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + (c.lines.empty() ? "" : c.lines.back()));
        VirtualSupply supply = Supply(c.model);
        ASSERT_TRUE(supply.setLoadOhms(c.ohms));
        for (const char* line : c.lines)
            EXPECT_EQ(supply.answer(line), "OK\r") << line;
        EXPECT_EQ(supply.answer(c.query), c.reply);
    }
}

TEST(VirtualSupply, BadLinesGetNoReplyAndChangeNothing)
{
    const QByteArray bad[]
        = { "", "GMA", "gmax", "GMAX1", " GMAX", "HELP", "VOLT", "VOLT12", "VOLT12345", "VOLT12a",
              "VOLT-12", "VOLT 120", "CURR1.5", "CURR+10", "SOUT2", "SOUT00", "SEVC120150",
              "SEVC12a1501", "PROM12345678901234567", "PROM-23456789012345678", "RUNM3", "RUNM01",
              QByteArray("VOLT\0"
                         "120",
                  8),
              "\xff\xfe\xfd\xfc", "GM\tAX", "GM\rAX", QByteArray(5000, 'V'),
              "VOLT" + QByteArray(400, '9') };
    VirtualSupply supply = Supply();
    supply.answer("SESS");
    const Snapshot before = Snap(supply);
    for (const QByteArray& line : bad) {
        EXPECT_EQ(supply.answer(line), "") << line.left(40).toHex().constData();
        EXPECT_EQ(Snap(supply), before) << line.left(40).toHex().constData();
    }
    EXPECT_FALSE(supply.received().last().answered);
    // Line ends are stripped before reading; still working afterwards.
    EXPECT_EQ(supply.answer("GMAX\r\n"), "360510\rOK\r");
    EXPECT_EQ(supply.answer("VOLT120\n"), "OK\r");
    EXPECT_TRUE(supply.remote());
    supply.answer("ENDS");
    EXPECT_FALSE(supply.remote());
}

TEST(VirtualSupply, RandomLinesKeepSetPointsWithinLimitsAndLimitsWithinTheRating)
{
    QRandomGenerator random(20260115);
    const QByteArray words[] = { "VOLT", "CURR", "SOVP", "SOCP", "SEVC", "PROM", "RUNM", "SOUT",
        "GETD", "GETS", "GETM", "" };
    for (const SupplyModel& m : SupplyModel::all()) {
        VirtualSupply supply(still, m);
        for (int i = 0; i < 3000; ++i) {
            QByteArray line = words[random.bounded(int(std::size(words)))];
            // Mostly digits, so that many lines are valid and change the state.
            for (int k = random.bounded(24); k > 0; --k)
                line += random.bounded(4) ? char('0' + random.bounded(10))
                                          : char(random.bounded(256));
            const QByteArray reply = supply.answer(line);
            EXPECT_TRUE(reply.isEmpty() || reply.endsWith("OK\r")) << line.toHex().constData();
            ASSERT_LE(supply.setVoltDigits(), supply.voltLimitDigits());
            ASSERT_LE(supply.setCurrDigits(), supply.currLimitDigits());
            ASSERT_LE(supply.voltLimitDigits(), m.ratedVoltDigits);
            ASSERT_LE(supply.currLimitDigits(), m.ratedCurrDigits);
            for (const VirtualSupply::Preset& preset : supply.presets()) {
                ASSERT_LE(preset.voltDigits, m.ratedVoltDigits);
                ASSERT_LE(preset.currDigits, m.ratedCurrDigits);
            }
        }
    }
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

// The in-process port on the fake clock, Com1 selected; a new port number takes effect at the
// next open. The session's tests and the CLI's port list cover empty, busy and missing ports.
// A split reply comes in two pieces within the panel's wait: what arrived is discarded, what is
// still on its way is not. A late reply spoils the next exchange or is lost to a closed port.
TEST(SimTransport, AnswersOnTheSelectedOpenPortWithSplitAndLateReplies)
{
    FakeClock clock;
    SimTransport port { clock };
    VirtualSupply& supply = port.attachSupply(1);
    port.attachSupply(4, *SupplyModel::find("5810"));
    port.setPortNumber(1);
    const auto transaction = [&](const QByteArray& line) { // as the panel's link does it
        port.discardBuffers();
        if (!port.isOpen())
            port.open();
        port.write(line + '\r');
        clock.advance(150);
        const QByteArray reply = port.readAll();
        port.close();
        return reply;
    };
    ASSERT_TRUE(port.open());
    port.setPortNumber(4);
    port.write("GMAX\r");
    EXPECT_EQ(port.readAll(), "360510\rOK\r");
    EXPECT_EQ(port.readAll(), ""); // read once only
    port.close();
    port.close(); // closing a closed port is not counted
    port.write("VOLT120\r");
    EXPECT_EQ(transaction("GMAX"), "180100\rOK\r");
    EXPECT_EQ(port.closeCount(), 2);
    EXPECT_EQ(port.written(), "GMAX\rGMAX\r");
    port.setPortBusy(4, true);
    EXPECT_EQ(transaction("GMAX"), "");
    EXPECT_EQ(port.failedOpenCount(), 1);
    port.setPortBusy(4, false);
    EXPECT_EQ(transaction("GMAX"), "180100\rOK\r");
    port.setPortNumber(1);

    supply.setFaults(Parsed("split:40"));
    ASSERT_TRUE(port.open());
    port.write("GMAX\r");
    EXPECT_EQ(port.readAll(), "36051");
    clock.advance(39);
    EXPECT_EQ(port.readAll(), "");
    port.write("GMAX\r");
    port.discardBuffers();
    clock.advance(1);
    EXPECT_EQ(port.readAll(), "0\rOK\r");
    clock.advance(39);
    EXPECT_EQ(port.readAll(), "0\rOK\r");
    port.close();
    EXPECT_EQ(transaction("GMAX"), "360510\rOK\r");

    supply.setFaults(Parsed("late:300"));
    EXPECT_EQ(transaction("GMAX"), ""); // t = 150
    clock.advance(100); // t = 250: next exchange starts
    port.discardBuffers();
    ASSERT_TRUE(port.open());
    port.write("GMOD\r");
    clock.advance(150); // t = 400
    EXPECT_EQ(port.readAll(), "360510\rOK\r"); // the reply to the earlier line
    port.close();
    clock.advance(500); // the reply to GMOD came to a closed port
    ASSERT_TRUE(port.open());
    EXPECT_EQ(port.readAll(), "");

    // Replies come in time order; those of a replaced supply are gone.
    supply.setFaults(Parsed("late:100"));
    port.write("GMOD\r");
    supply.setFaults(Parsed("late:50"));
    port.write("GMAX\r");
    supply.setFaults({});
    port.write("SESS\r");
    clock.advance(100);
    EXPECT_EQ(port.readAll(), "OK\r360510\rOK\r5812\rOK\r");
    supply.setFaults(Parsed("late:50"));
    port.write("GMAX\r");
    port.attachSupply(1, *SupplyModel::find("5914"));
    clock.advance(100);
    EXPECT_EQ(port.readAll(), "");
    port.write("GMAX\r");
    EXPECT_EQ(port.readAll(), "600500\rOK\r");
}
