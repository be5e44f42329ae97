#include "device/CommandSet.h"

#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

using namespace CommandSet;

TEST(CommandSet, EncodingsAndTexts)
{
    const std::pair<QString, const char*> cases[] = { { EncodeVoltage(12.5), "125" },
        { EncodeVoltage(0.04), "000" }, { EncodeVoltage(100), "1000" },
        { EncodeCurrent(1.234, 100), "123" }, { EncodeCurrent(1.234, 10), "012" },
        { SoutParameter(true), "1" }, { SoutParameter(false), "0" },
        { SevcParameter(12.0, 1.5, 10, true), "1200151" },
        { SevcParameter(12.0, 1.5, 10, false), "1200150" },
        { PresetCode(12.5, 1.25, 100), "125125" }, { PresetCode(18, 10, 10), "180100" },
        { RunmParameter(2), "2" },
        // Limits round their halves as typed, in the supply's units.
        { EncodeLimit(2.55f, 10), "026" }, { EncodeLimit(2.54f, 10), "025" },
        { EncodeLimit(1.005f, 100), "101" }, { EncodeLimit(36.0f, 10), "360" },
        // Hundredths of an ampere in a reading are truncated exactly to the model's resolution.
        { CurrentFromHundredths(29, 100, "0.00"), "0.29" },
        { CurrentFromHundredths(29, 10, "0.0"), "0.2" },
        { CurrentFromHundredths(9999, 10, "0.0"), "99.9" },
        // "GETS" under ten characters gives "0.0" and the current format itself.
        { ParseGets("125050\rOK\r", 100, "0.00").volt, "12.5" },
        { ParseGets("125050\rOK\r", 100, "0.00").curr, "0.50" },
        { ParseGets("125050\rOK", 100, "0.00").volt, "0.0" },
        { ParseGets("125050\rOK", 100, "0.00").curr, "0.00" },
        { ParseGetm("125050\r050050\r000000\rOK\r").value()[2], "000000" },
        { ModelCode("5812\rOK\r"), "5812" } };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(text, QString::fromLatin1(expected));
}

// "OK" is looked for where each reply layout has it; the port search looks anywhere.
TEST(CommandSet, AcknowledgementsArePositional)
{
    const QString binary = QString::fromLatin1(QByteArray("\x00\xff\x01OK", 5));
    const struct {
        bool (*acknowledged)(const QString&);
        QString reply;
        bool ok;
    } cases[] = { { GmaxAcknowledged, "360510\rOK\r", true },
        { GmaxAcknowledged, "x360510\rOK\r", false }, { GmaxAcknowledged, binary, false },
        { ContainsOk, "x360510\rOK\r", true }, { ContainsOk, "", false },
        { SessAcknowledged, "OK\r", true }, { SessAcknowledged, "\rOK\r", false },
        { EndsAcknowledged, "\rOK\r", true }, { EndsAcknowledged, "OK\r", false },
        { SetAcknowledged, "OK\r", true }, { SetAcknowledged, "O", false },
        { GetmAcknowledged, "125125\r050050\r000000\rOK\r", true },
        { GetmAcknowledged, "125125\r050050\r000000\r", false },
        // A late reply to another command is no answer.
        { GmodAnswered, "5812\rOK\r", true }, { GmodAnswered, "1234\r", true },
        { GmodAnswered, "360510\rOK\r", false }, { GmodAnswered, "58", false },
        { GmodAnswered, "58a2\r", false } };
    for (const auto& c : cases)
        EXPECT_EQ(c.acknowledged(c.reply), c.ok) << c.reply.toStdString();
}

// The current's resolution goes by a substring of "5812-5814-5914", so an
// empty code and "14-5" count as hundredths too.
TEST(CommandSet, ModelsSelectTheCurrentResolution)
{
    const struct {
        const char* code;
        int scale;
        const char* title;
    } cases[] = { { "5810", 10, "Rating: 18V 10A" }, { "5812", 100, "Rating: 36V 5A" },
        { "5914", 100, "Rating: 60V 5A" }, { "", 100, "Rating: " }, { "1234", 10, "Rating: " },
        { "14-5", 100, "Rating: " } };
    for (const auto& c : cases) {
        const QString code = QString::fromLatin1(c.code);
        EXPECT_EQ(CurrScaleFor(code), c.scale) << c.code;
        EXPECT_EQ(CurrFormatFor(code), c.scale == 100 ? "0.00" : "0.0") << c.code;
        EXPECT_EQ(RatingTitle(code), QString::fromLatin1(c.title)) << c.code;
    }
}

// Limits read the digits from the first character on; a limit above the rating
// is a late reply to another command.
TEST(CommandSet, Numbers)
{
    const float numbers[][2] = { { ParseGmax("360510\rOK\r", 100).maxVolt, 36.0f },
        { ParseGmax("360510\rOK\r", 100).maxCurr, 5.1f },
        { ParseGmax("360510\rOK\r", 10).maxCurr, 51.0f }, { ParseGmax("", 10).maxVolt, 0.0f },
        { ParseGmax(QString(100000, u'9'), 10).maxVolt, 99.9f },
        { ParseLimit("360\rOK\r", 10), 36.0f }, { ParseLimit("510\rOK\r", 100), 5.1f },
        { ParseLimit("OK", 10), 0.0f }, { ParseLimit(" 12", 10), 0.0f },
        { ParseLimitWithin("510\rOK\r", 100, 5.1f), 5.1f },
        { ParseLimitWithin("360\rOK\r", 10, 5.1f), 0.0f }, { PresetVoltFromCode("125050"), 12.5f },
        { PresetCurrFromCode("125050", 100), 0.5f }, { PresetCurrFromCode("125050", 10), 5.0f },
        { PresetVoltFromCode("12"), 0.0f }, { PresetCurrFromCode("12505", 100), 0.0f } };
    for (std::size_t i = 0; i < std::size(numbers); ++i)
        EXPECT_FLOAT_EQ(numbers[i][0], numbers[i][1]) << "row " << i;
    EXPECT_FALSE(ParseGetm("125050\r050050\r000000\r\rOK").has_value());
    EXPECT_FALSE(ParseGetm(QString(100000, u'9')).has_value());
}

TEST(CommandSet, Readings)
{
    const auto cv = ParseGetd("012501230\rOK\r", 100, "0.00");
    ASSERT_TRUE(cv.has_value());
    EXPECT_EQ(cv->volt, "12.5");
    EXPECT_EQ(cv->curr, "1.23");
    EXPECT_TRUE(cv->constantVoltage);
    const auto cc = ParseGetd("012501231\rOK\r", 10, "0.0");
    ASSERT_TRUE(cc.has_value());
    EXPECT_EQ(cc->curr, "1.2");
    EXPECT_FALSE(cc->constantVoltage);
    for (const QString& bad : QStringList { "OK", "", "012501230\rO", "012501230OK\r",
             "0125012300\rOK\r", "01a501230\rOK\r", "-12501230\rOK\r", "0125 1230\rOK\r",
             QString::fromLatin1(QByteArray("\x00\xff\x01OK", 5)), QString(100000, u'9') })
        EXPECT_FALSE(ParseGetd(bad, 100, "0.00").has_value()) << bad.left(20).toStdString();
}
