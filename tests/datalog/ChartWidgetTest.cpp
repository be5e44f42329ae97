#include "datalog/ChartWidget.h"
#include "datalog/ChartColours.h"
#include "datalog/ChartGeometry.h"
#include "tests/datalog/Logs.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

void Show(ChartWidget& chart, const LogSamples& log, int interval, const ChartRanges& ranges)
{
    chart.setChart(ChartGeometry::GridLines(ranges),
        ChartGeometry::TraceSegments(log, interval, ranges, true), ranges);
}

QImage Render(const ChartWidget& chart, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    chart.paintChart(painter, image.rect());
    return image;
}

// The first row of column x in the colour, or -1.
int RowOf(const QImage& image, int x, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(x, y) == colour)
            return y;
    }
    return -1;
}

bool ColumnHas(const QImage& image, int x, QRgb colour)
{
    return RowOf(image, x, colour) >= 0;
}

TEST(ChartWidgetTest, NewestSamplesAreOnTheRightAndHigherValuesHigherUp)
{
    ChartWidget chart;
    // 30 s of samples in a 120 s window: only the right quarter has traces.
    Show(chart, SteadyLog(30.0f, 1.0f, 11), 3, Window(0, 120));
    const QImage image = Render(chart, 240, 100);
    EXPECT_TRUE(ColumnHas(image, 230, ChartColours::kVoltTrace));
    EXPECT_FALSE(ColumnHas(image, 100, ChartColours::kVoltTrace));
    // 30 of 40 V is three quarters up; 1 of 5 A a fifth up.
    EXPECT_NEAR(25, RowOf(image, 230, ChartColours::kVoltTrace), 1);
    EXPECT_NEAR(80, RowOf(image, 230, ChartColours::kCurrTrace), 1);
    EXPECT_NEAR(85, RowOf(image, 230, ChartColours::kPowerTrace), 1); // 30 W of 200
}

TEST(ChartWidgetTest, ValuesFarOutsideTheRangeStayOffTheChart)
{
    ChartWidget chart;
    ChartRanges ranges = Window(0, 1);
    ranges.ChartVMax = 0.001f; // 60 V is sixty thousand chart heights up
    Show(chart, SteadyLog(60.0f, 0.5f, 1800), 60, ranges);
    const QImage image = Render(chart, 200, 100);
    for (int x = 0; x < image.width(); ++x)
        EXPECT_FALSE(ColumnHas(image, x, ChartColours::kVoltTrace)) << "column " << x;
    EXPECT_TRUE(ColumnHas(image, 100, ChartColours::kCurrTrace));
}

// On screen the chart reports the mouse, draws new data at once instead of a
// cached picture, and is redrawn to a new size.
TEST(ChartWidgetTest, AShownChartFollowsTheMouseNewDataAndItsSize)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* pp = new ChartWidget;
    layout->addWidget(pp);
    window.resize(300, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy moved(pp, &ChartWidget::mouseMoved);
    QTest::mouseMove(pp, QPoint(40, 30));
    QTest::mouseMove(pp, QPoint(120, 60));
    ASSERT_GE(moved.count(), 1);
    EXPECT_EQ(QPoint(120, 60), moved.last().at(0).toPoint());

    const auto grab = [pp] { return pp->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    Show(*pp, SteadyLog(30.0f, 1.0f, 50), 3, Window(0, 120));
    const int x = grab().width() - 5;
    ASSERT_TRUE(ColumnHas(grab(), x, ChartColours::kVoltTrace));
    LogSamples empty = SteadyLog(10.0f, 1.0f, 50);
    empty.markEmpty();
    Show(*pp, empty, 3, Window(0, 120));
    EXPECT_FALSE(ColumnHas(grab(), x, ChartColours::kVoltTrace));

    Show(*pp, SteadyLog(30.0f, 2.5f, 1800), 3, Window(0, 120));
    (void)grab();
    window.resize(400, 200);
    QApplication::processEvents();
    const QImage image = grab();
    ASSERT_EQ(QSize(400, 200), image.size() / pp->devicePixelRatioF());
    // 30 of 40 V: a quarter of the new height from the top.
    EXPECT_NEAR(image.height() / 4, RowOf(image, image.width() / 3, ChartColours::kVoltTrace), 1);
}

} // namespace
