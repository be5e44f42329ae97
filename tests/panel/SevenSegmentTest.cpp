#include "panel/SevenSegment.h"

#include "tests/panel/PanelTestPrinters.h"

#include <gtest/gtest.h>

namespace {

// Every digit draws inside its cell (origin (10, 20), L = 5: x 10..15,
// y 20..30), no two digits look alike, and nothing else has strokes.
TEST(SevenSegment, DigitsStayInTheirCellAndDiffer)
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
    for (const QChar c : QStringLiteral(" .,-+eE/:aZ\u00e9\u0660"))
        EXPECT_TRUE(SevenSegment::Glyph(c, QPointF(0, 0), 5).isEmpty()) << int(c.unicode());
}

TEST(SevenSegment, RowPlacesDigitsBlanksAndDots)
{
    using Kind = SegmentStroke::Kind;
    // " 5.0" on the set-point display (L 3, pitch 6, first x 1, dot offset 1.7):
    // a blank cell, 5 in the second cell, a dot before the third, 0.
    QList<SegmentStroke> expected = SevenSegment::Glyph(u'5', QPointF(7, 1), 3);
    expected << SegmentStroke { Kind::Dot, QPointF(13 - 1.7, 7), QPointF(13 - 1.7, 7) };
    expected << SevenSegment::Glyph(u'0', QPointF(13, 1), 3);
    EXPECT_EQ(SevenSegment::Row(u" 5.0", kLcdPSetVC, 1), expected);
    // A dot before any digit sits left of the first cell.
    EXPECT_EQ(SevenSegment::Row(u".5", kPD, 37).front(),
        (SegmentStroke { Kind::Dot, QPointF(1 - 2.3, 47), QPointF(1 - 2.3, 47) }));
    // Digits past the last cell fall outside the area (the row text is cut before).
    const QList<SegmentStroke> five = SevenSegment::Row(u"11111", kPD, 1);
    ASSERT_EQ(five.size(), 5);
    EXPECT_GT(five.back().from.x(), kPD.userSpace.right());
}

// A comma draws a dot like a point; other characters take no cell.
TEST(SevenSegment, TextsThatDrawLikeOthers)
{
    const struct {
        const char16_t* text;
        const char16_t* drawnAs;
    } cases[] = { { u"1,5", u"1.5" }, { u"  -1", u"  1" }, { u"1x2", u"12" }, { u"    ", u"" } };
    for (const auto& c : cases)
        EXPECT_EQ(SevenSegment::Row(c.text, kPD, 19), SevenSegment::Row(c.drawnAs, kPD, 19))
            << QString::fromUtf16(c.text).toStdString();
    EXPECT_TRUE(SevenSegment::Row(u"", kPD, 1).isEmpty());
    const QString garbage = QString(5000, u'8') + QString(5000, u'.') + QString(QChar(u'\0'))
        + QStringLiteral("\t\r\n");
    EXPECT_EQ(SevenSegment::Row(garbage, kPD, 1).size(), 5000 * 2 + 5000);
}

} // namespace
