#include "panel/SegmentDisplay.h"

#include "panel/DisplayGeometry.h"
#include "panel/FrontPanel.h"
#include "panel/PanelColours.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// A set-point display shown in a window, as the main window holds it.
class SegmentDisplayWidget : public ::testing::Test {
protected:
    SegmentDisplayWidget()
    {
        display->resize(180, 80);
        window.resize(200, 100);
        window.show();
    }

    QWidget window;
    SegmentDisplay* display = new SegmentDisplay(kLcdPSetVC.userSpace, &window);
};

TEST_F(SegmentDisplayWidget, ReportsLeftAndRightReleasesOnly)
{
    QSignalSpy released(display, &SegmentDisplay::clicked);
    QTest::mouseClick(display, Qt::LeftButton);
    QTest::mouseClick(display, Qt::RightButton);
    QTest::mouseClick(display, Qt::MiddleButton);
    ASSERT_EQ(released.count(), 2);
    EXPECT_EQ(released.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(released.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);
}

TEST_F(SegmentDisplayWidget, ReportsHoverWithoutAButtonHeld)
{
    QSignalSpy hovered(display, &SegmentDisplay::hovered);
    QTest::mouseMove(display, QPoint(10, 10));
    QTest::mouseMove(display, QPoint(50, 40));
    EXPECT_GE(hovered.count(), 1);
}

// Scales a user point to a pixel of a widget of the given size.
QPoint PixelOf(QPointF user, const QRectF& space, QSize size)
{
    return QPoint(static_cast<int>(user.x() * size.width() / space.width()),
        static_cast<int>(user.y() * size.height() / space.height()));
}

TEST_F(SegmentDisplayWidget, PaintsDigitsInTheForegroundOnLightGrey)
{
    display->setStrokes(FrontPanel::DrawSetpointDisplay(QStringLiteral("1.0")));
    display->setForeground(QColor(PanelColours::kHighlight));
    const QImage image = display->grab().toImage();
    const QSize size = display->size();

    // The 1 is the right side of the second cell (x 7 + 3 = 10, y 1 to 7).
    EXPECT_EQ(
        image.pixel(PixelOf(QPointF(10, 4), kLcdPSetVC.userSpace, size)), PanelColours::kHighlight);
    // The empty first cell is background.
    EXPECT_EQ(image.pixel(PixelOf(QPointF(2.5, 4), kLcdPSetVC.userSpace, size)),
        PanelColours::kLcdBackground);
    // The decimal dot before the third cell is visible.
    EXPECT_EQ(image.pixel(PixelOf(QPointF(13 - 1.7, 7), kLcdPSetVC.userSpace, size)),
        PanelColours::kHighlight);
}

TEST_F(SegmentDisplayWidget, NewStrokesReplaceTheOldOnes)
{
    display->setStrokes(FrontPanel::DrawSetpointDisplay(QStringLiteral("8.8")));
    display->setStrokes(FrontPanel::DrawSetpointDisplay(QString()));
    const QImage image = display->grab().toImage();
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3)
            ASSERT_EQ(image.pixel(x, y), PanelColours::kLcdBackground) << x << "," << y;
    }
}

TEST(SegmentDisplaySizes, TinyAndEmptySizesDoNotCrash)
{
    SegmentDisplay display(kPD.userSpace);
    display.setStrokes(FrontPanel::DrawReadingDisplay(
        QStringLiteral("88.88"), QStringLiteral("88.88"), QStringLiteral("88.88"))
                           .strokes);
    for (const QSize size : { QSize(0, 0), QSize(1, 1), QSize(3, 200), QSize(2000, 2) }) {
        display.resize(size);
        const QPixmap pixmap = display.grab();
        if (size.isEmpty())
            EXPECT_TRUE(pixmap.isNull());
        else
            EXPECT_EQ(pixmap.size(), size);
    }
    SegmentDisplay degenerate { QRectF() };
    degenerate.resize(20, 20);
    degenerate.setStrokes(FrontPanel::DrawSetpointDisplay(QStringLiteral("1.0")));
    EXPECT_EQ(degenerate.grab().toImage().pixel(10, 10), PanelColours::kLcdBackground);
}

} // namespace
