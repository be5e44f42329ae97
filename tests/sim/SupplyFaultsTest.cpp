#include "sim/SupplyFaults.h"
#include "sim/VirtualSupply.h"

#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

SupplyFaults Parsed(const char* text)
{
    QString error;
    const auto faults = SupplyFaults::parse(QString::fromLatin1(text), &error);
    EXPECT_TRUE(faults.has_value()) << text << ": " << error.toStdString();
    return faults.value_or(SupplyFaults {});
}

} // namespace

TEST(SupplyFaults, ReadsBlanksAndCombinationsAndSaysWhatIsWrong)
{
    SupplyFaults splitPrefix;
    splitPrefix.splitMs = 40;
    splitPrefix.prefix = true;
    EXPECT_EQ(Parsed("  none "), SupplyFaults {});
    EXPECT_EQ(Parsed("prefix, split:40"), splitPrefix);
    EXPECT_FALSE(Parsed("").any());
    EXPECT_TRUE(Parsed("late:1").any());
    const struct {
        const char* text;
        const char* mentions;
    } cases[] = {
        { "silent,loud", "unknown fault 'loud'" },
        { "split:40:2", "needs one delay" },
        { "silent-after:1:2:3", "needs a line count" },
        { "late:60001", "whole number from 1 to 60000" },
        { "silent-after:12:0", "silent line count" },
        { "silent:3", "takes no such argument" },
        { "prefix:ab", "one printable character" },
        { ",", "empty fault" },
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(SupplyFaults::parse(QString::fromLatin1(c.text), &error).has_value())
            << c.text;
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.mentions)))
            << c.text << " -> " << error.toStdString();
    }
    EXPECT_FALSE(SupplyFaults::parse(QStringLiteral("loud"), nullptr).has_value());
}

// Silent lines neither answer nor act; silent-after comes back after its count.
TEST(SupplyFaults, SilentAndUnpluggedForSomeLines)
{
    FakeClock clock;
    VirtualSupply supply(clock);
    supply.setFaults(Parsed("silent"));
    EXPECT_EQ(supply.answer("VOLT200"), "");
    EXPECT_EQ(supply.setVoltDigits(), 50);
    EXPECT_FALSE(supply.received().last().answered);

    supply.setFaults(Parsed("silent-after:1:3"));
    EXPECT_EQ(supply.answer("SOUT1"), "OK\r");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(supply.answer("SOUT0"), "") << i;
    EXPECT_FALSE(supply.outputOn());
    EXPECT_EQ(supply.answer("GMAX"), "360510\rOK\r");
    supply.setFaults(Parsed("silent-after:0"));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(supply.answer("GMAX"), "") << i;
}

TEST(SupplyFaults, DamagedRepliesStillActButCannotBeMistakenForAcknowledgements)
{
    const struct {
        const char* fault;
        const char* line;
        QByteArray reply;
    } cases[] = {
        { "truncate", "GMAX", "36051" },
        { "truncate", "VOLT120", "O" },
        { "prefix", "GMAX",
            "\xff"
            "360510\rOK\r" },
        { "prefix:#", "ENDS", "#\rOK\r" },
        { "truncate,prefix:#", "GMAX", "#36051" },
    };
    for (const auto& c : cases) {
        FakeClock clock;
        VirtualSupply supply(clock);
        supply.setFaults(Parsed(c.fault));
        EXPECT_EQ(supply.answer(c.line), c.reply) << c.fault << " " << c.line;
    }
    FakeClock clock;
    VirtualSupply supply(clock);
    supply.setFaults(Parsed("garbage"));
    for (const auto& [line, size] : { std::pair { "GETM", 24 }, std::pair { "VOLT120", 3 } }) {
        const QByteArray reply = supply.answer(line);
        EXPECT_EQ(reply.size(), size) << line;
        EXPECT_FALSE(reply.contains('O') || reply.contains('K')) << line;
    }
    EXPECT_EQ(supply.setVoltDigits(), 120);
}

// answer() hands the whole reply over; respond() keeps the delays.
TEST(SupplyFaults, SplitAndLateRepliesCarryTheirDelays)
{
    using Piece = VirtualSupply::ReplyPiece;
    const struct {
        const char* fault;
        QList<Piece> pieces;
    } cases[] = {
        { "late:300,split:40", { Piece { 300, "36051" }, Piece { 340, "0\rOK\r" } } },
        { "silent,late:300", {} },
    };
    for (const auto& c : cases) {
        FakeClock clock;
        VirtualSupply supply(clock);
        supply.setFaults(Parsed(c.fault));
        EXPECT_EQ(supply.respond("GMAX"), c.pieces) << c.fault;
        EXPECT_EQ(supply.answer("GMAX").size(), c.pieces.isEmpty() ? 0 : 10) << c.fault;
    }
}
