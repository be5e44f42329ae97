#include "session/SupplySession.h"
#include "session/PortClaim.h"
#include "sim/SimTransport.h"
#include "tests/support/FakeTimers.h"
#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

using Outcome = SupplySession::ConnectOutcome;
const QStringList kConnection { "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM" };

SupplyFaults Faults(const char* text)
{
    return *SupplyFaults::parse(QString::fromLatin1(text), nullptr);
}

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

    Rig()
    {
        QObject::connect(
            &session, &SupplySession::connectionDone, [this](Outcome o) { outcome = o; });
    }
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
        QStringList lines;
        for (const QByteArray& line : transport.supply(port)->receivedLines())
            lines << QString::fromLatin1(line);
        return lines;
    }
    void connect(int port = 1)
    {
        session.connectTo(port);
        settle();
    }
};

struct SessionTest : ::testing::Test, Rig {
    QList<std::optional<SupplyReading>> readings;

    SessionTest()
    {
        QObject::connect(&session, &SupplySession::readingTaken,
            [this](const std::optional<SupplyReading>& r) { readings << r; });
    }
};

// Three presets of 5 V 1 A, the second one selected.
struct Presets : ProgramTable {
    Presets()
        : ProgramTable(TableKind::Ipm)
    {
        for (int k = 1; k <= 3; ++k)
            addRow({ QString(), QString::number(k), "5.0", "1.00" });
        setSelectedPreset(2);
    }
};

} // namespace

TEST_F(SessionTest, ConnectsAsThePanelDoes)
{
    const struct {
        const char* model;
        const char* faults;
        QStringList lines;
        Outcome outcome;
        int currScale;
        float ucl;
    } cases[] = {
        { "5812", "", kConnection, Outcome::Connected, 100, 5.1f },
        { "5810", "", kConnection, Outcome::Connected, 10, 10.0f },
        { "5812", "silent", { "GMAX" }, Outcome::NoSupply, 100, 0 },
        { "5812", "garbage", { "GMAX" }, Outcome::NoSupply, 100, 0 },
        { "5812", "late:200", { "GMAX" }, Outcome::NoSupply, 100, 0 },
        // No model code after three tries: the scale of the empty code.
        { "5810", "silent-after:1:3",
            { "GMAX", "GMOD", "GMOD", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM" },
            Outcome::Connected, 100, 1.0f },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.faults);
        Rig r;
        r.attach(1, c.model).setFaults(Faults(c.faults));
        r.connect();
        EXPECT_EQ(r.sent(), c.lines);
        EXPECT_EQ(r.outcome, c.outcome);
        if (c.outcome == Outcome::Connected) {
            EXPECT_EQ(r.session.state().currScale, c.currScale);
            EXPECT_EQ(r.session.state().ucl, c.ucl);
        } else {
            EXPECT_EQ(r.session.state().maxVolt, 0);
        }
    }
}

TEST_F(SessionTest, EachExchangeTakesItsFullWaitAndSequencesPause)
{
    VirtualSupply& supply = attach();
    connect();
    supply.setFaults(Faults("silent"));
    session.savePresets(Presets());
    session.end();
    settle();
    QList<qint64> times;
    for (const auto& line : supply.received())
        times << line.atMs;
    // 150 ms a transaction, 0.1 s before each "GMOD"; "PROM" waits 250 ms and
    // its four tries are 0.1 s apart; "ENDS" after the last try's pause.
    EXPECT_EQ(
        times, QList<qint64>({ 0, 250, 400, 550, 700, 850, 1000, 1150, 1500, 1850, 2200, 2550 }));
    const QString prom = "PROM050100050100050100";
    EXPECT_EQ(sent().mid(7), QStringList({ prom, prom, prom, prom, "ENDS" }));
}

TEST_F(SessionTest, SearchesFromTheHighestPortAndSkipsPortsOfOtherPrograms)
{
    const struct {
        QList<int> taken;
        int port;
        Outcome outcome;
    } cases[] = { { {}, 4, Outcome::Connected }, { { 4 }, 2, Outcome::Connected },
        { { 2, 4 }, 0, Outcome::PortInUse } };
    for (const auto& c : cases) {
        Rig r;
        r.attach(2, "5810");
        r.attach(4);
        r.transport.addEmptyPort(5);
        r.transport.setPortBusy(3, true);
        RefusingClaim claim;
        claim.taken = c.taken;
        r.session.setPortClaim(&claim);
        r.session.searchAndConnect();
        r.settle();
        EXPECT_EQ(r.outcome, c.outcome);
        if (c.port) {
            EXPECT_EQ(r.session.state().port, c.port);
        }
        // A port another program holds is sent nothing.
        for (const int port : c.taken)
            EXPECT_TRUE(r.sent(port).isEmpty());
    }
}

