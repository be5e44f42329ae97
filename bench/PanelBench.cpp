// Redraw cost of the front panel's reading display. One good reading redraws
// it every 800 ms; the aim is well under 0.5 ms per redraw.

#include "bench/BenchMain.h"
#include "panel/DisplayGeometry.h"
#include "panel/FrontPanel.h"
#include "panel/PanelColours.h"
#include "panel/SegmentDisplay.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// About the size the reading display has on the window.
const QSize kReadingSize(170, 250);

void ReadingStrokes(benchmark::State& state)
{
    for (auto _ : state) {
        auto display = FrontPanel::DrawReadingDisplay(
            QStringLiteral("18.88"), QStringLiteral("8.88"), QStringLiteral("167.7"));
        benchmark::DoNotOptimize(display);
    }
}
BENCHMARK(ReadingStrokes)->Unit(benchmark::kMicrosecond);

void ReadingRedraw(benchmark::State& state)
{
    QImage image(kReadingSize, QImage::Format_ARGB32_Premultiplied);
    const QColor digits(PanelColours::kReadingDigits);
    for (auto _ : state) {
        const auto display = FrontPanel::DrawReadingDisplay(
            QStringLiteral("18.88"), QStringLiteral("8.88"), QStringLiteral("167.7"));
        QPainter painter(&image);
        SegmentDisplay::paintStrokes(painter, image.rect(), kPD.userSpace, display.strokes, digits);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(ReadingRedraw)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks<QGuiApplication>(argc, argv);
}
