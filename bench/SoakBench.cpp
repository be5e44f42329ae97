// Soak: two hours of polling (a tick every 800 ms) and live logging (a sample
// every second) on an accelerated clock, against the in-process supply, with
// the Data Log tab showing so that every sample redraws the chart. Memory in
// use (VmRSS) and open file handles are read before and after and printed;
// both must stay flat.
//
//   build/bench/SoakBench                     two simulated hours
//   build/bench/SoakBench --benchmark_filter=SoakHourWithDropouts

#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "bench/BenchMain.h"
#include "bench/ResidentMemory.h"
#include "sim/SimTransport.h"
#include "sim/SupplyFaults.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeTimers.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr qint64 kHourMs = 3600 * 1000;
constexpr qint64 kSampleMs = 1000;

long OpenHandles()
{
    return static_cast<long>(QDir(QStringLiteral("/proc/self/fd"))
                                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                                 .size());
}

// Simulated hours after the warm-up minute: SOAK_HOURS, two by default.
int SoakHours()
{
    const int hours = qEnvironmentVariableIntValue("SOAK_HOURS");
    return hours > 0 ? hours : 2;
}

struct Figures {
    long rssKiB = 0;
    long handles = 0;
};

Figures Measure()
{
    QCoreApplication::processEvents();
    return { ResidentKiB(), OpenHandles() };
}

// The live-log timer's tick, run the way the timer runs it.
void LogTick(MainFrmUi& ui)
{
    QMetaObject::invokeMethod(ui.TimerPVC, "timeout", Qt::DirectConnection);
    ui.TimerPVC->stop();
}

// One simulated hour. With dropouts the supply stops answering for 20 lines
// after every 400, so the missing-reading path and the panel hiding and
// coming back run all hour too.
void Soak(benchmark::State& state, bool dropouts)
{
    for (auto _ : state) {
        FakeClock clock;
        FakeTimers timers(clock);
        SimTransport transport(clock);
        VirtualSupply& supply = transport.attachSupply(1);
        supply.setNoise(3, 7);
        QTemporaryDir dir;
        auto window
            = std::make_unique<MainFrm>(MainFrmDeps { transport, clock, timers, dir.path(), {} });
        QString error;
        if (!window->StartUp(&error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        MainFrmUi& ui = window->controls();
        ui.TimerPVC->stop();
        window->show();
        ui.Tab1->setCurrentIndex(3);
        ui.Option2[0]->setChecked(true);

        // A warm-up minute first: caches, fonts and the log buffer settle.
        qint64 nextSample = 0;
        qint64 lines = 0;
        // The session polls on its own timers as the clock moves.
        auto runUntil = [&](qint64 endMs) {
            while (nextSample < endMs) {
                timers.advance(std::max<qint64>(0, nextSample - clock.monotonicMs()));
                LogTick(ui);
                nextSample += kSampleMs;
                if (dropouts && supply.received().size() >= 400) {
                    lines += supply.received().size();
                    supply.clearReceived();
                    SupplyFaults faults;
                    faults.silentAfterLines = 380;
                    faults.silentForLines = 20;
                    supply.setFaults(faults);
                }
                // The supply's record of received lines would grow all hour.
                if (supply.received().size() >= 400) {
                    lines += supply.received().size();
                    supply.clearReceived();
                }
            }
        };
        runUntil(60 * 1000);
        const Figures before = Measure();
        std::vector<Figures> hourly;
        for (int hour = 1; hour <= SoakHours(); ++hour) {
            runUntil(60 * 1000 + hour * kHourMs);
            hourly.push_back(Measure());
        }
        lines += supply.received().size();

        state.counters["rss_before_KiB"] = static_cast<double>(before.rssKiB);
        state.counters["rss_after_KiB"] = static_cast<double>(hourly.back().rssKiB);
        state.counters["fds_before"] = static_cast<double>(before.handles);
        state.counters["fds_after"] = static_cast<double>(hourly.back().handles);
        state.counters["lines"] = static_cast<double>(lines);
        std::printf("soak%s: %lld lines in %d hours; VmRSS %ld KiB",
            dropouts ? " with dropouts" : "", static_cast<long long>(lines), SoakHours(),
            before.rssKiB);
        long previous = before.rssKiB;
        for (const Figures& figures : hourly) {
            std::printf(", %+ld", figures.rssKiB - previous);
            previous = figures.rssKiB;
        }
        std::printf(
            " KiB by the hour; open handles %ld -> %ld\n", before.handles, hourly.back().handles);
        std::fflush(stdout);
    }
}

void SoakHour(benchmark::State& state)
{
    Soak(state, false);
}
BENCHMARK(SoakHour)->Iterations(1)->Unit(benchmark::kSecond);

void SoakHourWithDropouts(benchmark::State& state)
{
    Soak(state, true);
}
BENCHMARK(SoakHourWithDropouts)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks<QApplication>(argc, argv);
}
