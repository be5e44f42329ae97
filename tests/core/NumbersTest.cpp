#include "core/Numbers.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Numbers;

TEST(LeadingNumber, ReadsTheLeadingNumericPart)
{
    const struct {
        QString text;
        double value;
    } cases[] = { { "", 0 }, { "abc", 0 }, { "12.5V", 12.5 }, { "  7", 7 }, { "-3", -3 },
        { "+4", 4 }, { "1.2.3", 1.2 }, { ".5", 0.5 }, { "5.", 5 }, { "-", 0 }, { "12,5", 12 },
        { "0029", 29 }, { "3 4", 3 }, { "\t9A", 9 }, { "V12", 0 }, { "360510\rOK", 360510 },
        { "1e5", 1 }, { ".", 0 }, { "-.5", -0.5 } };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.value) << c.text.toStdString();
}

TEST(LeadingNumber, HugeDigitRunsStayFinite)
{
    EXPECT_GT(LeadingNumber(QString(300, u'9')), 1e298);
    EXPECT_EQ(LeadingNumber(QString(4000, u'9')), 0.0); // beyond double: no number
}

TEST(FormatNumber, PicturesAndRounding)
{
    const struct {
        double value;
        const char* picture;
        const char* text;
    } cases[] = { { 125, "000", "125" }, { 0.4, "000", "000" }, { 1000, "000", "1000" },
        { 123.4, "000", "123" }, { 12.34, "000", "012" }, { 0.5, "0", "1" }, { 2.5, "0", "3" },
        { -2.5, "0", "-3" }, { 12.5, "0.0", "12.5" }, { 5, "00.0", "05.0" }, { 0.05, "0.0", "0.1" },
        { 1.15, "0.0", "1.2" }, { 1.005, "0.00", "1.01" }, { 9.96, "0.0", "10.0" },
        { 99.99, "00.0", "100.0" }, { 0, "0.00", "0.00" }, { 5, "0.0V", "5.0V" },
        { -0.04, "0.0", "0.0" }, { 15.375, "0.0", "15.4" } };
    for (const auto& c : cases)
        EXPECT_EQ(
            FormatNumber(c.value, QString::fromLatin1(c.picture)), QString::fromLatin1(c.text))
            << c.value << " " << c.picture;
}

TEST(FormatSingle, RoundsOnTheSevenDigitDecimalForm)
{
    EXPECT_EQ(FormatSingle(1.15f, u"0.0"), "1.2");
    EXPECT_EQ(FormatSingle(2.675f, u"0.00"), "2.68");
    EXPECT_EQ(FormatSingle(0.1f * 3, u"0.0"), "0.3");
    EXPECT_EQ(FormatSingle(12.45f, u"0.0"), "12.5");
}

TEST(FormatNumber, NonFiniteValuesFormatAsZero)
{
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN(), u"0.0"), "0.0");
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity(), u"000"), "000");
}

TEST(ShortestForm, UpToSevenDigitsWithoutTrailingZeros)
{
    EXPECT_EQ(ShortestForm(36.0f), "36");
    EXPECT_EQ(ShortestForm(5.1f), "5.1");
    EXPECT_EQ(ShortestForm(0.1f), "0.1");
    EXPECT_EQ(ShortestForm(0.0f), "0");
    EXPECT_EQ(ShortestForm(2.5f), "2.5");
    EXPECT_EQ(ShortestForm(12.5f - 0.1f), "12.4");
    EXPECT_EQ(ShortestForm(1234567.0f), "1234567");
    EXPECT_EQ(ShortestForm(123456789.0f), "123456800");
    EXPECT_EQ(ShortestForm(0.00001f), "0.00001");
    EXPECT_EQ(ShortestForm(-3.5f), "-3.5");
}

TEST(ShortestForm, FifteenDigitsForDoubles)
{
    EXPECT_EQ(ShortestForm(0.1 * 3 * 1000, 15), "300");
    EXPECT_EQ(ShortestForm(12000.0, 15), "12000");
    EXPECT_EQ(ShortestForm(1234.5, 15), "1234.5");
    EXPECT_EQ(ShortestForm(-0.4, 15), "-0.4");
    EXPECT_EQ(ShortestForm(-0.0, 15), "0");
    EXPECT_EQ(ShortestForm(std::numeric_limits<double>::infinity(), 15), "0");
    EXPECT_EQ(ShortestForm(1e16, 15), "10000000000000000");
}

TEST(FutComma, TouchesOnlyTheFirstSeparator)
{
    EXPECT_EQ(FutComma("12,5"), "12.5");
    EXPECT_EQ(FutComma("12."), "12.");
    EXPECT_EQ(FutComma("12"), "12");
    EXPECT_EQ(FutComma(",5"), ".5");
    EXPECT_EQ(FutComma("1,2,3"), "1.2,3");
    EXPECT_EQ(FutComma("1.2,3"), "1.2,3");
    EXPECT_EQ(FutComma("12,"), "12.");
    EXPECT_EQ(FutComma(""), "");
}
