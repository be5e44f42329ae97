#include "session/SupplySession.h"
#include "session/PortClaim.h"
#include "session/PortLock.h"
#include "session/ProcessLock.h"
#include "session/QtTimerSource.h"
#include "sim/SimTransport.h"
#include "tests/support/FakeTimers.h"
#include "tests/support/QtPrinting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Outcome = SupplySession::ConnectOutcome;
const QStringList kConnection { "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM" };

// A claim that refuses the ports of another program.
struct RefusingClaim : PortClaim {
    QList<int> taken;
    bool claim(int port) override { return !taken.contains(port); }
    void release() override { }
    bool heldElsewhere(int port) const override { return taken.contains(port); }
};

// A session on the in-process line, on its own fake clock.
struct Rig {
    FakeClock clock;
    FakeTimers timers { clock };
    SimTransport transport { clock };
    SupplySession session { transport, timers };
    std::optional<Outcome> outcome;
    QMetaObject::Connection watch = QObject::connect(
        &session, &SupplySession::connectionDone, [this](Outcome o) { outcome = o; });

    VirtualSupply& attach(int port = 1, const char* model = "5812")
    {
        return transport.attachSupply(port, *SupplyModel::find(QString::fromLatin1(model)));
    }
    void settle()
    {
        timers.runUntil([this] { return session.isIdle(); });
    }
    QStringList sent(int port = 1)
    {
        return QString::fromLatin1(transport.supply(port)->receivedLines().join('\n'))
            .split(u'\n', Qt::SkipEmptyParts);
    }
};

struct SessionTest : ::testing::Test, Rig { };

// Presets of {volt, curr}, the second one selected; or program steps.
struct Table : ProgramTable {
    Table(TableKind kind, const QList<QStringList>& rows)
        : ProgramTable(kind)
    {
        for (int k = 0; k < rows.size(); ++k)
            addRow(kind == TableKind::Ipm
                    ? QStringList { QString(), QString::number(k + 1) } + rows[k]
                    : rows[k]);
        if (kind == TableKind::Ipm)
            setSelectedPreset(2);
    }
};

} // namespace

// Preset transfers, then the end (after a connection under way); no answer: nothing more sent.
TEST_F(SessionTest, ConnectionsSearchesAndPresetTransfersThroughFaults)
{
    const Table ipm(TableKind::Ipm, { { "12.5", "1.25" }, { "5.0", "0.50" }, { "3.0", "0.10" } });
    const QString p = "PROM125125050050030010";
    const QStringList g { "GMAX" };
    const auto gmod
        = [&](int tries) { return g + QStringList(tries, "GMOD") + kConnection.mid(2); };
    enum { connect, save, upload, read };
    const char* m = "5812";
    // {operation, model, faults, lines sent, succeeded, current scale, UCL}
    const std::tuple<int, const char*, const char*, QStringList, bool, int, float> cases[] = {
        { connect, "5810", "", kConnection, true, 10, 10.0f },
        { connect, m, "silent", g, false, 10, 0 },
        { connect, m, "garbage", g, false, 10, 0 },
        { connect, m, "late:200", g, false, 10, 0 },
        // No model code after three tries: the scale of the empty code; asked again: tenths.
        { connect, "5810", "silent-after:1:3", gmod(3), true, 100, 1.0f },
        { connect, "5810", "silent-after:1:1", gmod(2), true, 10, 10.0f },
        { save, m, "silent-after:0:3", { p, p, p, p }, true, 100, 5.1f }, // fourth try
        { save, m, "garbage", { p, p, p, p }, false, 100, 5.1f }, // garbled
        { save, m, "silent", { p, p, p, p }, false, 100, 5.1f },
        { save, m, "late:400", { p, p }, true, 100, 5.1f }, // late reply, read in the second try
        { upload, m, "silent-after:0:1", { p, p, "RUNM1" }, true, 100, 5.1f },
        { upload, m, "silent", { p, p, p }, false, 100, 5.1f },
        { read, m, "silent-after:0:1", { "GETM", "GETM" }, true, 100, 5.1f },
        { read, m, "silent", { "GETM", "GETM" }, false, 100, 5.1f },
    };
    for (const auto& [operation, model, faults, lines, ok, currScale, ucl] : cases) {
        SCOPED_TRACE(std::to_string(operation) + " " + faults + " " + model);
        Rig r;
        VirtualSupply& supply = r.attach(1, model);
        if (operation != connect) {
            r.session.connectTo(1);
            r.settle();
        }
        supply.setFaults(*SupplyFaults::parse(QString::fromLatin1(faults), nullptr));
        std::optional<bool> done;
        const SupplySession::Done d = [&](bool result) { done = result; };
        operation == connect      ? r.session.connectTo(1)
            : operation == save   ? r.session.savePresets(ipm, d)
            : operation == upload ? r.session.uploadAndRecall(ipm, d)
                                  : r.session.readPresets(d);
        if (operation == connect && !ok) {
            r.settle();
            r.session.setVoltage(5.0, d);
        }
        r.session.end(); // a good connection is still going on: the end waits for it
        r.settle();
        EXPECT_EQ(r.sent().mid(operation == connect ? 0 : kConnection.size()),
            lines + (operation != connect || ok ? QStringList { "ENDS" } : QStringList()));
        EXPECT_EQ(done, operation == connect && ok ? std::optional<bool>() : ok);
        if (operation == save && !ok && QByteArray(faults) == "silent") {
            // 150 ms an exchange, 0.1 s before "GMOD"; "PROM" 250 ms, tries 0.1 s apart.
            QList<qint64> times;
            for (const auto& line : supply.received())
                times << line.atMs;
            EXPECT_EQ(times,
                QList<qint64>({ 0, 250, 400, 550, 700, 850, 1000, 1150, 1500, 1850, 2200, 2550 }));
        }
        const SupplyState& state = r.session.state();
        const bool reached = ok || operation != connect;
        EXPECT_EQ(std::tuple(r.outcome, state.currScale, state.ucl, state.maxVolt > 0),
            std::tuple(reached ? Outcome::Connected : Outcome::NoSupply, currScale, ucl, reached));
    }

    // From the highest port, skipping others' ports: {others' ports, port found, outcome}.
    const std::tuple<QList<int>, int, Outcome> searches[] = { { {}, 4, Outcome::Connected },
        { { 4 }, 2, Outcome::Connected }, { { 2, 4 }, 0, Outcome::PortInUse } };
    for (const auto& [taken, port, outcome] : searches) {
        Rig r;
        r.attach(2, "5810");
        r.attach(4);
        r.transport.addEmptyPort(5);
        r.transport.setPortBusy(3, true);
        RefusingClaim claim;
        claim.taken = taken;
        r.session.setPortClaim(&claim);
        r.session.searchAndConnect();
        r.settle();
        EXPECT_EQ(
            std::tuple(r.outcome, port ? r.session.state().port : 0), std::tuple(outcome, port));
        for (const int held : taken) // sent nothing
            EXPECT_TRUE(r.sent(held).isEmpty());
    }
}

