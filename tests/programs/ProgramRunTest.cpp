#include "programs/ExtProgramRunner.h"
#include "programs/PresetTransfer.h"

#include "tests/programs/Tables.h"
#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

using Action = ExtProgramRunner::ClickAction;
const TableLimits kLimits { 36.0f, 5.0f, "0.0", 10 };

// Drives the runner as the session does: each timer tick, then the poll sends a
// due step. The trace holds every wait, every line sent and "end".
struct Runner {
    ExtProgramRunner runner;
    TableLimits limits = kLimits;
    QStringList trace;

    void ticks(const ProgramTable& etp, int n, const TableLimits* lowerAfterSend = nullptr)
    {
        for (int i = 0; i < n; ++i) {
            const auto tick = runner.ExtStepTick(etp);
            if (tick.runCompleted) {
                trace << "end";
                return;
            }
            trace << QString::number(tick.intervalMs);
            if (const auto step = runner.PendingStep(etp, limits)) {
                trace << step->sevcParameter;
                runner.StepSent();
                if (lowerAfterSend)
                    limits = *lowerAfterSend;
            }
        }
    }
};

QString Repeat(const QString& s, int n, const char* apart = " ")
{
    return QStringList(n, s).join(apart);
}

// Long steps wait in minute blocks and are sent once; a row without time ends the
// program; cycles repeat (0 or no number: until stopped); odd cells from a loaded
// table never send a sign or wait 0 ms; limits lowered during the run hold for
// the next step.
TEST(ExtProgramRunnerTest, RunSendsEachStepOnceAndWaitsItsTime)
{
    const TableLimits lowered { 5.0f, 1.0f, "0.0", 10 };
    struct Case {
        QString steps;
        const char* cycles;
        QString trace;
        int ticks = 25;
        bool lower = false;
        int tab = 1;
        bool connected = true;
    };
    const Case cases[] = {
        { "12.0 1.5 02 30", "1", "60000 1200151 60000 30000 end" },
        { "5.0 1.0 00 05; 6.0 1.0 01 30; 7.0 1.0 00 00", "2",
            Repeat("5000 0500101 60000 0600101 30000", 2) + " end" },
        { "5.0 1.0 00 01; 9 1  ; 5.0 1.0 00 01", "1", "1000 0500101 end" }, // empty time cells
        { "5.0 1.0 00 01; 6.0 1.0 00 02", "0", Repeat("1000 0500101 2000 0600101", 3), 6 },
        { "5.0 1.0 00 01", "abc", Repeat("1000 0500101", 4), 4 },
        { "12.0 1.5 00 05; 3.0 0.5 00 05 off", "1", "5000 1200151 5000 0300050 end" },
        { "-5.0 -1.0 00 05; 5.0 1.0 -1 60", "1", "5000 0000001 1 0500101 end" },
        { Repeat("5.0 1.0 00 01", 20, "; "), "1", Repeat("1000 0500101", 20) + " end" },
        { "12.0 1.5 00 05; 5.0 1.0 00 05", "1", "5000 1200151 5000 0500101 end", 25, true },
        { "5.0 1.0 00 05", "-1", "refused" },
        { "", "1", "refused" },
        { "5.0 1.0 00 00", "1", "refused" },
        { "5.0 1.0 00 05", "1", "ignored", 25, false, 1, false },
        { "5.0 1.0 00 05", "1", "ignored", 25, false, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps.toStdString() + " x " + c.cycles);
        StepsOf etp(c.steps);
        Runner run;
        const auto action = run.runner.RunStopClick(c.tab, c.connected, c.cycles, etp, kLimits);
        if (action.action == Action::Started)
            run.ticks(etp, c.ticks, c.lower ? &lowered : nullptr);
        else
            run.trace << (action.action == Action::Refused ? "refused" : "ignored");
        EXPECT_EQ(run.trace.join(' '), c.trace);
        EXPECT_EQ(run.runner.ExtProgramRunning(),
            action.action == Action::Started && !c.trace.endsWith("end"));
    }
}

