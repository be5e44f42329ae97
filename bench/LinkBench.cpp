// One serial transaction on a real pseudo-terminal against ovolta-sim: its
// wall time (150 ms, 250 ms for "PROM", plus the write) and the CPU it uses
// while it waits (the line's timer must sleep in the event loop, not spin).

#include "device/DeviceLink.h"
#include "device/QtSerialTransport.h"
#include "session/QtTimerSource.h"
#include "session/SupplyLine.h"
#include "tests/support/SimProcess.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <ctime>

namespace {

double CpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct Simulator {
    QTemporaryDir dir;
    SimProcess process;
    bool ok = process.startOn(dir.path(), 1);
};

void Transaction(benchmark::State& state, const QString& command, const QString& params)
{
    Simulator sim;
    if (!sim.ok) {
        state.SkipWithError("ovolta-sim did not start");
        return;
    }
    QtSerialTransport transport(sim.dir.filePath("ports"));
    DeviceLink link(transport);
    link.setPortNumber(1);
    QtTimerSource timers;
    SupplyLine line(link, timers);
    double cpu = 0;
    int acknowledged = 0;
    for (auto _ : state) {
        const double before = CpuSeconds();
        QString reply;
        QEventLoop loop;
        line.exchange(command, params, [&](const QString& r) {
            reply = r;
            loop.quit();
        });
        loop.exec();
        cpu += CpuSeconds() - before;
        acknowledged += reply.contains(QLatin1String("OK")) ? 1 : 0;
    }
    state.counters["cpu_ms_per_transaction"]
        = benchmark::Counter(cpu * 1000.0 / static_cast<double>(state.iterations()));
    state.counters["acknowledged"]
        = benchmark::Counter(acknowledged, benchmark::Counter::kAvgIterations);
}

void Getd(benchmark::State& state)
{
    Transaction(state, "GETD", "");
}
void Prom(benchmark::State& state)
{
    Transaction(state, "PROM", "050100120200150150");
}

BENCHMARK(Getd)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();
BENCHMARK(Prom)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
