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
    TableLimits limits = kLimits;
    std::vector<QString> sent;
    std::vector<int> sentRows;
    std::vector<int> waits;
    bool completed = false;

    Action click(ProgramTable& etp, const QString& cycles = "1")
    {
        return runner.RunStopClick(1, true, cycles, etp, limits).action;
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
            if (const auto step = runner.PendingStep(etp, limits)) {
                sent.push_back(step->sevcParameter);
                sentRows.push_back(step->row);
                runner.StepSent();
            }
        }
    }
};

// What goes out and every wait: long steps wait in minute blocks and are sent
// once, a row without time ends the program, cycles repeat (0: until stopped),
// an unchecked output sends zero last; odd cells from a loaded table never send
// a sign or wait 0 ms; limits lowered during the run hold for the next step.
TEST(ExtProgramRunnerTest, RunsSendEachStepOnceAndWaitItsTime)
{
    const TableLimits lowered { 5.0f, 1.0f, "0.0", 10 };
    std::vector<QString> endless;
    for (int i = 0; i < 25; ++i)
        endless.insert(endless.end(), { "0500101", "0600101" });
    struct Case {
        const char* what;
        std::vector<Step> steps;
        const char* cycles;
        std::vector<QString> sent;
        std::vector<int> waits; // empty: not checked
        const TableLimits* lowerAfterFirst = nullptr;
        bool completes = true;
    };
    const Case cases[] = {
        { "long step", { { "12.0", "1.5", "02", "30" } }, "1", { "1200151" },
            { 60000, 60000, 30000 } },
        { "two cycles up to the row without time",
            { { "5.0", "1.0", "00", "05" }, { "6.0", "1.0", "01", "30" },
                { "7.0", "1.0", "00", "00" } },
            "2", { "0500101", "0600101", "0500101", "0600101" },
            { 5000, 60000, 30000, 5000, 60000, 30000 } },
        { "cycle 0 repeats until stopped",
            { { "5.0", "1.0", "00", "01" }, { "6.0", "1.0", "00", "02" } }, "0", endless, {},
            nullptr, false },
        { "no cycle number: without end", { { "5.0", "1.0", "00", "01" } }, "abc",
            std::vector<QString>(50, "0500101"), {}, nullptr, false },
        { "unchecked output",
            { { "12.0", "1.5", "00", "05" }, { "3.0", "0.5", "00", "05", false } }, "1",
            { "1200151", "0300050" }, {} },
        { "odd cells", { { "-5.0", "-1.0", "00", "05" }, { "5.0", "1.0", "-1", "60" } }, "1",
            { "0000001", "0500101" }, {} },
        { "twenty rows", std::vector<Step>(20, Step { "5.0", "1.0", "00", "03" }), "1",
            std::vector<QString>(20, "0500101"), {} },
        { "limits lowered during the run",
            { { "12.0", "1.5", "00", "05" }, { "12.0", "1.5", "00", "05" } }, "1",
            { "1200151", "0500101" }, {}, &lowered },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Program etp(c.steps);
        Harness h;
        ASSERT_EQ(h.click(etp, c.cycles), Action::Started);
        if (c.lowerAfterFirst) {
            h.run(etp, 1);
            h.limits = *c.lowerAfterFirst;
        }
        h.run(etp, 50);
        EXPECT_EQ(h.completed, c.completes);
        EXPECT_EQ(h.runner.ExtProgramRunning(), !c.completes);
        EXPECT_EQ(h.sent, c.sent);
        if (!c.waits.empty()) {
            EXPECT_EQ(h.waits, c.waits);
        }
        for (const int wait : h.waits)
            EXPECT_GE(wait, 1);
    }
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
    };
    for (const Case& c : cases) {
        Program etp(c.steps);
        ExtProgramRunner runner;
        EXPECT_EQ(runner.RunStopClick(c.tab, c.connected, c.cycles, etp, kLimits).action, c.action)
            << "tab " << c.tab << " cycles " << c.cycles.toStdString();
        EXPECT_FALSE(runner.ExtProgramRunning());
    }
}

// Start checks the table and starts at once; nothing is due before the first
// tick; a step gives the front panel's texts. A stop in the middle of a long
// step must not make the next run wait out the old step's remainder.
TEST(ExtProgramRunnerTest, StartStepStopAndNewRun)
{
    Program etp({ { "12,5", "1.5", "05", "00", false }, { "99.0", "1.0", "00", "05" } });
    Harness h;
    const auto click = h.runner.RunStopClick(1, true, "1", etp, kLimits);
    EXPECT_EQ(click.action, Action::Started);
    EXPECT_EQ(click.intervalMs, 1);
    EXPECT_TRUE(click.runEnabled);
    EXPECT_EQ(etp.colour(2, 1), CellColour::DarkRed);
    EXPECT_FALSE(h.runner.PendingStep(etp, kLimits).has_value());
    h.runner.ExtStepTick(etp);
    const auto step = h.runner.PendingStep(etp, kLimits);
    ASSERT_TRUE(step.has_value());
    EXPECT_EQ(step->row, 1);
    EXPECT_EQ(step->voltText, "12.5");
    EXPECT_EQ(step->currText, "1.5");
    EXPECT_FALSE(step->outputOn);
    h.runner.StepSent();
    EXPECT_EQ(h.runner.ExtRow(), 2);
    EXPECT_FALSE(h.runner.PendingStep(etp, kLimits).has_value());
    h.run(etp, 1); // a second minute block of step 1
    EXPECT_EQ(h.runner.ExtMinuteBlocks(), 2);

    EXPECT_EQ(h.click(etp), Action::Stopped);
    EXPECT_FALSE(h.runner.ExtProgramRunning());
    EXPECT_FALSE(h.runner.PendingStep(etp, kLimits).has_value());
    ASSERT_EQ(h.click(etp), Action::Started);
    EXPECT_EQ(h.runner.ExtMinuteBlocks(), 0);
    h.sentRows.clear();
    h.waits.clear();
    h.run(etp, 1);
    EXPECT_EQ(h.sentRows, (std::vector<int> { 1 }));
    EXPECT_EQ(h.waits, (std::vector<int> { 60000 }));
    EXPECT_EQ(h.runner.ExtRemainMs(), 240000);
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
