#include "sim/VirtualSupply.h"

#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinting.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

SupplyModel model(const char* code)
{
    return *SupplyModel::find(QString::fromLatin1(code));
}

// Everything a command could change, to prove that a refused line changed nothing.
struct Snapshot {
    int volt, curr, voltLimit, currLimit;
    bool output, remote;
    std::array<VirtualSupply::Preset, 3> presets;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot snapshot(const VirtualSupply& supply)
{
    return { supply.setVoltDigits(), supply.setCurrDigits(), supply.voltLimitDigits(),
        supply.currLimitDigits(), supply.outputOn(), supply.remote(), supply.presets() };
}

} // namespace

// The replies whose digits carry the state, for both current scales (the
// acknowledgements, the rating and the model code are checked below).
TEST(VirtualSupply, QueriesReportThePowerUpStateInTheModelsScale)
{
    // Power-up state: 5.0 V, 1 A, 10 ohm load (0.5 A, constant voltage).
    const struct {
        const char* model;
        const char* line;
        QByteArray reply;
    } cases[] = {
        { "5812", "GOVP", "360\rOK\r" },
        { "5812", "GOCP", "510\rOK\r" },
        { "5812", "GETS", "050100\rOK\r" },
        { "5812", "GETD", "005000500\rOK\r" },
        { "5812", "GETM", "050100\r120200\r150150\rOK\r" },
        { "5810", "GOCP", "100\rOK\r" },
        { "5810", "GETS", "050010\rOK\r" },
        { "5810", "GETM", "050010\r120020\r150015\rOK\r" },
    };
    for (const auto& c : cases) {
        FakeClock clock;
        VirtualSupply supply(clock, model(c.model));
        EXPECT_EQ(supply.answer(c.line), c.reply) << c.model << " " << c.line;
    }
}

// Every model reports its rating in its own current scale, its code, and
// puts "OK" where the panel looks for it (1-based positions, per query).
TEST(VirtualSupply, EveryModelsRatingCodeAndAcknowledgements)
{
    const struct {
        const char* code;
        QByteArray gmax;
        int scale;
    } models[] = { { "5810", "180100", 10 }, { "5812", "360510", 100 }, { "5814", "600250", 100 },
        { "5860", "180150", 10 }, { "5910", "180200", 10 }, { "5912", "360100", 10 },
        { "5914", "600500", 100 } };
    const struct {
        const char* line;
        int okAt;
        int minimumSize;
    } layouts[] = { { "GMAX", 8, 10 }, { "GETD", 11, 13 }, { "GETM", 22, 24 }, { "ENDS", 2, 4 },
        { "SESS", 1, 3 }, { "GETS", 8, 10 }, { "VOLT050", 1, 3 } };
    ASSERT_EQ(SupplyModel::all().size(), std::size(models));
    for (const auto& m : models) {
        SCOPED_TRACE(m.code);
        FakeClock clock;
        VirtualSupply supply(clock, model(m.code));
        EXPECT_EQ(supply.answer("GMAX"), m.gmax + "\rOK\r");
        EXPECT_EQ(supply.model().currScale, m.scale);
        EXPECT_EQ(supply.answer("GMOD"), QByteArray(m.code) + "\rOK\r");
        for (const auto& layout : layouts) {
            const QByteArray reply = supply.answer(layout.line);
            EXPECT_EQ(reply.mid(layout.okAt - 1, 2), "OK") << layout.line;
            EXPECT_GE(reply.size(), layout.minimumSize) << layout.line;
        }
    }
    EXPECT_FALSE(SupplyModel::find(QStringLiteral("5813")).has_value());
    EXPECT_FALSE(SupplyModel::find(QString()).has_value());
}

TEST(VirtualSupply, SetpointsAndLimitsAreClamped)
{
    const struct {
        const char* model;
        std::vector<const char*> lines;
        QByteArray gets, govp, gocp;
    } cases[] = {
        { "5812", { "VOLT999" }, "360100", "360", "510" },
        { "5812", { "CURR999" }, "050510", "360", "510" },
        { "5812", { "VOLT1000", "CURR9999" }, "360510", "360", "510" },
        { "5812", { "SOVP999", "SOCP999" }, "050100", "360", "510" },
        { "5812", { "VOLT300", "SOVP200" }, "200100", "200",
            "510" }, // lowering a limit pulls the set-point down
        { "5812", { "SOCP050", "CURR400" }, "050050", "360", "050" },
        { "5812", { "SOVP100", "SEVC9999991" }, "100510", "100", "510" },
        { "5812", { "SOVP030", "RUNM1" }, "030200", "030", "510" },
        { "5810", { "CURR999" }, "050100", "180", "100" },
        { "5810", { "VOLT000", "CURR000" }, "000000", "180", "100" },
        { "5814", { "SEVC7007771" }, "600250", "600", "250" },
    };
    for (const auto& c : cases) {
        FakeClock clock;
        VirtualSupply supply(clock, model(c.model));
        for (const char* line : c.lines)
            EXPECT_EQ(supply.answer(line), "OK\r") << line;
        EXPECT_EQ(supply.answer("GETS"), c.gets + "\rOK\r") << c.lines.back();
        EXPECT_EQ(supply.answer("GOVP"), c.govp + "\rOK\r") << c.lines.back();
        EXPECT_EQ(supply.answer("GOCP"), c.gocp + "\rOK\r") << c.lines.back();
    }
}

