// "Run" and "Stop" on the External program tab, down to the steps the supply
// receives. Step timing, cycles, long steps and lowered limits are the
// runner's own unit tests; here each path goes through the window once.

#include "tests/app/WindowFixture.h"

namespace {

class RunnerUiTest : public WindowFixture {
protected:
    using WindowFixture::WindowFixture;

    QPushButton* runStop() { return h.ui().CmdRunStop; }

    // Steps as "V|C|M|S|on" (or off); the rows after them have no time.
    void program(const QStringList& steps, const QString& cycles)
    {
        for (int r = 1; r <= 20; ++r) {
            const QStringList s = r <= steps.size() ? steps[r - 1].split(u'|')
                                                    : QStringList { "0", "0", "00", "00", "on" };
            setEtpRow(r, s[0], s[1], s[2], s[3], s[4] == u"on");
        }
        h.ui().TextCycle[1]->setText(cycles);
        h.w().stepGrid().check();
        h.clearSent();
    }
    void clickRun() { QTest::mouseClick(runStop(), Qt::LeftButton); }
    QStringList sevcSent() const { return h.sent().filter("SEVC"); }

    // Time passes until the next step has gone out and been answered.
    void nextStep()
    {
        const qsizetype before = sevcSent().size();
        h.timers.runUntil([&] { return sevcSent().size() > before; });
        h.settle();
    }
    void runToEnd()
    {
        h.timers.runUntil([&] { return !h.w().session().programRunning(); });
        h.settle();
    }
    void expectControlsEnabled(bool enabled)
    {
        for (const char* name : { "FGridE", "CmdRS", "CmdSS", "CmdCT", "CmbTableName(1)",
                 "TextCycle(1)", "OutputCK(1)", "OutputCK(20)" })
            EXPECT_EQ(h.find<QWidget>(name)->isEnabled(), enabled) << name;
    }
};

class RunnerUi5810Test : public RunnerUiTest {
protected:
    RunnerUi5810Test()
        : RunnerUiTest(*SupplyModel::find("5810"))
    {
    }
};

} // namespace

TEST_F(RunnerUiTest, StepsGoOutInOrderForEachCycleAndTheRunEnds)
{
    program({ "12.5|1.25|00|05|on", "5.0|0.50|01|30|on" }, "2");
    QTest::mouseClick(output(2), Qt::LeftButton); // the second step switches the output off
    h.ui().FGridE->setCurrentIndex(etp().index(6, 2));
    ASSERT_TRUE(runStop()->isEnabled());
    clickRun();
    EXPECT_EQ(runStop()->text(), QStringLiteral("Stop"));
    expectControlsEnabled(false);
    const qint64 started = h.clock.monotonicMs();
    runToEnd();
    EXPECT_EQ(
        sevcSent(), QStringList({ "SEVC1251251", "SEVC0500500", "SEVC1251251", "SEVC0500500" }));
    EXPECT_EQ(h.clock.monotonicMs() - started, 190001) << "twice 5 s, then 1 min 30 s";
    EXPECT_EQ(runStop()->text(), QStringLiteral("Run"));
    EXPECT_TRUE(runStop()->isEnabled());
    expectControlsEnabled(true);
    EXPECT_EQ(h.ui().FGridE->currentIndex().row(), 0);
    // The supply keeps the last step; the front panel shows it.
    EXPECT_EQ(h.supply->setVoltDigits(), 50);
    EXPECT_FALSE(h.supply->outputOn());
    EXPECT_EQ(h.p().setVoltText, QStringLiteral("5.0"));
    EXPECT_EQ(h.p().setCurrText, QStringLiteral("0.50"));
}

TEST_F(RunnerUiTest, StopInTheMiddleSendsNothingMore)
{
    program({ "1.0|0.10|00|05|on", "2.0|0.20|00|05|on" }, "0");
    clickRun();
    nextStep();
    ASSERT_EQ(sevcSent().size(), 1);
    clickRun();
    EXPECT_EQ(runStop()->text(), QStringLiteral("Run"));
    EXPECT_FALSE(h.w().session().programRunning());
    expectControlsEnabled(true);
    h.timers.advance(20000);
    h.settle();
    EXPECT_EQ(sevcSent().size(), 1);
}

