#include "device/CommandSet.h"

#include <gtest/gtest.h>

using namespace CommandSet;

TEST(CommandSet, ParameterEncodings)
{
    EXPECT_EQ(EncodeVoltage(5), "050");
    EXPECT_EQ(EncodeVoltage(0.04), "000");
    EXPECT_EQ(EncodeVoltage(12.5), "125");
    EXPECT_EQ(EncodeVoltage(100), "1000");
    EXPECT_EQ(EncodeCurrent(1.234, 100), "123");
    EXPECT_EQ(EncodeCurrent(1.234, 10), "012");
    EXPECT_EQ(EncodeCurrent(2.5, 10), "025");
    EXPECT_EQ(EncodeCurrent(1.25, 100), "125");
    EXPECT_EQ(SoutParameter(true), "1");
    EXPECT_EQ(SoutParameter(false), "0");
    EXPECT_EQ(SevcParameter(12.0, 1.5, 10, true), "1200151");
    EXPECT_EQ(SevcParameter(12.0, 1.5, 10, false), "1200150");
    EXPECT_EQ(PresetCode(12.5, 1.25, 100), "125125");
    EXPECT_EQ(PresetCode(18, 10, 10), "180100");
    EXPECT_EQ(PresetCode(0, 0, 100), "000000");
    EXPECT_EQ(RunmParameter(2), "2");
    // Limits round their halves as typed, in the supply's units.
    EXPECT_EQ(EncodeLimit(2.55f, 10), "026");
    EXPECT_EQ(EncodeLimit(2.54f, 10), "025");
    EXPECT_EQ(EncodeLimit(1.005f, 100), "101");
    EXPECT_EQ(EncodeLimit(12.35f, 10), "124");
    EXPECT_EQ(EncodeLimit(36.0f, 10), "360");
}

TEST(CommandSet, AcknowledgementsArePositional)
{
    EXPECT_TRUE(GmaxAcknowledged("360510\rOK\r"));
    EXPECT_FALSE(GmaxAcknowledged("x360510\rOK\r")); // one leading character too many
    EXPECT_TRUE(ContainsOk("x360510\rOK\r")); // the port search looks anywhere
    EXPECT_FALSE(ContainsOk(""));
    EXPECT_TRUE(SessAcknowledged("OK\r"));
    EXPECT_FALSE(SessAcknowledged("\rOK\r"));
    EXPECT_TRUE(EndsAcknowledged("\rOK\r"));
    EXPECT_FALSE(EndsAcknowledged("OK\r"));
    EXPECT_TRUE(SetAcknowledged("OK\r"));
    EXPECT_FALSE(SetAcknowledged("O"));
    EXPECT_TRUE(ContainsOk("garbageOK"));
    EXPECT_TRUE(GetmAcknowledged("125125\r050050\r000000\rOK\r"));
    EXPECT_FALSE(GetmAcknowledged("125125\r050050\r000000\r"));
}

TEST(CommandSet, ModelsSelectTheCurrentResolution)
{
    const struct {
        const char* code;
        int scale;
        const char* format;
        const char* title;
    } cases[]
        = { { "5810", 10, "0.0", "Rating: 18V 10A" }, { "5812", 100, "0.00", "Rating: 36V 5A" },
              { "5814", 100, "0.00", "Rating: 60V 2.5A" }, { "5860", 10, "0.0", "Rating: 18V 15A" },
              { "5910", 10, "0.0", "Rating: 18V 20A" }, { "5912", 10, "0.0", "Rating: 36V 10A" },
              { "5914", 100, "0.00", "Rating: 60V 5A" }, { "", 100, "0.00", "Rating: " },
              { "1234", 10, "0.0", "Rating: " }, { "14-5", 100, "0.00", "Rating: " } };
    for (const auto& c : cases) {
        const QString code = QString::fromLatin1(c.code);
        EXPECT_EQ(CurrScaleFor(code), c.scale) << c.code;
        EXPECT_EQ(CurrFormatFor(code), QString::fromLatin1(c.format)) << c.code;
        EXPECT_EQ(RatingTitle(code), QString::fromLatin1(c.title)) << c.code;
    }
    EXPECT_EQ(ModelCode("5812\rOK\r"), "5812");
}

TEST(CommandSet, GmaxReadsRatingsWithTheModelScale)
{
    const Rating r100 = ParseGmax("360510\rOK\r", 100);
    EXPECT_FLOAT_EQ(r100.maxVolt, 36.0f);
    EXPECT_FLOAT_EQ(r100.maxCurr, 5.1f);
    EXPECT_FLOAT_EQ(ParseGmax("360510\rOK\r", 10).maxCurr, 51.0f);
    EXPECT_FLOAT_EQ(ParseGmax("", 10).maxVolt, 0.0f);
}

