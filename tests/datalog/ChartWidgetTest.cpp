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

#include <memory>

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

bool ColumnHas(const QImage& image, int x, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(x, y) == colour)
            return true;
    }
    return false;
}

int RowOf(const QImage& image, int x, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(x, y) == colour)
            return y;
    }
    return -1;
}

TEST(ChartWidgetTest, AnEmptyChartIsDarkGreyWithItsGrid)
{
    ChartWidget chart;
    const ChartRanges ranges = Window(0, 120);
    chart.setChart(ChartGeometry::GridLines(ranges), ChartTraces {}, ranges);
    const QImage image = Render(chart, 200, 100);
    EXPECT_EQ(ChartColours::kBackground, image.pixel(3, 3));
    // Middle lines at half height and half width, in the brighter grid colour.
    EXPECT_GE(RowOf(image, 30, ChartColours::kGridMiddle), 49);
    EXPECT_LE(RowOf(image, 30, ChartColours::kGridMiddle), 50);
    EXPECT_TRUE(ColumnHas(image, 99, ChartColours::kGridMiddle)
        || ColumnHas(image, 100, ChartColours::kGridMiddle));
    EXPECT_TRUE(
        ColumnHas(image, 20, ChartColours::kGrid) || ColumnHas(image, 19, ChartColours::kGrid));
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

class ShownChartTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(m_window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        auto* chart = new ChartWidget;
        chart->setObjectName("PP");
        layout->addWidget(chart);
        m_window->resize(300, 150);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }

    ChartWidget* chart() const { return m_window->findChild<ChartWidget*>("PP"); }

    std::unique_ptr<QWidget> m_window;
};

TEST_F(ShownChartTest, MovingTheMouseOverTheChartIsReported)
{
    ChartWidget* pp = chart();
    ASSERT_NE(nullptr, pp);
    QSignalSpy moved(pp, &ChartWidget::mouseMoved);
    QTest::mouseMove(pp, QPoint(40, 30));
    QTest::mouseMove(pp, QPoint(120, 60));
    ASSERT_GE(moved.count(), 1);
    EXPECT_EQ(QPoint(120, 60), moved.last().at(0).toPoint());
}

TEST_F(ShownChartTest, NewDataReplacesTheCachedPicture)
{
    ChartWidget* pp = chart();
    Show(*pp, SteadyLog(10.0f, 1.0f, 50), 3, Window(0, 120));
    const QImage before = pp->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int x = before.width() - 5;
    ASSERT_TRUE(ColumnHas(before, x, ChartColours::kVoltTrace));

    LogSamples empty = SteadyLog(10.0f, 1.0f, 50);
    empty.markEmpty();
    Show(*pp, empty, 3, Window(0, 120));
    const QImage after = pp->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_FALSE(ColumnHas(after, x, ChartColours::kVoltTrace));
}

TEST_F(ShownChartTest, AResizedChartIsRedrawnToItsNewSize)
{
    ChartWidget* pp = chart();
    Show(*pp, SteadyLog(30.0f, 2.5f, 1800), 3, Window(0, 120));
    (void)pp->grab();
    m_window->resize(400, 200);
    QApplication::processEvents();
    const QImage image = pp->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(QSize(400, 200), image.size() / pp->devicePixelRatioF());
    // 30 of 40 V: a quarter of the new height from the top.
    EXPECT_NEAR(image.height() / 4, RowOf(image, image.width() / 3, ChartColours::kVoltTrace), 1);
}

} // namespace
