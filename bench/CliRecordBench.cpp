// ovolta-cli's "record --every 1" for simulated hours on the fake clock against
// the in-process supply: the CPU it costs, and memory in use (VmRSS) by the
// hour, which must stay flat: nothing is kept per sample.
//
//   build/bench/CliRecordBench                 four simulated hours
//   RECORD_HOURS=24 build/bench/CliRecordBench

#include "bench/BenchMain.h"
#include "bench/ResidentMemory.h"
#include "cli/CliRun.h"
#include "device/SerialTransport.h"
#include "sim/VirtualSupply.h"
#include "tests/support/FakeTimers.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

namespace {

constexpr qint64 kHourMs = 3600 * 1000;
constexpr qint64 kMinuteMs = 60 * 1000;

int Hours()
{
    const int hours = qEnvironmentVariableIntValue("RECORD_HOURS");
    return hours > 0 ? hours : 4;
}

// A line to the in-process supply that keeps nothing (the tests' line keeps
// every byte written, which would grow by the hour here).
class BareLine : public SerialTransport {
public:
    explicit BareLine(VirtualSupply& supply)
        : m_supply(supply)
    {
    }
    void setPortNumber(int number) override { m_port = number; }
    int portNumber() const override { return m_port; }
    bool open() override { return m_open = true; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void discardBuffers() override { m_reply.clear(); }
    void write(const QByteArray& bytes) override { m_reply = m_supply.answer(bytes.chopped(1)); }
    QByteArray readAll() override { return std::exchange(m_reply, {}); }

private:
    VirtualSupply& m_supply;
    QByteArray m_reply;
    int m_port = 1;
    bool m_open = false;
};

double CpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void RecordEverySecond(benchmark::State& state)
{
    for (auto _ : state) {
        FakeClock clock;
        FakeTimers timers(clock);
        VirtualSupply supply(clock);
        supply.setNoise(3, 7);
        BareLine transport(supply);
        QTemporaryDir dir;
        QBuffer out;
        QBuffer err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        QString error;
        const auto options = CliOptions::Parse({ "ovolta-cli", "--port", "1", "record", "--every",
                                                   "1", "--out", dir.filePath("log.csv") },
            &error);
        CliRun run(*options, { transport, timers, clock, out, err, dir.path(), nullptr, {} });
        int status = -1;
        QObject::connect(&run, &CliRun::finished, [&](int s) { status = s; });
        run.start();

        // Minute by minute; the supply's own record of lines is not the CLI's.
        const auto runFor = [&](qint64 ms) {
            for (qint64 done = 0; done < ms; done += kMinuteMs) {
                timers.advance(kMinuteMs);
                supply.clearReceived();
            }
        };
        runFor(kMinuteMs); // warm-up
        const long before = ResidentKiB();
        const double cpuBefore = CpuSeconds();
        std::vector<long> hourly;
        for (int hour = 1; hour <= Hours(); ++hour) {
            runFor(kHourMs);
            hourly.push_back(ResidentKiB());
        }
        const double cpuPerHour = (CpuSeconds() - cpuBefore) / Hours();
        run.interrupt(SIGINT);
        timers.runUntil([&] { return status >= 0; });

        state.counters["cpu_s_per_hour"] = cpuPerHour;
        state.counters["rss_before_KiB"] = static_cast<double>(before);
        state.counters["rss_after_KiB"] = static_cast<double>(hourly.back());
        std::printf(
            "record --every 1: %.3f s CPU per simulated hour; VmRSS %ld KiB", cpuPerHour, before);
        long previous = before;
        for (const long rss : hourly) {
            std::printf(", %+ld", rss - previous);
            previous = rss;
        }
        std::printf(" KiB by the hour\n%s", err.data().constData());
        std::fflush(stdout);
    }
}
BENCHMARK(RecordEverySecond)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarks<QCoreApplication>(argc, argv);
}
