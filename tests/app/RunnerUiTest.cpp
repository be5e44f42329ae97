// "Run", "Stop" and the preset tab's buttons down to the lines the supply receives; the tabs and
// the program grids' own controls: Output On boxes, "Clear Table", cycle box.

#include "datalog/ChartWidget.h"
#include "tests/app/WindowFixture.h"

#include <QTabBar>

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
    bool running() { return h.w().session().programRunning(); }
    void runUntil(const std::function<bool()>& done) { h.timers.runUntil(done), h.settle(); }
    void runToEnd()
    {
        runUntil([this] { return !running(); });
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
        for (const char* name : { "CmdRunStop", "FGridE", "CmdRS", "CmdSS", "CmdCT",
                 "CmbTableName(1)", "TextCycle(1)", "OutputCK(1)", "OutputCK(20)" })
            state += h.find<QWidget>(name)->isEnabled() ? u'1' : u'0';
        return state;
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
        h.clearSent();
        QTest::mouseClick(button, Qt::LeftButton);
        tick ? h.tick() : h.settle();
        return h.sent();
    }
    bool shown(const char* name) { return h.find<QWidget>(name)->isVisible(); }
    void clickTab(int tab)
    {
        QTabBar* bar = h.ui().Tab1->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    }
};

class RunnerUi5810Test : public RunnerUiTest {
protected:
    RunnerUi5810Test()
        : RunnerUiTest(*SupplyModel::find("5810"))
    {
    }
};

class NoSupplyTest : public RunnerUiTest {
protected:
    NoSupplyTest()
        : RunnerUiTest(SupplyModel::standard(), false)
    {
    }
};

} // namespace

TEST_F(RunnerUiTest, StepsGoOutInOrderUntilTheEndOrAStopAndBadOnesNever)
{
    program({ "12.5|1.25|00|05|on", "5.0|0.50|01|30|off" }, "2");
    h.ui().FGridE->setCurrentIndex(etp().index(6, 2));
    clickRun();
    EXPECT_EQ(controls(), QStringLiteral("Stop100000000"));
    const qint64 started = h.clock.monotonicMs();
    runToEnd();
    EXPECT_EQ(
        sevcSent(), QStringList({ "SEVC1251251", "SEVC0500500", "SEVC1251251", "SEVC0500500" }));
    EXPECT_EQ(h.clock.monotonicMs() - started, 190001) << "twice 5 s, then 1 min 30 s";
    EXPECT_EQ(controls(), QStringLiteral("Run111111111"));
    EXPECT_EQ(h.ui().FGridE->currentIndex().row(), 0);
    // The supply keeps the last step; the front panel shows it.
    EXPECT_TRUE(h.supply->setVoltDigits() == 50 && !h.supply->outputOn());
    EXPECT_EQ(h.p().setVoltText + h.p().setCurrText, QStringLiteral("5.00.50"));
    // Values never checked (focus straight to "Run", a stored table) never go above the limits.
    program({ "3.0|0.30|00|05|on", "4.0|0.40|00|05|on" }, "1");
    const QString before = h.p().setVoltText;
    h.setFaults("garbage");
    clickRun();
    nextStep();
    EXPECT_EQ(h.p().setVoltText, before);
    h.setFaults("none");
    runToEnd();
    EXPECT_EQ(
        sevcSent() << h.p().setVoltText, QStringList({ "SEVC0300301", "SEVC0400401", "4.0" }));

    program({ "3.0|0.30|00|05|on" }, "-1");
    clickRun();
    EXPECT_FALSE(running());
    program({ "3.0|0.30|00|00|on" }, "1");
    EXPECT_FALSE(runStop()->isEnabled());
    h.w().runner().runStopClick();
    h.tick();
    EXPECT_TRUE(!running() && sevcSent().isEmpty());
    program({ "99.0|1.00|00|05|on", "12|1|00|00|on" }, "1");
    clickRun();
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("36.0"));
    runToEnd();
    EXPECT_EQ(sevcSent(), QStringList { "SEVC3601001" });
    // Nothing more is sent; while it runs nothing can replace the program.
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
        EXPECT_EQ(controls(), QStringLiteral("Run111111111"));
        EXPECT_TRUE(!running() && import->isEnabled() && remove->isEnabled());
        h.settle();
        h.clearSent();
        h.timers.advance(20000);
        h.settle();
        EXPECT_TRUE(sevcSent().isEmpty());
    }
}

// Steps and the front panel in tenths of an ampere.
TEST_F(RunnerUi5810Test, CurrentInTenthsOfAnAmpere)
{
    program({ "18.0|2.5|00|05|on", "18.5|12|00|05|on" }, "1");
    clickRun();
    runToEnd();
    EXPECT_EQ(sevcSent(), QStringList({ "SEVC1800251", "SEVC1801001" }));
    EXPECT_EQ(h.p().setCurrText, QStringLiteral("10.0"));
}

