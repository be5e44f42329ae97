// "Run" and "Stop" on the External program tab down to the steps the supply receives.

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
            const QStringList s = steps.value(r - 1, "0|0|00|00|on").split(u'|');
            setEtpRow(r, s[0], s[1], s[2], s[3], s[4] == u"on");
        }
        h.ui().TextCycle[1]->setText(cycles);
        h.w().stepGrid().check();
        h.clearSent();
    }
    void clickRun() { QTest::mouseClick(runStop(), Qt::LeftButton); }
    QStringList sevcSent() const { return h.sent().filter("SEVC"); }
    void runUntil(const std::function<bool()>& done)
    {
        h.timers.runUntil(done);
        h.settle();
    }
    void runToEnd()
    {
        runUntil([&] { return !h.w().session().programRunning(); });
    }
    void nextStep()
    {
        const qsizetype before = sevcSent().size();
        runUntil([&] { return sevcSent().size() > before; });
    }
    // The controls that could change the program, enabled or not; "Run" or "Stop".
    QString controls()
    {
        QString state = runStop()->text();
        for (const char* name : { "FGridE", "CmdRS", "CmdSS", "CmdCT", "CmbTableName(1)",
                 "TextCycle(1)", "OutputCK(1)", "OutputCK(20)" })
            state += h.find<QWidget>(name)->isEnabled() ? u'1' : u'0';
        return state;
    }
};

} // namespace

TEST_F(RunnerUiTest, StepsGoOutInOrderForEachCycleAndTheRunEnds)
{
    program({ "12.5|1.25|00|05|on", "5.0|0.50|01|30|off" }, "2");
    h.ui().FGridE->setCurrentIndex(etp().index(6, 2));
    clickRun();
    EXPECT_EQ(controls(), QStringLiteral("Stop00000000"));
    const qint64 started = h.clock.monotonicMs();
    runToEnd();
    EXPECT_EQ(
        sevcSent(), QStringList({ "SEVC1251251", "SEVC0500500", "SEVC1251251", "SEVC0500500" }));
    EXPECT_EQ(h.clock.monotonicMs() - started, 190001) << "twice 5 s, then 1 min 30 s";
    EXPECT_EQ(controls(), QStringLiteral("Run11111111"));
    EXPECT_TRUE(runStop()->isEnabled());
    EXPECT_EQ(h.ui().FGridE->currentIndex().row(), 0);
    // The supply keeps the last step; the front panel shows it.
    EXPECT_TRUE(h.supply->setVoltDigits() == 50 && !h.supply->outputOn());
    EXPECT_EQ(h.p().setVoltText + h.p().setCurrText, QStringLiteral("5.00.50"));
}

// Nothing more is sent; while it runs nothing can replace the program.
TEST_F(RunnerUiTest, StopOrANewConnectionEndsTheRun)
{
    QAction* import = h.ui().importButton;
    QAction* remove = h.ui().deleteButton;
    combo(1)->setEditText("Ramp");
    for (const bool reconnect : { false, true }) {
        SCOPED_TRACE(reconnect);
        program({ "1.0|0.10|00|05|on", "2.0|0.20|00|05|on" }, "0");
        clickRun();
        EXPECT_FALSE(import->isEnabled() || remove->isEnabled());
        EXPECT_TRUE(h.ui().exportButton->isEnabled()) << "exporting reads only";
        showTab(2);
        EXPECT_TRUE(import->isEnabled()) << "the preset table is not running";
        showTab(1);
        nextStep();
        reconnect ? h.w().ConnectSupply() : clickRun();
        EXPECT_FALSE(h.w().session().programRunning());
        EXPECT_EQ(controls(), QStringLiteral("Run11111111"));
        EXPECT_TRUE(import->isEnabled() && remove->isEnabled());
        h.settle();
        h.clearSent();
        h.timers.advance(20000);
        h.settle();
        EXPECT_TRUE(sevcSent().isEmpty());
    }
}

// Values never checked (focus straight to "Run", a stored table) never go above the limits.
TEST_F(RunnerUiTest, RunSkipsRefusesOrClampsWhatFailsItsCheck)
{
    program({ "3.0|0.30|00|05|on", "4.0|0.40|00|05|on" }, "1");
    const QString before = h.p().setVoltText;
    h.setFaults("garbage");
    clickRun();
    nextStep();
    EXPECT_EQ(h.p().setVoltText, before);
    h.setFaults("none");
    runToEnd();
    EXPECT_EQ(sevcSent(), QStringList({ "SEVC0300301", "SEVC0400401" }));
    EXPECT_EQ(h.p().setVoltText, QStringLiteral("4.0"));

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

class RunnerUi5810Test : public RunnerUiTest {
protected:
    RunnerUi5810Test()
        : RunnerUiTest(*SupplyModel::find("5810"))
    {
    }
};

// Steps and the front panel in tenths of an ampere.
TEST_F(RunnerUi5810Test, CurrentInTenthsOfAnAmpere)
{
    program({ "18.0|2.5|00|05|on", "18.5|12|00|05|on" }, "1");
    clickRun();
    runToEnd();
    EXPECT_EQ(sevcSent(), QStringList({ "SEVC1800251", "SEVC1801001" }));
    EXPECT_EQ(h.p().setCurrText, QStringLiteral("10.0"));
}
