#include "programs/ExtProgramRunner.h"

#include "programs/TableRules.h"

#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

using Action = ExtProgramRunner::ClickAction;

const TableLimits kLimits { 36.0f, 5.0f, "0.0", 10 };

struct Step {
    QString volts, amps, minute, second;
    bool output = true;
};

struct Program : ProgramTable {
    explicit Program(const std::vector<Step>& steps)
        : ProgramTable(TableKind::Etp)
    {
        std::vector<ProgramStep> rows;
        for (const Step& s : steps) {
            rows.push_back({ QString::number(rows.size() + 1), s.volts, s.amps, s.minute, s.second,
                s.output });
        }
        setSteps(rows);
    }
};

// Drives the step timer the way the session does: each timer tick, then the
// next poll sends a due step. Records what went out and every wait.
struct Harness {
    ExtProgramRunner runner;
    std::vector<QString> sent;
    std::vector<int> sentRows;
    std::vector<int> waits;
    bool completed = false;

    Action start(ProgramTable& etp, const QString& cycles)
    {
        return runner.RunStopClick(1, true, cycles, etp, kLimits).action;
    }

    // Runs up to maxTicks timer ticks; stops at the end of the run.
    void run(const ProgramTable& etp, int maxTicks)
    {
        for (int i = 0; i < maxTicks && !completed; ++i) {
            const auto tick = runner.ExtStepTick(etp);
            if (tick.runCompleted) {
                completed = true;
                return;
            }
            waits.push_back(tick.intervalMs);
            if (const auto step = runner.PendingStep(etp, kLimits)) {
                sent.push_back(step->sevcParameter);
                sentRows.push_back(step->row);
                runner.StepSent();
            }
        }
    }
};