// Save: clamped, on this tab only, after the line's current exchange; 5 V / 1 A is preset 1.
TEST_F(RunnerUiTest, SaveAndSetSendThePresetsWithinTheLimits)
{
    showTab(2);
    presets({ "5.0|1.00", "0.5|1.00", "15.0|0.00" });
    EXPECT_FALSE(selector(2)->isEnabled() || selector(3)->isEnabled());
    presets({ "99.0|1.00", "5.0|1.00", "12.0|1.00" });
    EXPECT_EQ(click(h.ui().CmdSS, false), QStringList { "PROM360100050100120100" });
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("36.0"));
    EXPECT_EQ(h.supply->presets()[0], (VirtualSupply::Preset { 360, 100 }));
    showTab(1);
    EXPECT_EQ(click(h.ui().CmdSS, false), QStringList());
    EXPECT_TRUE(h.ui().CmdSS->hasFocus());
    showTab(2);
    presets({ "5.0|1.00", "12.0|2.00", "15.0|1.50" });
    h.startTick(); // the poll's "GETD" waits for its reply
    h.w().presetControls().saveClick();
    EXPECT_EQ(h.sent(), QStringList { "GETD" });
    h.settle();
    EXPECT_EQ(h.sent(), QStringList({ "GETD", "PROM050100120200150150" }));
    // Set: by button (a comma typed in the open editor sent with its decimals) or double click on
    // a selector cell; "Read Fro PS" failing twice empties the table.
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
    h.setFaults("garbage");
    EXPECT_EQ(click(h.ui().CmdRS).filter("GETM").size(), 2);
    EXPECT_FALSE(ipm().dataRows() || selector(1)->isVisible() || runStop()->isEnabled());
}

