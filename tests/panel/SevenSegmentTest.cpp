#include "panel/SevenSegment.h"

#include "tests/panel/PanelTestPrinters.h"

#include <gtest/gtest.h>

namespace {

using Kind = SegmentStroke::Kind;

SegmentStroke Line(double x1, double y1, double x2, double y2)
{
    return { Kind::Line, QPointF(x1, y1), QPointF(x2, y2) };
}

SegmentStroke Rect(double x1, double y1, double x2, double y2)
{
    return { Kind::Rectangle, QPointF(x1, y1), QPointF(x2, y2) };
}

SegmentStroke Dot(double x, double y)
{
    return { Kind::Dot, QPointF(x, y), QPointF(x, y) };
}

// Digit origins are (10, 20) with L = 5: a digit spans x 10..15, y 20..30.
TEST(SevenSegmentGlyph, EveryDigitDrawsItsSegmentsInOrder)
{
    const SegmentStroke a = Line(10, 20, 15, 20), b = Line(15, 20, 15, 25),
                        c = Line(15, 25, 15, 30), d = Line(10, 30, 15, 30),
                        e = Line(10, 25, 10, 30), f = Line(10, 20, 10, 25),
                        g = Line(10, 25, 15, 25), right = Line(15, 20, 15, 30);
    const struct {
        char digit;
        QList<SegmentStroke> strokes;
    } cases[] = {
        { '0', { Rect(10, 20, 15, 30) } },
        { '1', { right } },
        { '2', { a, g, d, b, e } },
        { '3', { a, g, d, right } },
        { '4', { f, g, right } },
        { '5', { a, g, d, f, c } },
        { '6', { Rect(10, 25, 15, 30), f, a } },
        { '7', { a, right } },
        { '8', { Rect(10, 20, 15, 30), g } },
        { '9', { Rect(10, 20, 15, 25), c, d } },
    };
    for (const auto& tc : cases)
        EXPECT_EQ(SevenSegment::Glyph(QChar::fromLatin1(tc.digit), QPointF(10, 20), 5), tc.strokes)
            << "digit " << tc.digit;
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

TEST(SevenSegmentRow, CommaDrawsADotLikeAPoint)
{
    EXPECT_EQ(SevenSegment::Row(u"1,5", kPD, 19), SevenSegment::Row(u"1.5", kPD, 19));
}

TEST(SevenSegmentRow, OtherCharactersTakeNoCell)
{
    EXPECT_EQ(SevenSegment::Row(u"  -1", kPD, 1), SevenSegment::Row(u"  1", kPD, 1));
    EXPECT_EQ(SevenSegment::Row(u"1x2", kPD, 1), SevenSegment::Row(u"12", kPD, 1));
    EXPECT_TRUE(SevenSegment::Row(u"", kPD, 1).isEmpty());
    EXPECT_TRUE(SevenSegment::Row(u"    ", kPD, 1).isEmpty());
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
