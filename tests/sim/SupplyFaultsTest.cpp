#include "sim/SupplyFaults.h"
#include "sim/VirtualSupply.h"

#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

SupplyFaults parsed(const char* text)
{
    QString error;
    const auto faults = SupplyFaults::parse(QString::fromLatin1(text), &error);
    EXPECT_TRUE(faults.has_value()) << text << ": " << error.toStdString();
    return faults.value_or(SupplyFaults {});
}

} // namespace

// Each kind's effect is tested below through parsed(); here what the
// behaviour tests do not show: blanks, combinations and every refusal.
TEST(SupplyFaults, ReadsBlanksAndCombinations)
{
    SupplyFaults splitPrefix;
    splitPrefix.splitMs = 40;
    splitPrefix.prefix = true;
    EXPECT_EQ(parsed(""), SupplyFaults {});
    EXPECT_EQ(parsed("  none "), SupplyFaults {});
    EXPECT_EQ(parsed("prefix, split:40"), splitPrefix);
    EXPECT_FALSE(parsed("none").any());
    EXPECT_TRUE(parsed("late:1").any());
}

TEST(SupplyFaults, BadFaultTextsSayWhatIsWrong)
{
    const struct {
        const char* text;
        const char* mentions;
    } cases[] = {
        { "loud", "unknown fault 'loud'" },
        { "late", "needs one delay in milliseconds" },
        { "split:40:2", "needs one delay" },
        { "silent-after", "needs a line count" },
        { "silent-after:1:2:3", "needs a line count" },
        { "split:0", "whole number from 1 to 60000" },
        { "split:4x", "whole number from 1 to 60000" },
        { "late:60001", "whole number from 1 to 60000" },
        { "late:99999999999999", "whole number from 1 to 60000" },
        { "silent-after:x", "line count" },
        { "silent-after:12:0", "silent line count" },
        { "silent:3", "takes no such argument" },
        { "prefix:ab", "one printable character" },
        { "prefix: ", "one printable character" },
        { "prefix:", "one printable character" },
        { ",", "empty fault" },
        { "silent,bogus", "unknown fault 'bogus'" },
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(SupplyFaults::parse(QString::fromLatin1(c.text), &error).has_value())
            << c.text;
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.mentions)))
            << c.text << " -> " << error.toStdString();
    }
    // A caller that does not want the reason still gets a refusal.
    EXPECT_FALSE(SupplyFaults::parse(QStringLiteral("loud"), nullptr).has_value());
}

TEST(SupplyFaults, SilentSupplyNeitherAnswersNorActs)
{
    FakeClock clock;
    VirtualSupply supply(clock);
    supply.setFaults(parsed("silent"));
    EXPECT_EQ(supply.answer("GMAX"), "");
    EXPECT_EQ(supply.answer("VOLT200"), "");
    EXPECT_EQ(supply.setVoltDigits(), 50);
    ASSERT_EQ(supply.received().size(), 2);
    EXPECT_FALSE(supply.received().last().answered);

    supply.setFaults({}); // plugged back in
    EXPECT_EQ(supply.answer("GMAX"), "360510\rOK\r");
}

TEST(SupplyFaults, UnpluggedAfterSomeLinesAndBackAgain)
{
    FakeClock clock;
    VirtualSupply supply(clock);
    supply.setFaults(parsed("silent-after:2"));
    EXPECT_EQ(supply.answer("GMAX"), "360510\rOK\r");
    EXPECT_EQ(supply.answer("GMAX"), "360510\rOK\r");
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(supply.answer("GMAX"), "") << i;

    supply.setFaults(parsed("silent-after:1:3"));
    EXPECT_EQ(supply.answer("SOUT1"), "OK\r");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(supply.answer("SOUT0"), "") << i;
    EXPECT_FALSE(supply.outputOn()); // the unplugged lines did nothing
    EXPECT_EQ(supply.answer("GMAX"), "360510\rOK\r");
    EXPECT_EQ(supply.answer("GMAX"), "360510\rOK\r");

    supply.setFaults(parsed("silent-after:0"));
    EXPECT_EQ(supply.answer("GMAX"), "");
}

TEST(SupplyFaults, DamagedRepliesStillActButCannotBeMistakenForAcknowledgements)
{
    const struct {
        const char* fault;
        const char* line;
        QByteArray reply;
    } cases[] = {
        { "truncate", "GMAX", "36051" },
        { "truncate", "GETD", "005000" },
        { "truncate", "VOLT120", "O" },
        { "prefix", "GMAX",
            "\xff"
            "360510\rOK\r" },
        { "prefix:#", "VOLT120", "#OK\r" },
        { "prefix:#", "ENDS", "#\rOK\r" },
        { "truncate,prefix:#", "GMAX", "#36051" },
    };
    for (const auto& c : cases) {
        FakeClock clock;
        VirtualSupply supply(clock);
        supply.setFaults(parsed(c.fault));
        EXPECT_EQ(supply.answer(c.line), c.reply) << c.fault << " " << c.line;
    }

    FakeClock clock;
    VirtualSupply supply(clock);
    supply.setFaults(parsed("garbage"));
    for (const char* line : { "GMAX", "GETD", "GETM", "VOLT120", "ENDS" }) {
        const QByteArray reply = supply.answer(line);
        FakeClock cleanClock;
        VirtualSupply clean(cleanClock);
        EXPECT_EQ(reply.size(), clean.answer(line).size()) << line;
        EXPECT_FALSE(reply.contains('O')) << line;
        EXPECT_FALSE(reply.contains('K')) << line;
    }
    EXPECT_EQ(supply.setVoltDigits(), 120);
}

TEST(SupplyFaults, SplitAndLateRepliesCarryTheirDelays)
{
    using Piece = VirtualSupply::ReplyPiece;
    const struct {
        const char* fault;
        QList<Piece> pieces;
    } cases[] = {
        { "none", { Piece { 0, "360510\rOK\r" } } },
        { "split:40", { Piece { 0, "36051" }, Piece { 40, "0\rOK\r" } } },
        { "late:300", { Piece { 300, "360510\rOK\r" } } },
        { "late:300,split:40", { Piece { 300, "36051" }, Piece { 340, "0\rOK\r" } } },
        { "silent,late:300", {} },
    };
    for (const auto& c : cases) {
        FakeClock clock;
        VirtualSupply supply(clock);
        supply.setFaults(parsed(c.fault));
        EXPECT_EQ(supply.respond("GMAX"), c.pieces) << c.fault;
    }
    // answer() hands the whole reply over, delays aside.
    FakeClock clock;
    VirtualSupply supply(clock);
    supply.setFaults(parsed("split:40"));
    EXPECT_EQ(supply.answer("GMAX"), "360510\rOK\r");
}
