#pragma once

#include "tests/support/QtPrinting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// The real programs, each in its own process, on a pseudo-terminal.

inline QString Binary(const char* name)
{
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../%1").arg(QLatin1String(name)));
}

// A line of the simulator's trace file: "<ms> <line>".
struct TraceLine {
    qint64 ms;
    QString command;
};

inline QList<TraceLine> ReadTrace(const QString& path)
{
    QList<TraceLine> lines;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const qsizetype space = raw.indexOf(' ');
        if (space > 0)
            lines.append({ raw.left(space).toLongLong(), QString::fromLatin1(raw.mid(space + 1)) });
    }
    return lines;
}

inline QStringList Commands(const QList<TraceLine>& trace)
{
    QStringList out;
    for (const TraceLine& t : trace)
        out << t.command;
    return out;
}

// ovolta-sim on Com1 of a fresh data folder, and the panel and the CLI started
// on that folder with no display and a runtime folder of their own (where
// their locks live).
class SimFixture : public ::testing::Test {
protected:
    explicit SimFixture(QStringList simOptions)
        : m_simOptions(std::move(simOptions))
    {
    }

    void SetUp() override
    {
        for (const char* program : { "ovolta-sim", "ovolta-panel", "ovolta-cli" }) {
            if (!QFileInfo::exists(Binary(program)))
                GTEST_SKIP() << "programs not built";
        }
        ASSERT_TRUE(dir.isValid());
        QDir().mkpath(dir.filePath("run"));
        QFile::setPermissions(
            dir.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        sim.start(Binary("ovolta-sim"),
            QStringList { "--data-dir", dir.path(), "--port", "1", "--trace", tracePath() }
                + m_simOptions);
        ASSERT_TRUE(sim.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return QFileInfo(dir.filePath("ports/Com1")).isSymLink(); }, 10000));
    }

    void TearDown() override
    {
        for (QProcess* p : { &panel, &cli, &other, &sim }) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                p->waitForFinished(5000);
            }
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

    QString tracePath() const { return dir.filePath("trace.txt"); }
    QList<TraceLine> trace() const { return ReadTrace(tracePath()); }
    QStringList commands() const { return Commands(trace()); }
    // Waits until the trace holds the command at least count times.
    bool waitForCommand(const QString& command, qsizetype count = 1) const
    {
        return QTest::qWaitFor([&] { return commands().count(command) >= count; }, 20000);
    }

    QTemporaryDir dir;
    QProcess sim;
    QProcess panel;
    QProcess cli;
    QProcess other;

private:
    QStringList m_simOptions;
};