TEST_F(RunnerUiTest, NothingReplacesTheProgramWhileItRuns)
{
    program({ "1.0|0.10|00|05|on" }, "0");
    combo(1)->setEditText("Ramp");
    QAction* import = h.ui().importButton;
    QAction* remove = h.ui().deleteButton;
    clickRun();
    EXPECT_FALSE(import->isEnabled() || remove->isEnabled());
    EXPECT_TRUE(h.ui().exportButton->isEnabled()) << "exporting reads only";
    showTab(2);
    EXPECT_TRUE(import->isEnabled()) << "the preset table is not running";
    showTab(1);
    EXPECT_FALSE(import->isEnabled());
    clickRun();
    EXPECT_TRUE(import->isEnabled() && remove->isEnabled());

    // A new connection puts the default steps in: the run ends first.
    clickRun();
    ASSERT_TRUE(h.w().session().programRunning());
    h.w().ConnectSupply();
    EXPECT_FALSE(h.w().session().programRunning());
    EXPECT_EQ(runStop()->text(), QStringLiteral("Run"));
    expectControlsEnabled(true);
    h.settle();
    h.clearSent();
    h.timers.advance(20000);
    h.settle();
    EXPECT_TRUE(sevcSent().isEmpty());
}

TEST_F(RunnerUiTest, AStepWithoutAcknowledgementIsSkipped)
{
    program({ "3.0|0.30|00|05|on", "4.0|0.40|00|05|on" }, "1");
    const QString before = h.p().setVoltText;
    h.setFaults("garbage");
    clickRun();
    nextStep();
    EXPECT_EQ(h.p().setVoltText, before);
    h.setFaults("none");
    nextStep();
    EXPECT_EQ(sevcSent(), QStringList({ "SEVC0300301", "SEVC0400401" }));
    EXPECT_EQ(h.p().setVoltText, QStringLiteral("4.0"));
}

// A negative cycle count or a first step without time runs nothing; values
// typed but never checked (the focus went straight to "Run"), or loaded from a
// stored table, do not reach the supply above its limits.
TEST_F(RunnerUiTest, RunRefusesOrClampsWhatFailsItsCheck)
{
    program({ "3.0|0.30|00|05|on" }, "-1");
    clickRun();
    EXPECT_FALSE(h.w().session().programRunning());
    program({ "3.0|0.30|00|00|on" }, "1");
    EXPECT_FALSE(runStop()->isEnabled());
    h.w().runner().runStopClick();
    EXPECT_FALSE(h.w().session().programRunning());
    h.tick();
    EXPECT_TRUE(sevcSent().isEmpty());

    program({ "99.0|1.00|00|05|on", "12|1|00|00|on" }, "1");
    clickRun();
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("36.0"));
    runToEnd();
    EXPECT_EQ(sevcSent(), QStringList { "SEVC3601001" });
}

// A model with tenths of an ampere: from the cell editor, the preset tab and
// the runner, the current reaches the wire in tenths.
TEST_F(RunnerUi5810Test, CurrentInTenthsOfAnAmpere)
{
    MessageBoxes boxes;
    clickCell(h.ui().FGridE, 3, 2);
    QTest::keyClicks(h.ui().TextE, "2,46");
    EXPECT_EQ(etp().cell(3, 2), QStringLiteral("2.5"));
    QTest::keyClick(h.ui().TextE, Qt::Key_Right);
    EXPECT_EQ(etp().cell(3, 2), QStringLiteral("2.5"));
    clickCell(h.ui().FGridE, 3, 2);
    QTest::keyClicks(h.ui().TextE, "11");
    QTest::keyClick(h.ui().TextE, Qt::Key_Right);
    EXPECT_EQ(etp().cell(3, 2), QStringLiteral("10.0"));
    EXPECT_EQ(boxes.texts, QStringList { "Current must be 0.01 - 10 and 2 digit of precision ." });

    program({ "18.0|2.5|00|05|on", "18.5|12|00|05|on" }, "1");
    clickRun();
    runToEnd();
    EXPECT_EQ(sevcSent(), QStringList({ "SEVC1800251", "SEVC1801001" }));
    EXPECT_EQ(h.p().setCurrText, QStringLiteral("10.0"));

    showTab(2);
    setPresets({ "18.0|10.0", "5.0|2.5", "1.0|0.1" });
    h.clearSent();
    QTest::mouseClick(h.ui().CmdSS, Qt::LeftButton);
    h.settle();
    EXPECT_EQ(h.sent(), QStringList { "PROM180100050025010001" });
}