TEST(VirtualSupply, RegulatesVoltageOrCurrentByTheLoad)
{
    const struct {
        const char* model;
        int volt, curr;
        double ohms;
        QByteArray getd;
    } cases[] = {
        { "5812", 120, 100, 24.0, "012000500" }, // 0.5 A drawn, CV
        { "5812", 120, 100, 12.0, "012001000" }, // exactly the set current: still CV
        { "5812", 120, 100, 6.0, "006001001" }, // would draw 2 A: CC at 1 A, 6 V
        { "5812", 120, 29, 1000.0, "012000010" }, // 12 mA
        { "5812", 120, 100, VirtualSupply::kOpenCircuit, "012000000" },
        { "5812", 120, 100, 0.0, "000001001" }, // short: CC at 0 V
        { "5810", 120, 15, 4.0, "006001501" }, // current digits in tenths on this model
        { "5810", 180, 100, 1.0, "010010001" }, // 10 A into 1 ohm
        { "5814", 600, 250, 100.0, "060000600" },
    };
    for (const auto& c : cases) {
        FakeClock clock;
        VirtualSupply supply(clock, model(c.model));
        supply.setSetpoint(c.volt, c.curr);
        ASSERT_TRUE(supply.setLoadOhms(c.ohms));
        EXPECT_EQ(supply.answer("GETD"), c.getd + "\rOK\r") << c.model << " " << c.ohms;
    }
}

TEST(VirtualSupply, OutputOffReadsZero)
{
    FakeClock clock;
    VirtualSupply supply(clock);
    supply.setNoise(5, 7);
    EXPECT_EQ(supply.answer("SOUT1"), "OK\r"); // 1 switches the output off
    EXPECT_FALSE(supply.outputOn());
    EXPECT_EQ(supply.answer("GETD"), "000000000\rOK\r");
    EXPECT_EQ(supply.answer("SOUT0"), "OK\r");
    EXPECT_TRUE(supply.outputOn());
    EXPECT_EQ(supply.answer("SEVC0500500"), "OK\r"); // a program step with its output off
    EXPECT_FALSE(supply.outputOn());
    EXPECT_EQ(supply.answer("GETD"), "000000000\rOK\r");
}

TEST(VirtualSupply, PresetsRoundTripAndRecall)
{
    FakeClock clock;
    VirtualSupply supply(clock, model("5812"));
    ASSERT_EQ(supply.answer("PROM125125050050360510"), "OK\r");
    EXPECT_EQ(supply.answer("GETM"), "125125\r050050\r360510\rOK\r");
    const std::array<VirtualSupply::Preset, 3> expected { VirtualSupply::Preset { 125, 125 },
        VirtualSupply::Preset { 50, 50 }, VirtualSupply::Preset { 360, 510 } };
    EXPECT_EQ(supply.presets(), expected);

    for (const auto& [line, gets] : { std::pair { "RUNM0", "125125" },
             std::pair { "RUNM1", "050050" }, std::pair { "RUNM2", "360510" } }) {
        EXPECT_EQ(supply.answer(line), "OK\r");
        EXPECT_EQ(supply.answer("GETS"), QByteArray(gets) + "\rOK\r") << line;
    }
    // Presets beyond the rating are kept at the rating.
    ASSERT_EQ(supply.answer("PROM999999000000000000"), "OK\r");
    EXPECT_EQ(supply.answer("GETM"), "360510\r000000\r000000\rOK\r");
}

TEST(VirtualSupply, RemoteModeFollowsSessAndEnds)
{
    FakeClock clock;
    VirtualSupply supply(clock);
    EXPECT_FALSE(supply.remote());
    supply.answer("SESS");
    EXPECT_TRUE(supply.remote());
    supply.answer("ENDS");
    EXPECT_FALSE(supply.remote());
}

