#include "app/PresetControls.h"
#include "app/PresetGrid.h"
#include "app/RunnerControls.h"
#include "app/StepGrid.h"
#include "programs/ProgramTable.h"
#include "tests/app/ProgramTabsFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct Step {
    QString volt, curr, minute, second;
    bool outputOn = true;
};

class RunnerUiTest : public ProgramTabsFixture {
protected:
    using ProgramTabsFixture::ProgramTabsFixture;

    QPushButton* runStop() { return h.find<QPushButton>(QStringLiteral("CmdRunStop")); }

    void program(const QList<Step>& steps, const QString& cycles)
    {
        for (int i = 0; i < steps.size(); ++i) {
            const Step& s = steps[i];
            etp().setCell(i + 1, 1, s.volt);
            etp().setCell(i + 1, 2, s.curr);
            etp().setCell(i + 1, 3, s.minute);
            etp().setCell(i + 1, 4, s.second);
            etp().setOutputOn(i + 1, s.outputOn);
        }
        h.find<QLineEdit>(QStringLiteral("TextCycle(1)"))->setText(cycles);
        h.w().stepGrid().check();
        h.clearSent();
    }

    void clickRun() { QTest::mouseClick(runStop(), Qt::LeftButton); }

    QStringList sevcSent() const { return h.sent().filter(QStringLiteral("SEVC")); }

    // Time passes until the next step has gone out and been answered.
    void nextStep()
    {
        const qsizetype before = sevcSent().size();
        h.timers.runUntil([&] { return sevcSent().size() > before; });
        h.settle();
    }

    // Time passes until the run ends.
    void runToEnd()
    {
        h.timers.runUntil([&] { return !h.w().session().programRunning(); });
        h.settle();
    }

    void expectControlsEnabled(bool enabled)
    {
        for (const char* name : { "FGridE", "CmdRS", "CmdSS", "CmdCT", "CmbTableName(1)",
                 "TextCycle(1)", "OutputCK(1)", "OutputCK(20)" })
            EXPECT_EQ(h.find<QWidget>(QLatin1String(name))->isEnabled(), enabled) << name;
    }
};

class RunnerUi5810Test : public RunnerUiTest {
protected:
    RunnerUi5810Test()
        : RunnerUiTest(*SupplyModel::find(QStringLiteral("5810")))
    {
    }
};

} // namespace