// A stop in the middle of a long step must not make the next run wait out the
// old step's remainder. A step gives the front panel's texts.
TEST(ExtProgramRunnerTest, StopInALongStepAndRunAgain)
{
    StepsOf etp("12,5 1.5 05 00 off; 99.0 1.0 00 05");
    Runner run;
    EXPECT_EQ(run.runner.RunStopClick(1, true, "1", etp, kLimits).intervalMs, 1);
    EXPECT_FALSE(run.runner.PendingStep(etp, kLimits).has_value()); // nothing before the tick
    run.runner.ExtStepTick(etp);
    const auto step = run.runner.PendingStep(etp, kLimits);
    ASSERT_TRUE(step.has_value());
    EXPECT_EQ(step->voltText + ' ' + step->currText, "12.5 1.5");
    EXPECT_FALSE(step->outputOn);
    run.runner.StepSent();
    run.ticks(etp, 1);
    EXPECT_EQ(run.runner.ExtMinuteBlocks(), 2);
    EXPECT_EQ(run.runner.RunStopClick(1, true, "1", etp, kLimits).action, Action::Stopped);
    EXPECT_FALSE(run.runner.PendingStep(etp, kLimits).has_value());
    ASSERT_EQ(run.runner.RunStopClick(1, true, "1", etp, kLimits).action, Action::Started);
    run.trace.clear();
    run.ticks(etp, 1);
    EXPECT_EQ(run.trace.join(' '), "60000 1250150");
    EXPECT_EQ(run.runner.ExtRemainMs(), 240000);
}

// The presets go out as one "PROM" line only when all three exist, each kept to
// the limit rule; a "GETM" reply fills the table and selects the last preset
// matching the set-points (none matching: the selection stays); a bad reply
// leaves the table untouched.
TEST(PresetTransferTest, PresetsToAndFromTheSupply)
{
    const TableLimits hundredths { 36.0f, 5.0f, "0.00", 100 };
    const TableLimits tenths { 18.0f, 10.0f, "0.0", 10 };
    const QString getm = "125125,050050,000000,OK\r";
    struct Case {
        QString presets;
        const TableLimits& limits;
        std::optional<QString> prom;
        QString reply;
        const char *volts, *amps;
        int selected;
        QString after;
    };
    const Case cases[] = {
        { "12.5 1.25; 5.0 0.50; 0.0 0.00", hundredths, "125125050050000000", getm, "5.0", "0.50", 2,
            "12.5 1.25; 5.0 0.50; 0.0 0.00" },
        { "40 6; -5 -1; abc ", hundredths, "360500000000000000", "050050,120010,050050,OK", "5.0",
            "0.5", 3, "5.0 0.50; 12.0 0.10; 5.0 0.50" },
        { "18.0 10.0; 1.0 0.1; 2,5 0,5", tenths, "180100010001025005", getm, "9.9", "0.50", 1,
            "12.5 12.5; 5.0 5.0; 0.0 0.0" },
        { "1.0 1.00; 2.0 1.00", hundredths, std::nullopt, "", "0", "0", 1, "1.0 1.00; 2.0 1.00" },
        { "1.0 1.00", hundredths, std::nullopt, "125125,050050,000000,O", "0", "0", 1, "1.0 1.00" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply.toStdString());
        PresetsOf ipm(c.presets);
        ipm.setSelectedPreset(1);
        EXPECT_EQ(PresetTransfer::PromParameter(ipm, c.limits), c.prom);
        EXPECT_EQ(PresetTransfer::FillFromGetm(ipm, c.reply, c.volts, c.amps, c.limits),
            c.reply.contains("OK"));
        QStringList after;
        for (const PresetRow& p : ipm.presets())
            after << p.voltage + ' ' + p.current;
        EXPECT_EQ(after.join("; "), c.after);
        EXPECT_EQ(ipm.selectedPreset(), c.selected);
        EXPECT_EQ(ipm.cell(1, 0), "");
    }
}

TEST(PresetTransferTest, ReadSetAndRecall)
{
    using PresetTransfer::ReadRequest;
    const ReadRequest byTab[] = { ReadRequest::FocusButton, ReadRequest::FocusButton,
        ReadRequest::RaiseReadPending, ReadRequest::Nothing };
    for (int tab = 0; tab < 4; ++tab)
        EXPECT_EQ(PresetTransfer::ReadFroPsClick(tab), byTab[tab]) << tab;
    PresetsOf ipm("18.0 10.0; 1 0,5");
    EXPECT_TRUE(PresetTransfer::SetRequestsUpload(true, ipm));
    EXPECT_FALSE(PresetTransfer::SetRequestsUpload(false, ipm));
    EXPECT_FALSE(PresetTransfer::SetRequestsUpload(true, ProgramTable(TableKind::Ipm)));
    const auto sp = PresetTransfer::RecalledSetpoints(ipm, 2, { 18.0f, 10.0f, "0.0", 10 });
    EXPECT_EQ(sp.volt + ' ' + sp.curr, "1.0 0.5");
    EXPECT_EQ(PresetTransfer::RecallParameter(ipm), std::nullopt);
    ipm.setSelectedPreset(1);
    EXPECT_EQ(PresetTransfer::RecallParameter(ipm), "0");
}

} // namespace
