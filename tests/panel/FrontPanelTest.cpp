#include "panel/FrontPanel.h"

#include "panel/DisplayGeometry.h"
#include "panel/PanelColours.h"
#include "panel/SevenSegment.h"
#include "tests/panel/PanelTestPrinters.h"

#include <gtest/gtest.h>

namespace {

// The cells a row lights, read back from its strokes: one character per cell
// (digit or blank) and a '.' where a dot precedes the next cell. Turns stroke
// lists into something a failure message can show.
QString CellsOf(
    const QList<SegmentStroke>& strokes, const DisplayGeometry& g, double rowTop, int cells)
{
    QString out;
    for (int cell = 0; cell < cells; ++cell) {
        const double x = g.firstX + cell * g.pitch;
        for (const SegmentStroke& s : strokes) {
            if (s.kind == SegmentStroke::Kind::Dot && qFuzzyCompare(s.from.x() + g.dotOffset, x)
                && qFuzzyCompare(s.from.y(), rowTop + 2 * g.segmentLength))
                out += u'.';
        }
        QChar lit = u' ';
        qsizetype litSize = 0;
        for (char digit = '0'; digit <= '9'; ++digit) {
            const QList<SegmentStroke> glyph = SevenSegment::Glyph(
                QChar::fromLatin1(digit), QPointF(x, rowTop), g.segmentLength);
            bool all = true;
            for (const SegmentStroke& s : glyph)
                all = all && strokes.contains(s);
            // An 8 also holds every stroke of a 0, a 3 those of a 1: the
            // glyph with the most strokes is the one drawn.
            if (all && glyph.size() > litSize) {
                lit = QChar::fromLatin1(digit);
                litSize = glyph.size();
            }
        }
        out += lit;
    }
    return out;
}

TEST(FrontPanelText, ReadingRows)
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
}

TEST(FrontPanelText, PowerRowsAndTheRewrittenReading)
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

TEST(FrontPanelText, SetpointRowsArePaddedToFour)
{
    EXPECT_EQ(FrontPanel::SetpointRowText(QStringLiteral("5.0")), QStringLiteral(" 5.0"));
    EXPECT_EQ(FrontPanel::SetpointRowText(QStringLiteral("18.0")), QStringLiteral("18.0"));
    EXPECT_EQ(FrontPanel::SetpointRowText(QStringLiteral("1.25")), QStringLiteral("1.25"));
    EXPECT_EQ(FrontPanel::SetpointRowText(QString()), QStringLiteral("    "));
}

// The displays draw the row texts above, one case per kind of row.
TEST(FrontPanelDrawing, DisplaysLightTheRowTextsCells)
{
    EXPECT_EQ(CellsOf(FrontPanel::DrawSetpointDisplay("5.0"), kLcdPSetVC, 1, 3), " 5.0");
    EXPECT_EQ(CellsOf(FrontPanel::DrawSetpointDisplay("18.0"), kLcdPSetVC, 1, 3), "18.0");
    const struct {
        const char* volt;
        const char* curr;
        const char* power;
        const char* voltCells;
        const char* currCells;
        const char* powerCells;
        const char* powerReading;
    } cases[] = {
        { "12.34", "1.23", "60", "12.34", " 1.23", "  60", "60" },
        { "-1", "-1", "1", "   1", "   1", "   1", "1" },
        { "60.0", "20.57", "1234.2", " 60.0", "20.57", "1234", "1234" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.volt);
        const FrontPanel::ReadingDisplay display
            = FrontPanel::DrawReadingDisplay(c.volt, c.curr, c.power);
        EXPECT_EQ(CellsOf(display.strokes, kPD, 1, 4), c.voltCells);
        EXPECT_EQ(CellsOf(display.strokes, kPD, 19, 4), c.currCells);
        EXPECT_EQ(CellsOf(display.strokes, kPD, 37, 4), c.powerCells);
        EXPECT_EQ(display.powerReading, c.powerReading);
    }
}

TEST(FrontPanelDrawing, EveryStrokeOfFullRowsStaysInsideTheUserSpace)
{
    const auto strokes = FrontPanel::DrawReadingDisplay(
        QStringLiteral("88.88"), QStringLiteral("88.88"), QStringLiteral("88.88"))
                             .strokes;
    const QRectF space = kPD.userSpace;
    for (const SegmentStroke& s : strokes) {
        EXPECT_TRUE(space.contains(s.from) && space.contains(s.to)) << ::testing::PrintToString(s);
    }
    const auto setpoint = FrontPanel::DrawSetpointDisplay(QStringLiteral("88.8"));
    for (const SegmentStroke& s : setpoint) {
        EXPECT_TRUE(kLcdPSetVC.userSpace.contains(s.from) && kLcdPSetVC.userSpace.contains(s.to))
            << ::testing::PrintToString(s);
    }
}

TEST(FrontPanelDrawing, SetpointDigitsTakeTheHighlightWhenHighlighted)
{
    EXPECT_EQ(FrontPanel::SetpointForeground(true), PanelColours::kHighlight);
    EXPECT_EQ(FrontPanel::SetpointForeground(false), PanelColours::kBlack);
    EXPECT_EQ(PanelColours::FromBgr(0x00123456), qRgb(0x56, 0x34, 0x12));
}

} // namespace