TEST_F(RunnerUiTest, ShortStepsGoOutInOrderAndTheRunEnds)
{
    program({ { "12.5", "1.25", "00", "05" }, { "5.0", "0.50", "01", "30", false },
                { "9.0", "1.00", "00", "00" } },
        QStringLiteral("1"));
    ASSERT_TRUE(runStop()->isEnabled());
    clickRun();
    EXPECT_EQ(runStop()->text(), QStringLiteral("Stop"));
    expectControlsEnabled(false);

    const qint64 started = h.clock.monotonicMs();
    runToEnd();
    EXPECT_EQ(sevcSent(), QStringList({ "SEVC1251251", "SEVC0500500" }));
    EXPECT_EQ(h.clock.monotonicMs() - started, 95001) << "5 s, then 1 min 30 s";
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

TEST_F(RunnerUiTest, TwoCyclesRunTheStepsTwice)
{
    program({ { "1.0", "0.10", "00", "05" }, { "2.0", "0.20", "00", "07" } }, QStringLiteral("2"));
    for (int row = 3; row <= 20; ++row)
        etp().setCell(row, 4, QStringLiteral("00"));
    h.ui().FGridE->setCurrentIndex(etp().index(6, 2));
    clickRun();
    runToEnd();
    EXPECT_EQ(
        sevcSent(), QStringList({ "SEVC0100101", "SEVC0200201", "SEVC0100101", "SEVC0200201" }));
    EXPECT_EQ(h.ui().FGridE->currentIndex().row(), 0);
    EXPECT_EQ(runStop()->text(), QStringLiteral("Run"));
}

TEST_F(RunnerUiTest, StopInTheMiddleSendsNothingMore)
{
    program({ { "1.0", "0.10", "00", "05" }, { "2.0", "0.20", "00", "05" } }, QStringLiteral("0"));
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
    program({ { "1.0", "0.10", "00", "05" }, { "2.0", "0.20", "00", "05" } }, QStringLiteral("0"));
    h.ui().CmbTableName[1]->setEditText(QStringLiteral("Ramp"));
    QAction* import = h.ui().importButton;
    QAction* remove = h.ui().deleteButton;
    ASSERT_TRUE(import->isEnabled());
    ASSERT_TRUE(remove->isEnabled());
    clickRun();
    EXPECT_FALSE(import->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_TRUE(h.ui().exportButton->isEnabled()) << "exporting reads only";
    h.ui().Tab1->setCurrentIndex(2);
    EXPECT_TRUE(import->isEnabled()) << "the preset table is not running";
    h.ui().Tab1->setCurrentIndex(1);
    EXPECT_FALSE(import->isEnabled());
    clickRun();
    EXPECT_TRUE(import->isEnabled());
    EXPECT_TRUE(remove->isEnabled());

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
    program({ { "3.0", "0.30", "00", "05" }, { "4.0", "0.40", "00", "05" } }, QStringLiteral("1"));
    const QString before = h.p().setVoltText;
    h.setFaults(QStringLiteral("garbage"));
    clickRun();
    nextStep();
    EXPECT_EQ(h.p().setVoltText, before);

    h.setFaults(QStringLiteral("none"));
    nextStep();
    EXPECT_EQ(sevcSent(), QStringList({ "SEVC0300301", "SEVC0400401" }));
    EXPECT_EQ(h.p().setVoltText, QStringLiteral("4.0"));
}

TEST_F(RunnerUiTest, RunRefusesANegativeCycleCountAndAnEmptyFirstStep)
{
    program({ { "3.0", "0.30", "00", "05" } }, QStringLiteral("-1"));
    clickRun();
    EXPECT_EQ(runStop()->text(), QStringLiteral("Run"));
    EXPECT_FALSE(h.w().session().programRunning());

    program({ { "3.0", "0.30", "00", "00" } }, QStringLiteral("1"));
    EXPECT_FALSE(runStop()->isEnabled());
    h.w().runner().runStopClick();
    EXPECT_FALSE(h.w().session().programRunning());
    h.tick();
    EXPECT_TRUE(sevcSent().isEmpty());
}

TEST_F(RunnerUiTest, UncheckedOutputBoxSendsOutputOff)
{
    program(
        { { "3.0", "0.30", "00", "05" }, { "4.0", "0.40", "00", "05" }, { "0", "0", "00", "00" } },
        QStringLiteral("1"));
    QCheckBox* second = outputBox(2);
    ASSERT_TRUE(second->isVisible());
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_FALSE(etp().outputOn(2));
    clickRun();
    runToEnd();
    EXPECT_EQ(sevcSent(), QStringList({ "SEVC0300301", "SEVC0400400" }));
}

// Values typed but never checked (the focus went straight to "Run"), or loaded
// from a stored table, must not reach the supply above its limits.
TEST_F(RunnerUiTest, OutOfRangeStepsAreClampedBeforeTheyGoOut)
{
    program({ { "99.0", "1.00", "00", "05" }, { "12", "1", "00", "00" } }, QStringLiteral("1"));
    clickRun();
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("36.0"));
    runToEnd();
    EXPECT_EQ(sevcSent(), QStringList({ "SEVC3601001" }));
}

TEST_F(RunnerUi5810Test, CurrentGoesOutInTenths)
{
    program({ { "18.0", "2.5", "00", "05" }, { "18.5", "12", "00", "05" } }, QStringLiteral("1"));
    for (int row = 3; row <= 20; ++row)
        etp().setCell(row, 4, QStringLiteral("00"));
    clickRun();
    runToEnd();
    EXPECT_EQ(sevcSent(), QStringList({ "SEVC1800251", "SEVC1801001" }));
    EXPECT_EQ(h.p().setCurrText, QStringLiteral("10.0"));
}