// Limits refused while connecting; two missed readings mark them missing; a tick serves one kind
// of request or reads; programs hold to the limits, a restart sends step 1 next; then "ENDS".
TEST_F(SessionTest, AConnectedSessionWalk)
{
    QList<std::optional<SupplyReading>> readings;
    QObject::connect(&session, &SupplySession::readingTaken,
        [&](const std::optional<SupplyReading>& r) { readings << r; });
    QList<SupplySession::SentStep> steps;
    QObject::connect(
        &session, &SupplySession::stepSent, [&](const SupplySession::SentStep& s) { steps << s; });
    std::optional<bool> completed;
    QObject::connect(&session, &SupplySession::programEnded, [&](bool c) { completed = c; });
    bool ended = false;
    QObject::connect(&session, &SupplySession::ended, [&] { ended = true; });
    VirtualSupply& supply = attach();
    session.connectTo(1);
    bool acknowledged = true;
    session.setVoltage(36.1, [&](bool ok) { acknowledged = ok; });
    session.setCurrent(5.2, [&](bool ok) { acknowledged = acknowledged || ok; });
    settle();
    EXPECT_FALSE(acknowledged);
    EXPECT_EQ(sent(), kConnection);

    const auto read = [&](bool truncate) {
        supply.setFaults({ .truncate = truncate });
        session.readOutput();
        settle();
    };
    read(false);
    ASSERT_TRUE(readings.value(0).has_value());
    EXPECT_EQ(QStringList({ readings[0]->volt, readings[0]->curr, readings[0]->power }),
        QStringList({ "5.0", "0.50", "2.5" }));
    read(true);
    EXPECT_FALSE(readings.value(1).has_value());
    EXPECT_EQ(session.state().voltReading, "5.0");
    read(true);
    EXPECT_EQ(session.state().voltReading, "-1");
    supply.setFaults({});

    session.startPolling(); // the first tick at once
    settle();
    const auto ticks = [&](const QList<QStringList>& expected) {
        for (const QStringList& tick : expected) {
            supply.clearReceived();
            timers.advance(SupplySession::kPollMs);
            settle();
            EXPECT_EQ(sent(), tick);
        }
    };
    ticks({ { "GETD" } });
    session.requestVoltage(12.5);
    session.requestCurrent(1.25);
    ticks({ { "VOLT125" }, { "CURR125" }, { "GETD" } });
    session.requestDisplaySetpoint(1, "2.00");
    session.requestDisplaySetpoint(0, "6.1");
    ticks({ { "VOLT061", "CURR200" }, { "GETD" } });
    session.requestPresetRead();
    const Table ipm(
        TableKind::Ipm, QList<QStringList>(3, { "5.0", "1.00" })); // the request keeps it
    session.requestPresetUpload(ipm);
    session.requestOutput(false);
    ticks({ { "SOUT1", "PROM050100050100050100", "RUNM1", "GETM", "GETD" } });

    Table etp(TableKind::Etp,
        { { "1", "40.0", "1.00", "00", "02" }, // above the 36 V limit
            { "2", "12.0", "0.50", "00", "01" }, { "3", "0.0", "0.00", "00", "00" } });
    etp.setOutputOn(2, false);
    ASSERT_TRUE(session.startProgram(etp, 2));
    timers.runUntil([&] { return completed.has_value(); });
    EXPECT_EQ(completed, true);
    EXPECT_EQ(sent().filter("SEVC"),
        QStringList({ "SEVC3601001", "SEVC1200500", "SEVC3601001", "SEVC1200500" }));
    ASSERT_EQ(steps.size(), 4);
    EXPECT_EQ(steps[2].cycle, 2);
    EXPECT_EQ(std::tuple(session.state().outputOn, supply.outputOn()), std::tuple(false, false));
    Table none(TableKind::Etp, { { "1", "5.0", "1.00", "00", "00" } });
    EXPECT_FALSE(session.startProgram(none, 1));
    steps.clear();
    supply.clearReceived();
    ASSERT_TRUE(session.startProgram(etp, 0));
    timers.runUntil([&] { return !sent().filter("SEVC").isEmpty(); });
    session.stopProgram();
    ASSERT_TRUE(session.startProgram(etp, 0));
    timers.runUntil([&] { return steps.size() == 2; });
    EXPECT_EQ(std::pair(steps[0].row, steps[1].row), std::pair(1, 1));

    session.stopProgram();
    session.stopPolling();
    settle();
    supply.clearReceived();
    session.changeLimits(30.0f, std::nullopt); // "SOVP" goes out at once
    session.readOutput(); // queued behind it: dropped by the end
    session.end();
    settle();
    EXPECT_TRUE(ended);
    EXPECT_EQ(sent(), QStringList({ "SOVP300", "GOVP", "ENDS" }));
    EXPECT_EQ(session.state().uvl, 30.0f);
    session.readOutput();
    settle();
    EXPECT_EQ(sent().last(), "ENDS");
}

