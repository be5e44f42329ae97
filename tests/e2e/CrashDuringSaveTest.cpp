// A child saving a log again and again is killed mid-save: the log before or the new one stays.

#include "storage/OvoltaDatabase.h"
#include "storage/StoredTables.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Save number n: 50 samples of n volts.
LogSamples Samples(int n)
{
    LogSamples samples;
    samples.markEmpty();
    for (int i = 0; i < 50; ++i)
        samples.shiftIn(static_cast<float>(n), 0.25f);
    return samples;
}

bool Save(StoredTables& tables, int n)
{
    return tables.saveLog("crash", Samples(n), { {}, 3, { { 2026, 1, 15 }, { 10, 30 } } }).ok();
}

// Saves first, first + 1, ... until killed, writing 'b' or 'e' and the number around each.
[[noreturn]] void SaveForever(const QString& folder, int first, int out)
{
    auto opened = OvoltaDatabase::OpenDatabase(folder);
    if (!opened)
        ::_exit(2);
    StoredTables tables(**opened);
    for (int n = first;; ++n) {
        const char begin[2] = { 'b', static_cast<char>(n) };
        const char end[2] = { 'e', static_cast<char>(n) };
        if (::write(out, begin, 2) != 2 || !Save(tables, n) || ::write(out, end, 2) != 2)
            ::_exit(3);
    }
}

} // namespace

TEST(CrashDuringSave, KilledMidSaveLeavesTheOldOrTheNewLogWhole)
{
    QTemporaryDir dir;
    {
        auto opened = OvoltaDatabase::OpenDatabase(dir.path());
        ASSERT_TRUE(opened) << opened.error().toStdString();
        StoredTables tables(**opened);
        ASSERT_TRUE(Save(tables, 1)); // a first log exists before any crash
    }
    int next = 2, stored = 1;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(pipeFds[0]);
            SaveForever(dir.path(), next, pipeFds[1]);
        }
        ::close(pipeFds[1]);
        int lastBegun = -1, lastDone = -1, begins = 0;
        // Reads one record of the child into lastBegun or lastDone; false at the pipe's end.
        const auto readRecord = [&] {
            char record[2];
            if (::read(pipeFds[0], record, 2) != 2)
                return false;
            (record[0] == 'b' ? lastBegun : lastDone) = static_cast<unsigned char>(record[1]);
            begins += record[0] == 'b';
            return true;
        };
        // Kill the child just after it began a save; later rounds a little later into it.
        while (begins < 1 + round % 3 && readRecord()) { }
        ASSERT_EQ(begins, 1 + round % 3) << "the child stopped early";
        if (round >= 6)
            ::usleep(static_cast<useconds_t>((round - 5) * 700));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << "exit code " << WEXITSTATUS(status);
        while (readRecord()) { } // saves begun or done before the kill, not read yet
        ::close(pipeFds[0]);

        auto opened = OvoltaDatabase::OpenDatabase(dir.path());
        ASSERT_TRUE(opened) << opened.error().toStdString();
        EXPECT_TRUE((*opened)->sql().checkIntegrity());
        StoredTables tables(**opened);
        EXPECT_EQ(tables.names(StoredKind::DataLog), QStringList({ "crash" }));
        const StoredTables::LogLoad load = tables.loadLog("crash");
        ASSERT_TRUE(load.rows) << load.rows.error().toStdString();
        ASSERT_TRUE(load.catalogue.has_value());
        const int found = static_cast<int>(load.rows->volts[0]);
        const LogSamples whole = Samples(found);
        EXPECT_TRUE(load.rows->volts == whole.volts && load.rows->amps == whole.amps);
        const int before = lastDone >= 0 ? lastDone : stored;
        EXPECT_TRUE(found == before || found == lastBegun)
            << "found save " << found << ", last done " << before << ", last begun " << lastBegun;
        stored = found;
        next = lastBegun + 1 > 200 ? 2 : lastBegun + 1; // save numbers travel as one byte
    }
}
