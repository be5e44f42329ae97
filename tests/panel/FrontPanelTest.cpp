#include "panel/FrontPanel.h"

#include "panel/DisplayGeometry.h"
#include "panel/SevenSegment.h"
#include "tests/panel/PanelTestPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(FrontPanel, ReadingAndSetpointRows)
{
    const struct {
        const char* reading;
        const char* row;
    } cases[] = { { "12.34", "12.34" }, { "123.45", " 123" }, { "5.0", "  5.0" }, { "-1", "   -1" },
        { "", "     " }, { "1234567", "1234567" }, { "abcdef", "   0" }, { "-12.345", " -12" },
        { "999.99", "1000" } };
    for (const auto& c : cases)
        EXPECT_EQ(
            FrontPanel::ReadingRowText(QString::fromLatin1(c.reading)), QString::fromLatin1(c.row))
            << c.reading;
    EXPECT_EQ(FrontPanel::SetpointRowText(QStringLiteral("5.0")), QStringLiteral(" 5.0"));
    EXPECT_EQ(FrontPanel::SetpointRowText(QStringLiteral("18.0")), QStringLiteral("18.0"));
    EXPECT_EQ(FrontPanel::SetpointRowText(QString()), QStringLiteral("    "));
}

TEST(FrontPanel, PowerRowsAndTheRewrittenReading)
{
    const struct {
        const char* power;
        const char* row;
        const char* rewritten;
    } cases[] = { { "60", "  60", "60" }, { ".5", "  0.5", ".5" }, { "15.4", " 15.4", "15.4" },
        { "12.345", " 12.3", "12.3" }, { "1234.5", "1235", "1235" }, { "999.95", "1000", "1000" },
        { "123456789", "123456789", "123456789" }, { "", "    ", "" },
        { "abcdefg", " 0.0", "0.0" } };
    for (const auto& c : cases) {
        const FrontPanel::PowerRow row = FrontPanel::PowerRowText(QString::fromLatin1(c.power));
        EXPECT_EQ(row.rowText, QString::fromLatin1(c.row)) << c.power;
        EXPECT_EQ(row.powerReading, QString::fromLatin1(c.rewritten)) << c.power;
    }
}

// The displays draw the row texts on their rows, and full rows stay inside the display.
TEST(FrontPanel, DisplaysDrawTheirRowsInsideTheirArea)
{
    const auto display = FrontPanel::DrawReadingDisplay("60.0", "20.57", "1234.2");
    EXPECT_EQ(display.strokes,
        SevenSegment::Row(u" 60.0", kPD, 1) + SevenSegment::Row(u"20.57", kPD, 19)
            + SevenSegment::Row(u"1234", kPD, 37));
    EXPECT_EQ(display.powerReading, "1234");
    EXPECT_EQ(FrontPanel::DrawSetpointDisplay("5.0"), SevenSegment::Row(u" 5.0", kLcdPSetVC, 1));

    for (const SegmentStroke& s : FrontPanel::DrawReadingDisplay("88.88", "88.88", "88.88").strokes)
        EXPECT_TRUE(kPD.userSpace.contains(s.from) && kPD.userSpace.contains(s.to))
            << ::testing::PrintToString(s);
    for (const SegmentStroke& s : FrontPanel::DrawSetpointDisplay("88.8"))
        EXPECT_TRUE(kLcdPSetVC.userSpace.contains(s.from) && kLcdPSetVC.userSpace.contains(s.to))
            << ::testing::PrintToString(s);
}

} // namespace
