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
    // The colour at a point of the display's user space.
    QRgb At(const QImage& image, double x, double y) const
    {
        const QRectF& space = kLcdPSetVC.userSpace;
        return image.pixel(static_cast<int>(x * display->width() / space.width()),
            static_cast<int>(y * display->height() / space.height()));
    }

    QWidget window;
    SegmentDisplay* display = new SegmentDisplay(kLcdPSetVC.userSpace, &window);
};

TEST_F(SegmentDisplayWidget, ReportsLeftAndRightReleasesAndHover)
{
    QSignalSpy released(display, &SegmentDisplay::clicked);
    QSignalSpy hovered(display, &SegmentDisplay::hovered);
    QTest::mouseClick(display, Qt::LeftButton);
    QTest::mouseClick(display, Qt::RightButton);
    QTest::mouseClick(display, Qt::MiddleButton);
    ASSERT_EQ(released.count(), 2);
    EXPECT_EQ(released.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(released.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);
    QTest::mouseMove(display, QPoint(10, 10));
    QTest::mouseMove(display, QPoint(50, 40));
    EXPECT_GE(hovered.count(), 1);
}

// Digits in the foreground on the display's background; new strokes replace the old.
TEST_F(SegmentDisplayWidget, PaintsTheStrokesItWasGiven)
{
    display->setStrokes(FrontPanel::DrawSetpointDisplay(QStringLiteral("8.8")));
    display->setStrokes(FrontPanel::DrawSetpointDisplay(QStringLiteral("1.0")));
    display->setForeground(QColor(PanelColours::kHighlight));
    const QImage image = display->grab().toImage();
    EXPECT_EQ(At(image, 10, 4), PanelColours::kHighlight); // the 1: right side of cell two
    EXPECT_EQ(At(image, 13 - 1.7, 7), PanelColours::kHighlight); // the dot before cell three
    EXPECT_EQ(At(image, 2.5, 4), PanelColours::kLcdBackground); // the empty first cell
    EXPECT_EQ(At(image, 8.5, 1), PanelColours::kLcdBackground); // the 8's top, gone
}

TEST(SegmentDisplaySizes, TinyAndEmptySizesDoNotCrash)
{
    SegmentDisplay display(kPD.userSpace);
    display.setStrokes(FrontPanel::DrawReadingDisplay("88.88", "88.88", "88.88").strokes);
    for (const QSize size : { QSize(0, 0), QSize(1, 1), QSize(3, 200), QSize(2000, 2) }) {
        display.resize(size);
        EXPECT_EQ(display.grab().size(), size);
    }
    SegmentDisplay degenerate { QRectF() };
    degenerate.resize(20, 20);
    degenerate.setStrokes(FrontPanel::DrawSetpointDisplay(QStringLiteral("1.0")));
    EXPECT_EQ(degenerate.grab().toImage().pixel(10, 10), PanelColours::kLcdBackground);
}

} // namespace
