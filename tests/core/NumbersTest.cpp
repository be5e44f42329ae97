#include "core/Numbers.h"

#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Numbers;

TEST(Numbers, LeadingNumberReadsTheLeadingNumericPart)
{
    const struct {
        QString text;
        double value;
    } cases[] = { { "", 0 }, { "abc", 0 }, { "12.5V", 12.5 }, { "  7", 7 }, { "-3", -3 },
        { "+4", 4 }, { "1.2.3", 1.2 }, { ".5", 0.5 }, { "5.", 5 }, { "-", 0 }, { "12,5", 12 },
        { "0029", 29 }, { "3 4", 3 }, { "\t9A", 9 }, { "V12", 0 }, { "360510\rOK", 360510 },
        { "1e5", 1 }, { ".", 0 }, { "-.5", -0.5 },
        { QString(4000, u'9'), 0 } }; // beyond double: no number
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.value) << c.text.left(20).toStdString();
    EXPECT_GT(LeadingNumber(QString(300, u'9')), 1e298);
}

TEST(Numbers, FormatPicturesAndRounding)
{
    const struct {
        double value;
        const char* picture;
        const char* text;
    } cases[] = { { 125, "000", "125" }, { 0.4, "000", "000" }, { 1000, "000", "1000" },
        { 12.34, "000", "012" }, { 0.5, "0", "1" }, { 2.5, "0", "3" }, { -2.5, "0", "-3" },
        { 5, "00.0", "05.0" }, { 0.05, "0.0", "0.1" }, { 1.15, "0.0", "1.2" },
        { 1.005, "0.00", "1.01" }, { 9.96, "0.0", "10.0" }, { 99.99, "00.0", "100.0" },
        { 5, "0.0V", "5.0V" }, { -0.04, "0.0", "0.0" }, { 15.375, "0.0", "15.4" },
        { std::numeric_limits<double>::quiet_NaN(), "0.0", "0.0" },
        { std::numeric_limits<double>::infinity(), "000", "000" } };
    for (const auto& c : cases)
        EXPECT_EQ(
            FormatNumber(c.value, QString::fromLatin1(c.picture)), QString::fromLatin1(c.text))
            << c.value << " " << c.picture;
    // Singles round on their seven-digit decimal form.
    EXPECT_EQ(FormatSingle(2.675f, u"0.00"), "2.68");
    EXPECT_EQ(FormatSingle(0.1f * 3, u"0.0"), "0.3");
    EXPECT_EQ(FormatSingle(12.45f, u"0.0"), "12.5");
}

// Up to seven digits for singles, fifteen for doubles, no trailing zeros; the
// comma fix touches only the first separator.
TEST(Numbers, ShortestFormAndFutComma)
{
    const std::pair<QString, const char*> cases[]
        = { { ShortestForm(36.0f), "36" }, { ShortestForm(0.1f), "0.1" },
              { ShortestForm(0.0f), "0" }, { ShortestForm(12.5f - 0.1f), "12.4" },
              { ShortestForm(123456789.0f), "123456800" }, { ShortestForm(0.00001f), "0.00001" },
              { ShortestForm(-3.5f), "-3.5" }, { ShortestForm(0.1 * 3 * 1000, 15), "300" },
              { ShortestForm(1234.5, 15), "1234.5" }, { ShortestForm(-0.0, 15), "0" },
              { ShortestForm(std::numeric_limits<double>::infinity(), 15), "0" },
              { ShortestForm(1e16, 15), "10000000000000000" }, { FutComma("12,5"), "12.5" },
              { FutComma(",5"), ".5" }, { FutComma("1,2,3"), "1.2,3" },
              { FutComma("1.2,3"), "1.2,3" }, { FutComma(""), "" } };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(text, QString::fromLatin1(expected));
}
