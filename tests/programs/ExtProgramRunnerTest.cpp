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

TEST(ExtProgramRunnerTest, LongStepIsWaitedInMinuteBlocksAndSentOnce)
{
    Program etp({ { "12.0", "1.5", "02", "30" } });
    Harness h;
    ASSERT_EQ(h.start(etp, "1"), Action::Started);
    h.run(etp, 10);
    EXPECT_TRUE(h.completed);
    EXPECT_EQ(h.waits, (std::vector<int> { 60000, 60000, 30000 }));
    EXPECT_EQ(h.sent, (std::vector<QString> { "1200151" }));
}

TEST(ExtProgramRunnerTest, ZeroDurationRowEndsTheProgramAndCyclesRepeat)
{
    Program etp({ { "5.0", "1.0", "00", "05" }, { "6.0", "1.0", "01", "30" },
        { "7.0", "1.0", "00", "00" } });
    Harness h;
    ASSERT_EQ(h.start(etp, "2"), Action::Started);
    EXPECT_EQ(h.runner.ExtLastRow(), 2);
    h.run(etp, 20);
    EXPECT_TRUE(h.completed);
    EXPECT_EQ(h.sentRows, (std::vector<int> { 1, 2, 1, 2 }));
    EXPECT_EQ(h.waits, (std::vector<int> { 5000, 60000, 30000, 5000, 60000, 30000 }));
    EXPECT_FALSE(h.runner.ExtProgramRunning());
    EXPECT_EQ(h.runner.ExtCycleNo(), 3);
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

TEST(ExtProgramRunnerTest, TwentyTimedRowsRunAllTwentySteps)
{
    std::vector<Step> steps(20, Step { "5.0", "1.0", "00", "03" });
    Program etp(steps);
    Harness h;
    ASSERT_EQ(h.start(etp, "1"), Action::Started);
    EXPECT_EQ(h.runner.ExtLastRow(), 20);
    h.run(etp, 30);
    EXPECT_TRUE(h.completed);
    std::vector<int> all;
    for (int k = 1; k <= 20; ++k)
        all.push_back(k);
    EXPECT_EQ(h.sentRows, all);
}

TEST(ExtProgramRunnerTest, UncheckedOutputSendsZeroLast)
{
    Program etp({ { "12.0", "1.5", "00", "05" }, { "3.0", "0.5", "00", "05", false } });
    Harness h;
    ASSERT_EQ(h.start(etp, "1"), Action::Started);
    h.run(etp, 10);
    EXPECT_EQ(h.sent, (std::vector<QString> { "1200151", "0300050" }));
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

TEST(ExtProgramRunnerTest, OddCellsNeverSendASignOrAZeroWait)
{
    // Cells from a loaded table can hold what the editor would never store.
    Program etp({ { "-5.0", "-1.0", "00", "05" }, { "5.0", "1.0", "-1", "60" } });
    Harness h;
    ASSERT_EQ(h.start(etp, "1"), Action::Started);
    h.run(etp, 10);
    ASSERT_EQ(h.sent.size(), 2u);
    EXPECT_EQ(h.sent[0], "0000001");
    for (const int wait : h.waits)
        EXPECT_GE(wait, 1);
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