TEST(CommandSet, LimitsReadTheLeadingDigits)
{
    EXPECT_FLOAT_EQ(ParseLimit("360\rOK\r", 10), 36.0f);
    EXPECT_FLOAT_EQ(ParseLimit("510\rOK\r", 100), 5.1f);
    EXPECT_FLOAT_EQ(ParseLimit("", 10), 0.0f);
    EXPECT_FLOAT_EQ(ParseLimit("OK", 10), 0.0f);
    EXPECT_FLOAT_EQ(ParseLimit(" 12", 10), 0.0f); // digits from the first character only
}

TEST(CommandSet, GetsNeedsTenCharacters)
{
    const Setpoints ok = ParseGets("125050\rOK\r", 100, "0.00");
    EXPECT_EQ(ok.volt, "12.5");
    EXPECT_EQ(ok.curr, "0.50");
    const Setpoints shortReply = ParseGets("125050\rOK", 100, "0.00");
    EXPECT_EQ(shortReply.volt, "0.0");
    EXPECT_EQ(shortReply.curr, "0.00");
}

TEST(CommandSet, GetdReadsVoltsAmpsAndMode)
{
    const auto r = ParseGetd("012501230\rOK\r", 100, "0.00");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->volt, "12.5");
    EXPECT_EQ(r->curr, "1.23");
    EXPECT_TRUE(r->constantVoltage);
    const auto r10 = ParseGetd("012501231\rOK\r", 10, "0.0");
    ASSERT_TRUE(r10.has_value());
    EXPECT_EQ(r10->curr, "1.2");
    EXPECT_FALSE(r10->constantVoltage);
}

TEST(CommandSet, GetdCurrentIsTruncatedExactly)
{
    EXPECT_EQ(CurrentFromHundredths(29, 100, "0.00"), "0.29");
    EXPECT_EQ(CurrentFromHundredths(29, 10, "0.0"), "0.2");
    EXPECT_EQ(CurrentFromHundredths(129, 10, "0.0"), "1.2");
    EXPECT_EQ(CurrentFromHundredths(9999, 10, "0.0"), "99.9");
    EXPECT_EQ(CurrentFromHundredths(0, 100, "0.00"), "0.00");
}

TEST(CommandSet, GetdCountsOnlyWellFormedReplies)
{
    const char* bad[] = { "OK", "", "012501230\rO", "012501230OK\r", "0125012300\rOK\r",
        "01a501230\rOK\r", "-12501230\rOK\r", "0125 1230\rOK\r" };
    for (const char* reply : bad)
        EXPECT_FALSE(ParseGetd(QString::fromLatin1(reply), 100, "0.00").has_value()) << reply;
}

TEST(CommandSet, PresetCodes)
{
    const auto codes = ParseGetm("125050\r050050\r000000\rOK\r");
    ASSERT_TRUE(codes.has_value());
    EXPECT_EQ((*codes)[0], "125050");
    EXPECT_EQ((*codes)[2], "000000");
    EXPECT_FLOAT_EQ(PresetVoltFromCode("125050"), 12.5f);
    EXPECT_FLOAT_EQ(PresetCurrFromCode("125050", 100), 0.5f);
    EXPECT_FLOAT_EQ(PresetCurrFromCode("125050", 10), 5.0f);
    EXPECT_FLOAT_EQ(PresetVoltFromCode("12"), 0.0f);
    EXPECT_FLOAT_EQ(PresetCurrFromCode("12505", 100), 0.0f);
    EXPECT_FALSE(ParseGetm("125050\r050050\r000000\r\rOK").has_value());
}

TEST(CommandSet, BinaryAndOversizedRepliesAreNotAcknowledged)
{
    const QString binary = QString::fromLatin1(QByteArray("\x00\xff\x01OK", 5));
    EXPECT_FALSE(GmaxAcknowledged(binary));
    EXPECT_FALSE(ParseGetd(binary, 10, "0.0").has_value());
    const QString huge(100000, u'9');
    EXPECT_FALSE(ParseGetd(huge, 10, "0.0").has_value());
    EXPECT_FALSE(ParseGetm(huge).has_value());
    EXPECT_FLOAT_EQ(ParseGmax(huge, 10).maxVolt, 99.9f);
}

TEST(CommandSet, LateRepliesToOtherCommandsAreNoAnswer)
{
    EXPECT_TRUE(GmodAnswered("5812\rOK\r"));
    EXPECT_TRUE(GmodAnswered("5810"));
    EXPECT_TRUE(GmodAnswered("1234\r"));
    EXPECT_FALSE(GmodAnswered("360510\rOK\r")) << "a GMAX reply";
    EXPECT_FALSE(GmodAnswered("58"));
    EXPECT_FALSE(GmodAnswered("58a2\r"));
    EXPECT_FALSE(GmodAnswered(""));

    EXPECT_EQ(ParseLimitWithin("360\rOK\r", 10, 36.0f), 36.0f);
    EXPECT_EQ(ParseLimitWithin("510\rOK\r", 100, 5.1f), 5.1f);
    EXPECT_EQ(ParseLimitWithin("360\rOK\r", 10, 5.1f), 0.0f) << "GOVP's reply read for GOCP";
    EXPECT_EQ(ParseLimitWithin("", 10, 36.0f), 0.0f);
}