// What goes out and every wait: long steps wait in minute blocks and are sent
// once, a row without time ends the program, cycles repeat, an unchecked output
// sends zero last; odd cells from a loaded table never send a sign or wait 0 ms.
TEST(ExtProgramRunnerTest, RunsSendEachStepOnceAndWaitItsTime)
{
    struct Case {
        const char* what;
        std::vector<Step> steps;
        const char* cycles;
        std::vector<QString> sent;
        std::vector<int> waits; // empty: not checked
    };
    const Case cases[] = {
        { "long step", { { "12.0", "1.5", "02", "30" } }, "1", { "1200151" },
            { 60000, 60000, 30000 } },
        { "two cycles up to the row without time",
            { { "5.0", "1.0", "00", "05" }, { "6.0", "1.0", "01", "30" },
                { "7.0", "1.0", "00", "00" } },
            "2", { "0500101", "0600101", "0500101", "0600101" },
            { 5000, 60000, 30000, 5000, 60000, 30000 } },
        { "unchecked output",
            { { "12.0", "1.5", "00", "05" }, { "3.0", "0.5", "00", "05", false } }, "1",
            { "1200151", "0300050" }, {} },
        { "odd cells", { { "-5.0", "-1.0", "00", "05" }, { "5.0", "1.0", "-1", "60" } }, "1",
            { "0000001", "0500101" }, {} },
        { "twenty rows", std::vector<Step>(20, Step { "5.0", "1.0", "00", "03" }), "1",
            std::vector<QString>(20, "0500101"), {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Program etp(c.steps);
        Harness h;
        ASSERT_EQ(h.start(etp, c.cycles), Action::Started);
        h.run(etp, 40);
        EXPECT_TRUE(h.completed);
        EXPECT_FALSE(h.runner.ExtProgramRunning());
        EXPECT_EQ(h.sent, c.sent);
        if (!c.waits.empty()) {
            EXPECT_EQ(h.waits, c.waits);
        }
        for (const int wait : h.waits)
            EXPECT_GE(wait, 1);
    }
}

TEST(ExtProgramRunnerTest, CycleZeroRepeatsUntilStop)
{
    Program etp({ { "5.0", "1.0", "00", "01" }, { "6.0", "1.0", "00", "02" } });
    Harness h;
    ASSERT_EQ(h.start(etp, "0"), Action::Started);
    h.run(etp, 50);
    EXPECT_FALSE(h.completed);
    EXPECT_EQ(h.sent.size(), 50u);
    EXPECT_EQ(h.runner.ExtCycleNo(), 1);
    EXPECT_EQ(h.runner.RunStopClick(1, true, "0", etp, kLimits).action, Action::Stopped);
    EXPECT_FALSE(h.runner.ExtProgramRunning());
    EXPECT_FALSE(h.runner.ExtStepDue());
    EXPECT_FALSE(h.runner.PendingStep(etp, kLimits).has_value());
}

TEST(ExtProgramRunnerTest, RunIsRefusedOrIgnored)
{
    struct Case {
        int tab;
        bool connected;
        QString cycles;
        std::vector<Step> steps;
        Action action;
    };
    const std::vector<Step> good { { "5.0", "1.0", "00", "05" } };
    const Case cases[] = {
        { 1, true, "-1", good, Action::Refused }, { 1, true, "-12", good, Action::Refused },
        { 1, false, "1", good, Action::Nothing }, { 0, true, "1", good, Action::Nothing },
        { 2, true, "1", good, Action::Nothing }, { 1, true, "1", {}, Action::Refused }, // no steps
        { 1, true, "1", { { "5.0", "1.0", "00", "00" } }, Action::Refused }, // no first duration
        { 1, true, "abc", good, Action::Started }, // no number: without end
    };
    for (const Case& c : cases) {
        Program etp(c.steps);
        ExtProgramRunner runner;
        EXPECT_EQ(runner.RunStopClick(c.tab, c.connected, c.cycles, etp, kLimits).action, c.action)
            << "tab " << c.tab << " cycles " << c.cycles.toStdString();
        EXPECT_EQ(runner.ExtProgramRunning(), c.action == Action::Started);
    }
}

TEST(ExtProgramRunnerTest, StartRunsTheTableCheckAndStartsAtOnce)
{
    Program etp({ { "99.0", "1.0", "00", "05" } });
    ExtProgramRunner runner;
    const auto click = runner.RunStopClick(1, true, "1", etp, kLimits);
    EXPECT_EQ(click.intervalMs, 1);
    EXPECT_TRUE(click.runEnabled);
    EXPECT_EQ(etp.colour(1, 1), CellColour::DarkRed);
    EXPECT_EQ(runner.ExtRow(), 1);
    EXPECT_EQ(runner.ExtCycleNo(), 1);
}

TEST(ExtProgramRunnerTest, AStepGivesTheFrontPanelTextsAndTheNextRowIsUp)
{
    Program etp({ { "12,5", "1.5", "00", "05", false } });
    ExtProgramRunner runner;
    runner.RunStopClick(1, true, "1", etp, kLimits);
    runner.ExtStepTick(etp);
    const auto step = runner.PendingStep(etp, kLimits);
    ASSERT_TRUE(step.has_value());
    EXPECT_EQ(step->voltText, "12.5");
    EXPECT_EQ(step->currText, "1.5");
    EXPECT_FALSE(step->outputOn);
    runner.StepSent();
    EXPECT_EQ(runner.ExtRow(), 2);
    EXPECT_FALSE(runner.PendingStep(etp, kLimits).has_value());
}

TEST(ExtProgramRunnerTest, NewRunAfterStopInALongStepSendsStepOneAtOnce)
{
    Program etp({ { "5.0", "1.0", "05", "00" }, { "6.0", "1.0", "00", "05" } });
    Harness h;
    ASSERT_EQ(h.start(etp, "1"), Action::Started);
    h.run(etp, 2); // two minute blocks into step 1
    EXPECT_EQ(h.runner.ExtMinuteBlocks(), 2);
    EXPECT_EQ(h.runner.RunStopClick(1, true, "1", etp, kLimits).action, Action::Stopped);
    ASSERT_EQ(h.start(etp, "1"), Action::Started);
    EXPECT_EQ(h.runner.ExtMinuteBlocks(), 0);
    EXPECT_EQ(h.runner.ExtRemainMs(), 0);
    h.sentRows.clear();
    h.waits.clear();
    h.run(etp, 1);
    EXPECT_EQ(h.sentRows, (std::vector<int> { 1 }));
    EXPECT_EQ(h.waits, (std::vector<int> { 60000 }));
    EXPECT_EQ(h.runner.ExtRemainMs(), 240000);
}

TEST(ExtProgramRunnerTest, NoStepIsDueBeforeTheFirstTick)
{
    Program etp({ { "5.0", "1.0", "00", "05" } });
    ExtProgramRunner runner;
    runner.RunStopClick(1, true, "1", etp, kLimits);
    EXPECT_FALSE(runner.PendingStep(etp, kLimits).has_value());
    runner.ExtStepTick(etp);
    EXPECT_TRUE(runner.ExtStepDue());
    ASSERT_TRUE(runner.PendingStep(etp, kLimits).has_value());
    EXPECT_EQ(runner.PendingStep(etp, kLimits)->row, 1);
}

TEST(ExtProgramRunnerTest, LastRowStopsBeforeTheFirstRowWithNoTime)
{
    struct Case {
        std::vector<Step> steps;
        int lastRow;
    };
    const Case cases[] = {
        { {}, 0 },
        { { { "1", "1", "00", "00" } }, 0 },
        { { { "1", "1", "00", "01" }, { "1", "1", "01", "00" } }, 2 },
        { { { "1", "1", "00", "01" }, { "1", "1", "", "" }, { "1", "1", "00", "09" } }, 1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtProgramRunner::FindLastRow(Program(c.steps)), c.lastRow);
}

} // namespace
