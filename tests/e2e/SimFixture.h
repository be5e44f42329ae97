#pragma once

#include "tests/support/SimProcess.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// ovolta-sim on Com1 of a fresh data folder, tracing to trace.txt; the panel and the CLI start
// on that folder with no display and a runtime folder of their own (where their locks live).
class SimFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* program : { "ovolta-sim", "ovolta-panel", "ovolta-cli" }) {
            if (!QFileInfo::exists(Binary(program)))
                GTEST_SKIP() << "programs not built";
        }
        ASSERT_TRUE(QDir(dir.path()).mkdir("run"));
        QFile::setPermissions(
            dir.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(
            sim.startOn(dir.path(), 1, QStringList { "--trace", dir.filePath("trace.txt") }));
    }

    void TearDown() override
    {
        for (QProcess* p : { &panel, &cli, &other }) {
            p->terminate();
            p->waitForFinished(5000);
        }
    }

    // Starts ovolta-panel or ovolta-cli on the data folder (this one unless given).
    void start(QProcess& process, const char* program, const QStringList& args,
        const QString& dataDir = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", dir.filePath("run"));
        process.setProcessEnvironment(env);
        process.start(Binary(program),
            QStringList { "--data-dir", dataDir.isEmpty() ? dir.path() : dataDir } + args);
        ASSERT_TRUE(process.waitForStarted(5000));
    }

    // Signals the process and expects it to end the normal way, "ENDS" the last line sent.
    void endsWith(QProcess& process, int number)
    {
        Signal(process, number);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(commands().last(), "ENDS");
    }

    QList<TraceLine> trace() const { return ReadTrace(dir.filePath("trace.txt")); }
    QStringList commands() const { return Commands(trace()); }
    // Waits until the trace holds the command at least count times.
    bool waitForCommand(const QString& command, qsizetype count = 1) const
    {
        return QTest::qWaitFor([&] { return commands().count(command) >= count; }, 20000);
    }

    QTemporaryDir dir;
    SimProcess sim;
    QProcess panel, cli, other;
};
