// Cost of the data log chart. The live log redraws it every sampling interval
// (down to 1 s) and on every range change; the aim is under 5 ms for a full
// 1801-sample log on a 1000 x 600 area. Printing the full log chart to a PDF
// should take under 300 ms.

#include "bench/BenchMain.h"
#include "core/PainterPage.h"
#include "core/SteadyClock.h"
#include "datalog/ChartGeometry.h"
#include "datalog/ChartWidget.h"
#include "datalog/LogChartPrint.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int kInterval = 3;

// A full log with moving values, so that every segment is a real slope.
LogSamples FullLog()
{
    LogSamples log;
    for (int i = 0; i < LogSamples::kCount; ++i) {
        log.volts[i] = 18.0f + 12.0f * static_cast<float>(std::sin(i / 40.0));
        log.amps[i] = 2.5f + 2.0f * static_cast<float>(std::cos(i / 25.0));
    }
    return log;
}

// A window over the whole log: 1800 intervals.
ChartRanges WholeLogWindow()
{
    ChartRanges ranges;
    ranges.ChartTStart = 0;
    ranges.ChartTEnd = (LogSamples::kCount - 1) * kInterval;
    return ranges;
}

void ChartGeometryOnly(benchmark::State& state)
{
    const LogSamples log = FullLog();
    const ChartRanges ranges = WholeLogWindow();
    for (auto _ : state) {
        auto traces = ChartGeometry::TraceSegments(log, kInterval, ranges, true);
        benchmark::DoNotOptimize(traces);
    }
}
BENCHMARK(ChartGeometryOnly)->Unit(benchmark::kMicrosecond);

void ChartRedraw(benchmark::State& state)
{
    const LogSamples log = FullLog();
    const ChartRanges ranges = WholeLogWindow();
    ChartWidget chart;
    QImage image(1000, 600, QImage::Format_RGB32);
    for (auto _ : state) {
        chart.setChart(ChartGeometry::GridLines(ranges),
            ChartGeometry::TraceSegments(log, kInterval, ranges, true), ranges);
        QPainter painter(&image);
        chart.paintChart(painter, image.rect());
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(ChartRedraw)->Unit(benchmark::kMillisecond);

void PrintFullLogToPdf(benchmark::State& state)
{
    const LogSamples log = FullLog();
    LogPrintInputs inputs;
    inputs.samples = &log;
    inputs.interval = kInterval;
    inputs.ranges = WholeLogWindow();
    inputs.address = QStringLiteral("00");
    inputs.description = QStringLiteral("Full log");
    const SteadyClock clock;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("log.pdf"));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        PainterPage page(printer);
        LogChartPrint::PrintLogChart(page, inputs, clock);
    }
}
BENCHMARK(PrintFullLogToPdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks<QApplication>(argc, argv);
}