// Tab 0 out of reach; the settings tab only imports; the chart draws what came while hidden.
TEST_F(RunnerUiTest, EveryTabSwitchShowsThatTabsControlsAndOutputBoxesFollowTheTable)
{
    typeName(1, "Named"); // so that "Save" and "Delete" are enabled
    for (const int tab : { 4, 1, 0 }) {
        clickTab(tab);
        const int now = tab == 0 ? 1 : tab;
        ASSERT_EQ(h.ui().Tab1->currentIndex(), now);
        EXPECT_FALSE(shown("FGridP") || shown("TextCycle(0)"));
        for (QAction* button : h.ui().storageButtons())
            EXPECT_EQ(button->isEnabled(), now != 4 || button == h.ui().importButton) << tab;
        EXPECT_EQ(combo(1)->isVisible() + description(1)->isEnabled(), now == 1 ? 2 : 0) << tab;
    }
    h.ui().Tab1->tabBar()->setFocus();
    QTest::keyClick(h.ui().Tab1->tabBar(), Qt::Key_Left);
    EXPECT_EQ(h.ui().Tab1->currentIndex(), 1);
    QTest::keyClick(h.ui().Tab1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(h.ui().Tab1->currentIndex(), 4) << "backwards from tab 1 wraps past tab 0";
    QTest::keyClick(h.ui().Tab1, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(h.ui().Tab1->currentIndex(), 1) << "forwards from the last tab wraps past tab 0";
    clickTab(3);
    clickTab(1);
    recordLog(20, 12);
    h.w().DrawChart();
    ASSERT_TRUE(h.ui().PP->traces().empty());
    clickTab(3);
    EXPECT_FALSE(h.ui().PP->traces().volts.empty());
    // Output On: by click, Space in the editor (which keeps its text) or on the cell; scrolled.
    clickTab(1);
    EXPECT_FALSE(etp().data(etp().index(0, 5), Qt::CheckStateRole).isValid()) << "drawn once";
    QTableView* grid = h.ui().FGridE;
    QLineEdit* editor = h.ui().TextE;
    MessageBoxes boxes;
    const std::function<void(int)> toggles[] = {
        [&](int k) { QTest::mouseClick(output(k), Qt::LeftButton); },
        [&](int k) {
            clickCell(grid, k, 3);
            const QString text = editor->text();
            QTest::keyClick(editor, Qt::Key_Space);
            EXPECT_EQ(editor->text(), text);
        },
        [&](int k) {
            grid->setCurrentIndex(etp().index(k - 1, 5));
            QTest::keyClick(grid, Qt::Key_Space);
        },
    };
    for (int k = 3; k <= 5; ++k) {
        toggles[k - 3](k);
        EXPECT_TRUE(!etp().outputOn(k) && !output(k)->isChecked() && etp().outputOn(k - 1)) << k;
        toggles[k - 3](k);
        EXPECT_TRUE(etp().outputOn(k)) << k;
    }
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(u'|').toStdString();
    etp().setOutputOn(4, false);
    EXPECT_FALSE(output(4)->isChecked());

    grid->verticalHeader()->setDefaultSectionSize(grid->viewport()->height() / 4);
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    EXPECT_TRUE(output(20)->isVisible() && !output(1)->isVisible()
        && grid->visualRect(etp().index(19, 5)).contains(output(20)->geometry().center()));
    showTab(2);
    EXPECT_FALSE(output(20)->isVisible());
}

// During a run "Stop" stays usable, and "Set" and the cycle box do not.
TEST_F(RunnerUiTest, RunSetAndClearTableFollowTheirTablesWhenTheTabShows)
{
    for (const auto& [second, enabled] : { std::pair { "00", false }, { "05", true } }) {
        clickTab(2);
        setEtpRow(1, "5.0", "1.00", "00", second);
        clickTab(1);
        EXPECT_TRUE(runStop()->text() == "Run" && runStop()->isEnabled() == enabled) << second;
    }
    clickTab(2);
    QTest::mouseClick(selector(2), Qt::LeftButton);
    ASSERT_TRUE(runStop()->isEnabled());
    clickTab(3);
    ipm().setCell(2, 2, QString::number(h.p().uvl + 1.0f, 'f', 1));
    clickTab(2);
    EXPECT_TRUE(runStop()->text() == "Set" && !runStop()->isEnabled() && !selector(2)->isEnabled());
    ipm().setCell(2, 2, QStringLiteral("05.0"));
    clickTab(1);
    QTest::mouseClick(runStop(), Qt::LeftButton);
    ASSERT_TRUE(running());
    clickTab(2);
    EXPECT_TRUE(runStop()->text() == "Set" && !runStop()->isEnabled());
    clickTab(3);
    EXPECT_EQ(runStop()->text(), QStringLiteral("Set")) << "the chart tab leaves the button alone";
    clickTab(1);
    EXPECT_TRUE(runStop()->text() == "Stop" && runStop()->isEnabled());
    EXPECT_FALSE(h.ui().TextCycle[1]->isEnabled() || shown("CmdRS"));
    clickTab(2); // the run ends while the preset tab shows
    h.timers.runUntil([&] { return !running(); });
    EXPECT_EQ(runStop()->text(), QStringLiteral("Set"));
    clickTab(1);
    EXPECT_TRUE(runStop()->text() == "Run" && h.ui().TextCycle[1]->isEnabled());
    clickTab(2);
    EXPECT_TRUE(runStop()->isEnabled()) << "Set works again after the run";
    // Its own tab only; the cycle box takes a whole number on Return and when left.
    clickTab(1);
    etp().setCell(3, 1, "12.0");
    QTest::mouseClick(output(2), Qt::LeftButton);
    combo(1)->setEditText("Burn in");
    description(1)->setText("night run");
    combo(2)->setEditText("Bench");
    QTest::mouseClick(h.ui().CmdCT, Qt::LeftButton);
    const QStringList rows = etpRows();
    ASSERT_EQ(rows.size(), 20);
    EXPECT_EQ(rows[1] + rows[19], "2|00.0|0.00|00|00|on20|00.0|0.00|00|00|on");
    EXPECT_EQ(combo(1)->currentText() + description(1)->text() + combo(2)->currentText(),
        "(Untitle)Bench");
    EXPECT_FALSE(runStop()->isEnabled());
    etp().setCell(1, 1, "5.0");
    showTab(2);
    QTest::mouseClick(h.ui().CmdCT, Qt::LeftButton);
    EXPECT_EQ(presetRows(), QStringList({ "1|00.0|0.00", "2|00.0|0.00", "3|00.0|0.00" }));
    EXPECT_FALSE(selector(1)->isEnabled());
    EXPECT_EQ(combo(2)->currentText() + etp().cell(1, 1), QStringLiteral("(Untitle)5.0"));

    QLineEdit* cycle = h.ui().TextCycle[1];
    showTab(1);
    Retype(cycle, "12.7");
    QTest::keyClick(cycle, Qt::Key_Return);
    EXPECT_EQ(cycle->text() + QString::number(cycle->cursorPosition()), "132");
    cycle->setText("999.4");
    h.ui().TextSetVC[0]->setFocus();
    EXPECT_EQ(cycle->text(), QStringLiteral("999"));
    cycle->setFocus(Qt::TabFocusReason);
    QCoreApplication::sendPostedEvents(cycle);
    EXPECT_EQ(cycle->selectedText(), QStringLiteral("999"));
}

// Rows loaded from a file or the database can be neither run nor set.
TEST_F(NoSupplyTest, NothingCanRunOrBeSet)
{
    EXPECT_EQ(etp().dataRows() + ipm().dataRows(), 0);
    h.w().stepGrid().showEditor();
    EXPECT_TRUE(h.ui().TextE->isHidden());
    etp().addRow({ "1", "5.0", "1.0", "00", "10" });
    ipm().setRowCount(4);
    ipm().setSelectedPreset(1);
    for (const int tab : { 2, 1, 3, 2, 1 }) {
        showTab(tab);
        EXPECT_FALSE(runStop()->isEnabled() || (tab == 2 && selector(1)->isEnabled())) << tab;
    }
    h.w().runner().runStopClick();
    h.w().presetControls().setClick();
    h.tick();
    EXPECT_TRUE(!running() && h.sent().isEmpty());
    setPresets({ "05.0|1.0" }); // the untitled preset table is empty without a supply
    save(2, "p");
    typeDescription(2, "text");
    choose(2, "(Untitle)");
    EXPECT_EQ(ipm().rows() + description(2)->text().size(), 1);
    for (int k = 1; k <= 9; ++k)
        EXPECT_TRUE(selector(k)->isHidden()) << k;
}
