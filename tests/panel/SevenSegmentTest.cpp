#include "panel/SevenSegment.h"

#include "tests/panel/PanelTestPrinters.h"

#include <gtest/gtest.h>

namespace {

using Kind = SegmentStroke::Kind;

SegmentStroke Line(double x1, double y1, double x2, double y2)
{
    return { Kind::Line, QPointF(x1, y1), QPointF(x2, y2) };
}

SegmentStroke Dot(double x, double y)
{
    return { Kind::Dot, QPointF(x, y), QPointF(x, y) };
}

// Every digit draws inside its cell (origin (10, 20), L = 5: x 10..15,
// y 20..30), and no two digits look alike.
TEST(SevenSegmentGlyph, DigitsStayInTheirCellAndDiffer)
{
    const QRectF cell(10, 20, 5, 10);
    QList<QList<SegmentStroke>> seen;
    for (const QChar digit : QStringLiteral("0123456789")) {
        const QList<SegmentStroke> glyph = SevenSegment::Glyph(digit, QPointF(10, 20), 5);
        EXPECT_FALSE(glyph.isEmpty()) << digit.toLatin1();
        for (const SegmentStroke& s : glyph)
            EXPECT_TRUE(cell.contains(s.from) && cell.contains(s.to)) << digit.toLatin1();
        EXPECT_FALSE(seen.contains(glyph)) << digit.toLatin1();
        seen << glyph;
    }
}

TEST(SevenSegmentGlyph, NonDigitsHaveNoStrokes)
{
    for (const QChar c : QStringLiteral(" .,-+eE/:aZ\u00e9\u0660"))
        EXPECT_TRUE(SevenSegment::Glyph(c, QPointF(0, 0), 5).isEmpty()) << int(c.unicode());
}

TEST(SevenSegmentRow, WalkPlacesDigitsBlanksAndDots)
{
    const DisplayGeometry& g = kLcdPSetVC; // L 3, pitch 6, first x 1, dot offset 1.7
    // " 5.0": a blank cell, 5 in the second cell, a dot before the third, 0.
    QList<SegmentStroke> expected = SevenSegment::Glyph(u'5', QPointF(7, 1), 3);
    expected << Dot(13 - 1.7, 7);
    expected << SevenSegment::Glyph(u'0', QPointF(13, 1), 3);
    EXPECT_EQ(SevenSegment::Row(u" 5.0", g, 1), expected);
}

// A comma draws a dot like a point; other characters take no cell.
TEST(SevenSegmentRow, TextsThatDrawLikeOthers)
{
    const struct {
        const char16_t* text;
        const char16_t* drawnAs;
    } cases[] = { { u"1,5", u"1.5" }, { u"  -1", u"  1" }, { u"1x2", u"12" }, { u"    ", u"" } };
    for (const auto& c : cases)
        EXPECT_EQ(SevenSegment::Row(c.text, kPD, 19), SevenSegment::Row(c.drawnAs, kPD, 19))
            << QString::fromUtf16(c.text).toStdString();
    EXPECT_TRUE(SevenSegment::Row(u"", kPD, 1).isEmpty());
}

TEST(SevenSegmentRow, DotBeforeAnyDigitSitsLeftOfTheFirstCell)
{
    const QList<SegmentStroke> strokes = SevenSegment::Row(u".5", kPD, 37);
    ASSERT_FALSE(strokes.isEmpty());
    EXPECT_EQ(strokes.front(), Dot(1 - 2.3, 47));
}

TEST(SevenSegmentRow, DigitsPastTheLastCellFallOutsideTheArea)
{
    const QList<SegmentStroke> strokes = SevenSegment::Row(u"11111", kPD, 1);
    ASSERT_EQ(strokes.size(), 5);
    EXPECT_EQ(strokes.back(), Line(1 + 4 * 9 + 5, 1, 1 + 4 * 9 + 5, 11));
    EXPECT_GT(strokes.back().from.x(), kPD.userSpace.right());
}

TEST(SevenSegmentRow, LongGarbageTextDoesNotCrash)
{
    const QString garbage = QString(5000, u'8') + QString(5000, u'.') + QString(QChar(u'\0'))
        + QStringLiteral("\t\r\n");
    EXPECT_EQ(SevenSegment::Row(garbage, kPD, 1).size(), 5000 * 2 + 5000);
}

} // namespace
