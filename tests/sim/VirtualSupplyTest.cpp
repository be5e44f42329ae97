#include "sim/VirtualSupply.h"

#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinting.h"

#include <QRandomGenerator>
#include <QSet>

#include <gtest/gtest.h>

namespace {

SupplyModel Model(const char* code)
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

Snapshot Snap(const VirtualSupply& s)
{
    return { s.setVoltDigits(), s.setCurrDigits(), s.voltLimitDigits(), s.currLimitDigits(),
        s.outputOn(), s.remote(), s.presets() };
}

} // namespace

// Replies after the given lines, from power-up (5.0 V, 1 A, 10 ohm load: 0.5 A,
// constant voltage), in both current scales.
TEST(VirtualSupply, EachCommandFamilyAnswersInTheModelsScale)
{
    const struct {
        const char* model;
        std::vector<const char*> lines; // each acknowledged with "OK\r"
        const char* query;
        QByteArray reply;
    } cases[] = {
        { "5812", {}, "GMAX", "360510\rOK\r" },
        { "5914", {}, "GMOD", "5914\rOK\r" },
        { "5812", {}, "GOVP", "360\rOK\r" },
        { "5812", {}, "GETD", "005000500\rOK\r" },
        { "5812", {}, "GETM", "050100\r120200\r150150\rOK\r" },
        { "5810", {}, "GOCP", "100\rOK\r" },
        { "5810", {}, "GETS", "050010\rOK\r" },
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + (c.lines.empty() ? "" : c.lines.back()));
        FakeClock clock;
        VirtualSupply supply(clock, Model(c.model));
        for (const char* line : c.lines)
            EXPECT_EQ(supply.answer(line), "OK\r") << line;
        EXPECT_EQ(supply.answer(c.query), c.reply);
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
        { "5812", 120, 100, VirtualSupply::kOpenCircuit, "012000000" },
        { "5812", 120, 100, 0.0, "000001001" }, // short: CC at 0 V
        { "5810", 120, 15, 4.0, "006001501" }, // current digits in tenths on this model
    };
    for (const auto& c : cases) {
        FakeClock clock;
        VirtualSupply supply(clock, Model(c.model));
        supply.setSetpoint(c.volt, c.curr);
        ASSERT_TRUE(supply.setLoadOhms(c.ohms));
        EXPECT_EQ(supply.answer("GETD"), c.getd + "\rOK\r") << c.model << " " << c.ohms;
        for (const double bad : { -0.001, std::numeric_limits<double>::quiet_NaN() }) {
            EXPECT_FALSE(supply.setLoadOhms(bad));
            EXPECT_EQ(supply.loadOhms(), c.ohms);
        }
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
    FakeClock clock;
    VirtualSupply supply(clock, Model("5812"));
    supply.answer("SESS");
    ASSERT_TRUE(supply.remote());
    const Snapshot before = Snap(supply);
    for (const QByteArray& line : bad) {
        EXPECT_EQ(supply.answer(line), "") << line.left(40).toHex().constData();
        EXPECT_EQ(Snap(supply), before) << line.left(40).toHex().constData();
    }
    EXPECT_FALSE(supply.received().last().answered);
    // Line ends are stripped before reading; still working afterwards.
    EXPECT_EQ(supply.answer("GMAX\r\n"), "360510\rOK\r");
    EXPECT_EQ(supply.answer("VOLT120\n"), "OK\r");
    supply.answer("ENDS");
    EXPECT_FALSE(supply.remote());
}

TEST(VirtualSupply, RandomBytesNeverBreakItsInvariants)
{
    QRandomGenerator random(20260115);
    const QByteArray words[] = { "VOLT", "CURR", "SOVP", "SOCP", "SEVC", "PROM", "RUNM", "SOUT",
        "GETD", "GETS", "GETM", "" };
    for (const SupplyModel& m : SupplyModel::all()) {
        FakeClock clock;
        VirtualSupply supply(clock, m);
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

TEST(VirtualSupply, NoiseStaysWithinItsDigitsAndRepeatsForASeed)
{
    FakeClock clock;
    VirtualSupply first(clock);
    VirtualSupply second(clock);
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
    first.answer("SOUT1"); // output off reads zero, noise or not
    EXPECT_EQ(first.answer("GETD"), "000000000\rOK\r");
}