TEST_F(SessionTest, ASecondMissedReadingMarksTheReadingsMissing)
{
    VirtualSupply& supply = attach();
    connect();
    session.readOutput();
    settle();
    ASSERT_TRUE(readings.value(0).has_value());
    EXPECT_EQ(readings[0]->volt, "5.0");
    EXPECT_EQ(readings[0]->curr, "0.50");
    EXPECT_EQ(readings[0]->power, "2.5");
    supply.setFaults(Faults("truncate"));
    session.readOutput();
    settle();
    EXPECT_FALSE(readings.value(1).has_value());
    EXPECT_EQ(session.state().voltReading, "5.0");
    session.readOutput();
    settle();
    EXPECT_EQ(session.state().voltReading, "-1");
}

TEST_F(SessionTest, ATickServesOneKindOfRequestInOrder)
{
    const Presets ipm;
    const struct {
        const char* name;
        std::function<void(SupplySession&)> request;
        QList<QStringList> ticks;
    } cases[] = {
        { "nothing", [](SupplySession&) {}, { { "GETD" } } },
        { "typed set-points",
            [](SupplySession& s) {
                s.requestVoltage(12.5);
                s.requestCurrent(1.25);
            },
            { { "VOLT125" }, { "CURR125" }, { "GETD" } } },
        { "display set-points",
            [](SupplySession& s) {
                s.requestDisplaySetpoint(1, "2.00");
                s.requestDisplaySetpoint(0, "6.1");
            },
            { { "VOLT061", "CURR200" }, { "GETD" } } },
        { "output and presets",
            [&ipm](SupplySession& s) {
                s.requestPresetRead();
                s.requestPresetUpload(ipm);
                s.requestOutput(false);
            },
            { { "SOUT1", "PROM050100050100050100", "RUNM1", "GETM", "GETD" } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        VirtualSupply& supply = r.attach();
        r.connect();
        r.session.startPolling(); // the first tick at once
        r.settle();
        supply.clearReceived();
        c.request(r.session);
        for (const QStringList& tick : c.ticks) {
            r.timers.advance(SupplySession::kPollMs);
            r.settle();
            EXPECT_EQ(r.sent(), tick);
            supply.clearReceived();
        }
    }
}

TEST_F(SessionTest, TheSequenceInProgressFinishesAndEndsIsLast)
{
    attach();
    connect();
    session.changeLimits(30.0f, std::nullopt); // "SOVP" goes out at once
    session.readOutput(); // queued behind it: dropped by the end
    session.end();
    bool ended = false;
    QObject::connect(&session, &SupplySession::ended, [&] { ended = true; });
    settle();
    EXPECT_TRUE(ended);
    EXPECT_EQ(sent().mid(7), QStringList({ "SOVP300", "GOVP", "ENDS" }));
    EXPECT_EQ(session.state().uvl, 30.0f);
    session.readOutput();
    settle();
    EXPECT_EQ(sent().last(), "ENDS");

    // Ended before the connection was done: the connection finishes, then "ENDS".
    Rig early;
    early.attach();
    early.session.connectTo(1);
    early.session.end();
    early.settle();
    EXPECT_EQ(early.sent(), kConnection + QStringList { "ENDS" });
}

TEST_F(SessionTest, NothingIsSentWithoutASupplyOrBeyondTheLimits)
{
    attach().setFaults(Faults("silent"));
    connect();
    bool refused = false;
    session.setVoltage(5.0, [&](bool ok) { refused = !ok; });
    session.end();
    settle();
    EXPECT_TRUE(refused);
    EXPECT_EQ(sent(), QStringList { "GMAX" }); // no "VOLT", no "ENDS"

    Rig r;
    r.attach();
    r.session.connectTo(1);
    bool acknowledged = true;
    r.session.setVoltage(36.1, [&](bool ok) { acknowledged = ok; });
    r.session.setCurrent(5.2, [&](bool ok) { acknowledged = acknowledged || ok; });
    r.settle();
    EXPECT_FALSE(acknowledged);
    EXPECT_EQ(r.sent(), kConnection);
}

TEST_F(SessionTest, AProgramRunsOnThePollAndHoldsToTheLimits)
{
    VirtualSupply& supply = attach();
    connect();
    ProgramTable etp(TableKind::Etp);
    etp.addRow({ "1", "40.0", "1.00", "00", "02" }); // above the 36 V limit
    etp.addRow({ "2", "12.0", "0.50", "00", "01" });
    etp.setOutputOn(2, false);
    etp.addRow({ "3", "0.0", "0.00", "00", "00" });
    QList<SupplySession::SentStep> steps;
    QObject::connect(
        &session, &SupplySession::stepSent, [&](const SupplySession::SentStep& s) { steps << s; });
    std::optional<bool> completed;
    QObject::connect(&session, &SupplySession::programEnded, [&](bool c) { completed = c; });
    session.startPolling();
    ASSERT_TRUE(session.startProgram(etp, 2));
    timers.runUntil([&] { return completed.has_value(); });
    EXPECT_EQ(completed, true);
    QStringList sevc;
    for (const QString& line : sent())
        if (line.startsWith("SEVC"))
            sevc << line;
    EXPECT_EQ(sevc, QStringList({ "SEVC3601001", "SEVC1200500", "SEVC3601001", "SEVC1200500" }));
    ASSERT_EQ(steps.size(), 4);
    EXPECT_EQ(steps[2].cycle, 2);
    EXPECT_EQ(session.state().outputOn, false);
    EXPECT_FALSE(supply.outputOn());
    ProgramTable none(TableKind::Etp);
    none.addRow({ "1", "5.0", "1.00", "00", "00" });
    EXPECT_FALSE(session.startProgram(none, 1));
}

TEST_F(SessionTest, PresetTransfersTryAgainAsOftenAsTheyMay)
{
    ProgramTable ipm(TableKind::Ipm);
    ipm.addRow({ QString(), "1", "12.5", "1.25" });
    ipm.addRow({ QString(), "2", "5.0", "0.50" });
    ipm.addRow({ QString(), "3", "3.0", "0.10" });
    ipm.setSelectedPreset(2);
    const QString prom = "PROM125125050050030010";
    using Operation = std::function<void(SupplySession&, SupplySession::Done)>;
    const Operation save = [&](SupplySession& s, SupplySession::Done d) { s.savePresets(ipm, d); };
    const Operation upload
        = [&](SupplySession& s, SupplySession::Done d) { s.uploadAndRecall(ipm, d); };
    const Operation read = [](SupplySession& s, SupplySession::Done d) { s.readPresets(d); };
    const struct {
        const char* name;
        Operation operation;
        const char* faults;
        QStringList lines;
        bool ok;
    } cases[] = {
        { "save, third try", save, "silent-after:0:2", { prom, prom, prom }, true },
        { "save, four tries", save, "silent", { prom, prom, prom, prom }, false },
        { "upload, second try", upload, "silent-after:0:1", { prom, prom, "RUNM1" }, true },
        { "upload, three tries", upload, "silent", { prom, prom, prom }, false },
        { "read, second try", read, "silent-after:0:1", { "GETM", "GETM" }, true },
        { "read, two tries", read, "silent", { "GETM", "GETM" }, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        VirtualSupply& supply = r.attach();
        r.connect();
        supply.clearReceived();
        supply.setFaults(Faults(c.faults));
        std::optional<bool> ok;
        c.operation(r.session, [&](bool result) { ok = result; });
        r.settle();
        EXPECT_EQ(r.sent(), c.lines);
        EXPECT_EQ(ok, c.ok);
    }
}

// A stop and a new start while a step is on the line: the new run's step 1
// is still due, and is the next step sent.
TEST_F(SessionTest, AStopAndStartDuringAStepKeepTheNewRunsFirstStep)
{
    attach();
    connect();
    ProgramTable etp(TableKind::Etp);
    etp.addRow({ "1", "5.0", "1.00", "00", "05" });
    etp.addRow({ "2", "6.0", "1.00", "00", "05" });
    QList<int> rows;
    QObject::connect(&session, &SupplySession::stepSent,
        [&](const SupplySession::SentStep& s) { rows << s.row; });
    session.startPolling();
    settle();
    ASSERT_TRUE(session.startProgram(etp, 0));
    timers.runUntil([&] { return sent().last().startsWith("SEVC"); });
    session.stopProgram();
    ASSERT_TRUE(session.startProgram(etp, 0));
    settle();
    timers.runUntil([&] { return rows.size() == 2; });
    EXPECT_EQ(rows, QList<int>({ 1, 1 }));
}
