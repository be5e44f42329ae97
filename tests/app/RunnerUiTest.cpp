// "Run", "Stop" and the preset tab's buttons down to the lines the supply receives.

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

class PresetsUiTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        showTab(2);
        h.clearSent();
    }
    // The three presets as "V|C" each, checked; nothing sent yet.
    void presets(const QStringList& rows)
    {
        for (int k = 1; k <= 3; ++k) {
            ipm().setCell(k, 2, rows[k - 1].section(u'|', 0, 0));
            ipm().setCell(k, 3, rows[k - 1].section(u'|', 1, 1));
        }
        h.w().presetGrid().check();
        h.clearSent();
    }
    // Clicks a button; the lines sent until the next tick's end (or only what the click sent).
    QStringList click(QWidget* button, bool tick = true)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        tick ? h.tick() : h.settle();
        return h.sent();
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

// Clamped, on this tab only, after the line's current exchange; 5 V / 1 A is preset 1.
TEST_F(PresetsUiTest, SaveSendsTheThreePresetsWithinTheLimits)
{
    presets({ "5.0|1.00", "0.5|1.00", "15.0|0.00" });
    EXPECT_FALSE(selector(2)->isEnabled() || selector(3)->isEnabled());
    presets({ "99.0|1.00", "5.0|1.00", "12.0|1.00" });
    EXPECT_EQ(click(h.ui().CmdSS, false), QStringList { "PROM360100050100120100" });
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("36.0"));
    EXPECT_EQ(h.supply->presets()[0], (VirtualSupply::Preset { 360, 100 }));
    showTab(1);
    h.clearSent();
    EXPECT_EQ(click(h.ui().CmdSS, false), QStringList());
    EXPECT_TRUE(h.ui().CmdSS->hasFocus());
    showTab(2);
    presets({ "5.0|1.00", "12.0|2.00", "15.0|1.50" });
    h.startTick(); // the poll's "GETD" waits for its reply
    h.w().presetControls().saveClick();
    EXPECT_EQ(h.sent(), QStringList { "GETD" });
    h.settle();
    EXPECT_EQ(h.sent(), QStringList({ "GETD", "PROM050100120200150150" }));
}

// By button (a comma typed in the open editor sent with its decimals) or double click on a
// selector cell; "Read Fro PS" failing twice empties the table.
TEST_F(PresetsUiTest, SetRecallsTheSelectedPreset)
{
    for (const int k : { 3, 2 }) {
        QTest::mouseClick(selector(k), Qt::LeftButton);
        EXPECT_EQ(ipm().selectedPreset(), k);
    }
    clickCell(h.ui().FGridM, 2, 3);
    QTest::keyClicks(h.ui().TextM, "1,25");
    EXPECT_EQ(click(h.ui().CmdRunStop), QStringList({ "PROM050100120125150150", "RUNM1", "GETD" }));
    EXPECT_EQ(h.p().setVoltText + h.p().setCurrText, QStringLiteral("12.01.25"));
    h.clearSent();
    ipm().setSelectedPreset(0);
    h.w().presetControls().setClick();
    h.tick();
    EXPECT_EQ(h.sent(), QStringList({ "PROM050100120125150150", "GETD" }));

    QLineEdit* editor = h.ui().TextM;
    for (const int column : { 1, 2 }) {
        clickCell(h.ui().FGridM, 3, column);
        h.tick();
        h.clearSent();
        // The second click lands on the editor now lying over the cell.
        QTest::mouseDClick(editor, Qt::LeftButton, {}, editor->rect().center());
        h.tick();
        EXPECT_EQ(h.sent().filter("PROM").size(), column == 1 ? 1 : 0) << column;
    }
    EXPECT_TRUE(editor->isVisible());
    h.clearSent();
    h.setFaults("garbage");
    EXPECT_EQ(click(h.ui().CmdRS).filter("GETM").size(), 2);
    EXPECT_EQ(ipm().dataRows(), 0);
    EXPECT_FALSE(selector(1)->isVisible());
}