// Locks go by the device; a dead program's is taken over; a deep folder's key is too long a name.
TEST(PortLock, OneProgramAtATimeOnADevice)
{
    QTemporaryDir dir;
    const QString ports = dir.filePath("ports"), locks = dir.filePath("locks");
    ASSERT_TRUE(QDir().mkpath(ports) && QDir().mkpath(locks));
    QFile(dir.filePath("tty")).open(QIODevice::WriteOnly);
    QFile::link(dir.filePath("tty"), QDir(ports).filePath("Com1"));
    QFile::link(dir.filePath("tty"), QDir(ports).filePath("Com2"));
    QFile lockFile;
    QList<QByteArray> lines;
    {
        PortLock first(ports, locks);
        PortLock second(ports, locks);
        ASSERT_TRUE(first.claim(1));
        EXPECT_TRUE(first.claim(2)); // the device it holds
        EXPECT_TRUE(first.refusalFor(2).isEmpty());
        EXPECT_FALSE(second.claim(2));
        EXPECT_EQ(second.refusal(),
            QStringLiteral("Com2 (%1) is in use by test_session (pid %2)")
                .arg(QFileInfo(dir.filePath("tty")).canonicalFilePath())
                .arg(QCoreApplication::applicationPid()));
        EXPECT_EQ(second.refusalFor(2), second.refusal()); // looking alone
        EXPECT_TRUE(second.claim(3)); // another device
        first.release();
        EXPECT_TRUE(second.refusalFor(1).isEmpty());
        EXPECT_TRUE(second.claim(1));
        EXPECT_FALSE(first.claim(1)); // second moved from Com3 to it
        const QStringList files = QDir(locks).entryList(QDir::Files);
        ASSERT_EQ(files.size(), 1);
        lockFile.setFileName(QDir(locks).filePath(files[0]));
        ASSERT_TRUE(lockFile.open(QIODevice::ReadOnly));
        lines = lockFile.readAll().split('\n');
        lockFile.close();
    }
    QProcess gone; // the same lock, left by a process that has ended
    gone.start("true", {});
    ASSERT_TRUE(gone.waitForStarted());
    lines[0] = QByteArray::number(gone.processId());
    gone.waitForFinished();
    ASSERT_TRUE(lockFile.open(QIODevice::WriteOnly) && lockFile.write(lines.join('\n')) > 0);
    lockFile.close();
    PortLock next(ports, locks);
    EXPECT_TRUE(next.refusalFor(2).isEmpty());
    EXPECT_TRUE(next.claim(2));
    const QString key = QStringLiteral("/media/user/%1/Ovolta Panel")
                            .arg(QStringList(20, QStringLiteral("Bench setups")).join(u'/'));
    ProcessLock one(key, locks);
    ProcessLock another(key, locks);
    EXPECT_TRUE(one.tryLock());
    EXPECT_FALSE(another.tryLock());
    EXPECT_TRUE(another.heldByAnother());
}

// The line's real timers end each wait once: a repeating one would end the next exchange early.
TEST(QtTimerSource, FiresOnceThenRests)
{
    QtTimerSource source;
    int fired = 0;
    const auto timer = source.create([&] { ++fired; });
    timer->start(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fired > 0; }, 5000));
    QTest::qWait(30);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(timer->isActive());
}
