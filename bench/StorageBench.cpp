#include "storage/CsvImporter.h"
#include "storage/CsvWriter.h"
#include "storage/OvoltaDatabase.h"
#include "storage/StoredTables.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

LogSamples FullLog()
{
    LogSamples log;
    for (std::size_t i = 0; i < LogSamples::kCount; ++i) {
        log.volts[i] = 12.0f + static_cast<float>(i % 100) * 0.01f;
        log.amps[i] = 1.5f + static_cast<float>(i % 7) * 0.001f;
    }
    return log;
}

struct Database {
    QTemporaryDir dir;
    std::unique_ptr<OvoltaDatabase> db
        = std::move(OvoltaDatabase::OpenDatabase(dir.path())).value();
};

// Target: under 100 ms. Every save replaces the log of the same name.
void SaveLog(benchmark::State& state)
{
    Database data;
    StoredTables tables(*data.db);
    const LogSamples log = FullLog();
    const StoredTables::SaveInfo info { "bench", 3, QDateTime(QDate(2026, 1, 1), QTime(12, 0)) };
    for (auto _ : state) {
        if (!tables.saveLog("bench", log, info))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(SaveLog)->Unit(benchmark::kMillisecond);

// Target: under 50 ms.
void LoadLog(benchmark::State& state)
{
    Database data;
    StoredTables tables(*data.db);
    if (!tables.saveLog("bench", FullLog(), { "", 3, QDateTime(QDate(2026, 1, 1), QTime(12, 0)) }))
        state.SkipWithError("save failed");
    for (auto _ : state) {
        const StoredTables::LogLoad load = tables.loadLog("bench");
        if (!load.rows) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(load.rows->volts.data());
    }
}
BENCHMARK(LoadLog)->Unit(benchmark::kMillisecond);

// Target: under 20 ms.
void ExportLog(benchmark::State& state)
{
    const LogSamples log = FullLog();
    for (auto _ : state) {
        const QByteArray bytes = CsvWriter::LogFile("bench", log, 3);
        benchmark::DoNotOptimize(bytes.constData());
    }
}
BENCHMARK(ExportLog)->Unit(benchmark::kMillisecond);

// Target: under 20 ms.
void ImportLog(benchmark::State& state)
{
    const QByteArray bytes = CsvWriter::LogFile("bench", FullLog(), 3);
    for (auto _ : state) {
        const Outcome<CsvImporter::LogFile> import = CsvImporter::ImportLog(bytes);
        if (!import || import->count != LogSamples::kCount) {
            state.SkipWithError("import failed");
            break;
        }
        benchmark::DoNotOptimize(import->samples.volts.data());
    }
}
BENCHMARK(ImportLog)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
