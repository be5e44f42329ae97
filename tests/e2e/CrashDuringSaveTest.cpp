// A log save cut short by a crash: a child process saves a log under one name
// again and again and is killed (SIGKILL) in the middle of a save. The file
// must open cleanly afterwards and hold either the log from before the save or
// the new one, whole, with its one catalogue row.

#include "datalog/LogSamples.h"
#include "storage/OvoltaDatabase.h"
#include "storage/StoredKind.h"
#include "storage/StoredTables.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kName = QStringLiteral("crash");

// Every recorded sample of save number n holds n volts.
LogSamples LogOfSave(int n)
{
    LogSamples samples;
    samples.markEmpty();
    for (int i = 0; i < 50; ++i)
        samples.shiftIn(static_cast<float>(n), 0.25f);
    return samples;
}

// Saves number first, first + 1, ... until killed. Before each save it writes
// 'b', after it 'e', each followed by the save's number as one byte.
[[noreturn]] void SaveForever(const QString& folder, int first, int out)
{
    auto opened = OvoltaDatabase::OpenDatabase(folder);
    if (!opened)
        ::_exit(2);
    StoredTables tables(**opened);
    StoredTables::SaveInfo info;
    info.savedAt = QDateTime(QDate(2026, 1, 15), QTime(10, 30, 0));
    for (int n = first;; ++n) {
        const char begin[2] = { 'b', static_cast<char>(n) };
        if (::write(out, begin, 2) != 2)
            ::_exit(3);
        if (!tables.saveLog(kName, LogOfSave(n), info).ok())
            ::_exit(4);
        const char end[2] = { 'e', static_cast<char>(n) };
        if (::write(out, end, 2) != 2)
            ::_exit(3);
    }
}

struct Child {
    pid_t pid = 0;
    int out = -1; // the read end of its pipe
    int lastBegun = -1;
    int lastDone = -1;

    // Reads one record of the child; false at the end of the pipe.
    bool readRecord(bool* begun = nullptr)
    {
        char record[2];
        if (::read(out, record, 2) != 2)
            return false;
        const int n = static_cast<unsigned char>(record[1]);
        (record[0] == 'b' ? lastBegun : lastDone) = n;
        if (begun)
            *begun = record[0] == 'b';
        return true;
    }
};

} // namespace

TEST(CrashDuringSave, KilledMidSaveLeavesTheOldOrTheNewLogWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        // A first log exists before any crash.
        auto opened = OvoltaDatabase::OpenDatabase(dir.path());
        ASSERT_TRUE(opened) << opened.error().toStdString();
        StoredTables::SaveInfo info;
        info.savedAt = QDateTime::currentDateTime();
        ASSERT_TRUE(StoredTables(**opened).saveLog(kName, LogOfSave(1), info).ok());
    }

    int next = 2;
    int stored = 1;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        Child child;
        child.pid = ::fork();
        ASSERT_GE(child.pid, 0);
        if (child.pid == 0) {
            ::close(pipeFds[0]);
            SaveForever(dir.path(), next, pipeFds[1]);
        }
        ::close(pipeFds[1]);
        child.out = pipeFds[0];

        // Let a few saves go by, then kill the child just after it started one;
        // later rounds wait a little longer into the save.
        const int beginsToSee = 1 + round % 3;
        int begins = 0;
        bool begun = false;
        while (begins < beginsToSee && child.readRecord(&begun))
            begins += begun ? 1 : 0;
        ASSERT_EQ(begins, beginsToSee) << "the child stopped early";
        if (round >= 6)
            ::usleep(static_cast<useconds_t>((round - 5) * 700));
        ::kill(child.pid, SIGKILL);
        int status = 0;
        ::waitpid(child.pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << "exit code " << WEXITSTATUS(status);
        // Saves begun or finished before the kill may not have been read yet.
        while (child.readRecord()) { }
        ::close(pipeFds[0]);

        auto opened = OvoltaDatabase::OpenDatabase(dir.path());
        ASSERT_TRUE(opened) << opened.error().toStdString();
        EXPECT_TRUE((*opened)->sql().checkIntegrity());
        StoredTables tables(**opened);
        EXPECT_EQ(tables.names(StoredKind::DataLog), QStringList({ kName }));
        const StoredTables::LogLoad load = tables.loadLog(kName);
        ASSERT_TRUE(load.rows) << load.rows.error().toStdString();
        ASSERT_TRUE(load.catalogue.has_value());
        const float volts = load.rows->volts[0];
        for (int i = 0; i < 50; ++i) {
            ASSERT_EQ(load.rows->volts[static_cast<std::size_t>(i)], volts) << i;
            ASSERT_EQ(load.rows->amps[static_cast<std::size_t>(i)], 0.25f) << i;
        }
        EXPECT_EQ(load.rows->volts[50], LogSamples::kEndMark);
        const int found = static_cast<int>(volts);
        const int before = child.lastDone >= 0 ? child.lastDone : stored;
        EXPECT_TRUE(found == before || found == child.lastBegun)
            << "found save " << found << ", last done " << before << ", last begun "
            << child.lastBegun;
        stored = found;
        // Save numbers travel as one byte.
        next = child.lastBegun + 1 > 200 ? 2 : child.lastBegun + 1;
    }
}