TEST(VirtualSupply, BadLinesGetNoReplyAndChangeNothing)
{
    const QByteArray bad[] = { "", "G", "GMA", "gmax", "Gmax", "GMAX1", "GMAX ", " GMAX", "GETDX",
        "HELP", "SESS0", "VOLT", "VOLT1", "VOLT12", "VOLT12345", "VOLT12a", "VOLT-12", "VOLT 120",
        "VOLT12.5", "CURR1.5", "CURR+10", "SOVP", "SOVPabc", "SOCP99999", "SOUT", "SOUT2", "SOUT00",
        "SOUTx", "SEVC120150", "SEVC12015012", "SEVC1201502", "SEVC12a1501", "SEVC 1201501", "PROM",
        "PROM12345678901234567", "PROM1234567890123456789", "PROM12345678901234567a",
        "PROM-23456789012345678", "RUNM", "RUNM3", "RUNM01", "RUNMx", "RUNM-1",
        QByteArray("GETD\0", 5),
        QByteArray("VOLT\0"
                   "120",
            8),
        "\xff\xfe\xfd\xfc", "VOLT12\x85", "GM\tAX", QByteArray(5000, 'V'),
        "VOLT" + QByteArray(400, '9') };
    FakeClock clock;
    VirtualSupply supply(clock, model("5812"));
    supply.answer("SESS");
    const Snapshot before = snapshot(supply);
    for (const QByteArray& line : bad) {
        EXPECT_EQ(supply.answer(line), "") << line.left(40).toHex().constData();
        EXPECT_EQ(snapshot(supply), before) << line.left(40).toHex().constData();
    }
    ASSERT_EQ(supply.received().size(), qsizetype(std::size(bad)) + 1);
    EXPECT_FALSE(supply.received().last().answered);
    // Still working afterwards.
    EXPECT_EQ(supply.answer("GMAX"), "360510\rOK\r");
}

TEST(VirtualSupply, LineEndsAreStrippedBeforeReading)
{
    FakeClock clock;
    VirtualSupply supply(clock);
    EXPECT_EQ(supply.answer("GMAX\r"), "360510\rOK\r");
    EXPECT_EQ(supply.answer("GMAX\r\n"), "360510\rOK\r");
    EXPECT_EQ(supply.answer("VOLT120\n"), "OK\r");
    EXPECT_EQ(supply.setVoltDigits(), 120);
    EXPECT_EQ(supply.answer("GM\rAX"), ""); // a line end inside the line is not a line end
}

TEST(VirtualSupply, RandomBytesNeverBreakItsInvariants)
{
    QRandomGenerator random(20260115);
    for (const SupplyModel& m : SupplyModel::all()) {
        FakeClock clock;
        VirtualSupply supply(clock, m);
        const QByteArray words[] = { "VOLT", "CURR", "SOVP", "SOCP", "SEVC", "PROM", "RUNM", "SOUT",
            "GETD", "GETS", "GETM", "" };
        for (int i = 0; i < 3000; ++i) {
            QByteArray line = words[random.bounded(int(std::size(words)))];
            const int extra = random.bounded(24);
            for (int k = 0; k < extra; ++k) {
                // Mostly digits, so that many lines are valid and change the state.
                line += random.bounded(4) ? char('0' + random.bounded(10))
                                          : char(random.bounded(256));
            }
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

TEST(VirtualSupply, LoadRefusesImpossibleValues)
{
    FakeClock clock;
    VirtualSupply supply(clock);
    ASSERT_TRUE(supply.setLoadOhms(24.0));
    for (const double bad :
        { -1.0, -0.001, std::numeric_limits<double>::quiet_NaN(), -VirtualSupply::kOpenCircuit }) {
        EXPECT_FALSE(supply.setLoadOhms(bad)) << bad;
        EXPECT_EQ(supply.loadOhms(), 24.0);
    }
}

TEST(VirtualSupply, NoiseStaysWithinItsDigitsAndRepeatsForASeed)
{
    FakeClock clock;
    VirtualSupply first(clock);
    VirtualSupply second(clock);
    first.setNoise(3, 42);
    second.setNoise(3, 42);
    bool wandered = false;
    for (int i = 0; i < 200; ++i) {
        const QByteArray a = first.answer("GETD");
        ASSERT_EQ(a, second.answer("GETD"));
        ASSERT_EQ(a.size(), 13);
        EXPECT_EQ(a.mid(10, 2), "OK");
        const int volts = a.left(4).toInt();
        const int amps = a.mid(4, 4).toInt();
        EXPECT_LE(std::abs(volts - 50), 3) << a.constData();
        EXPECT_LE(std::abs(amps - 50), 3) << a.constData();
        wandered = wandered || volts != 50 || amps != 50;
    }
    EXPECT_TRUE(wandered);
}

TEST(VirtualSupply, RecordsEveryLineWithTheClockTime)
{
    FakeClock clock;
    VirtualSupply supply(clock);
    supply.answer("GMAX\r");
    clock.advance(250);
    supply.answer("bogus");
    ASSERT_EQ(supply.received().size(), 2);
    EXPECT_EQ(supply.received().at(0).atMs, 0);
    EXPECT_TRUE(supply.received().at(0).answered);
    EXPECT_EQ(supply.received().at(1).atMs, 250);
    EXPECT_FALSE(supply.received().at(1).answered);
    EXPECT_EQ(supply.receivedLines(), (QList<QByteArray> { "GMAX", "bogus" }));
    supply.clearReceived();
    EXPECT_TRUE(supply.received().isEmpty());
}
