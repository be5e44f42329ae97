// The tabs and the program grids' own controls: Output On boxes, "Clear Table", cycle box.

#include "datalog/ChartWidget.h"
#include "tests/app/WindowFixture.h"

#include <QTabBar>

namespace {

class TabsTest : public WindowFixture {
protected:
    using WindowFixture::WindowFixture;
    QPushButton* runStop() { return h.ui().CmdRunStop; }
    bool shown(const char* name) { return h.find<QWidget>(name)->isVisible(); }
    void clickTab(int tab)
    {
        QTabBar* bar = h.ui().Tab1->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    }
};

} // namespace

// Tab 0 out of reach; the settings tab only imports; the chart draws what came while hidden.
TEST_F(TabsTest, EveryTabSwitchShowsThatTabsControls)
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
}

// During a run "Stop" stays usable, and "Set" and the cycle box do not.
TEST_F(TabsTest, RunAndSetFollowTheirTablesWhenTheTabShows)
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
    EXPECT_EQ(runStop()->text(), QStringLiteral("Set"));
    EXPECT_FALSE(runStop()->isEnabled() || selector(2)->isEnabled());
    ipm().setCell(2, 2, QStringLiteral("05.0"));
    clickTab(1);
    QTest::mouseClick(runStop(), Qt::LeftButton);
    ASSERT_TRUE(h.w().session().programRunning());
    clickTab(2);
    EXPECT_TRUE(runStop()->text() == "Set" && !runStop()->isEnabled());
    clickTab(3);
    EXPECT_EQ(runStop()->text(), QStringLiteral("Set")) << "the chart tab leaves the button alone";
    clickTab(1);
    EXPECT_TRUE(runStop()->text() == "Stop" && runStop()->isEnabled());
    EXPECT_FALSE(h.ui().TextCycle[1]->isEnabled() || shown("CmdRS"));
    clickTab(2); // the run ends while the preset tab shows
    h.timers.runUntil([&] { return !h.w().session().programRunning(); });
    EXPECT_EQ(runStop()->text(), QStringLiteral("Set"));
    clickTab(1);
    EXPECT_TRUE(runStop()->text() == "Run" && h.ui().TextCycle[1]->isEnabled());
    clickTab(2);
    EXPECT_TRUE(runStop()->isEnabled()) << "Set works again after the run";
    ipm().cutToHeader();
    clickTab(3);
    clickTab(2);
    EXPECT_FALSE(runStop()->isEnabled() || selector(2)->isVisible());
}

// By click, Space in the editor (which keeps its text) or on the cell; through scrolling.
TEST_F(TabsTest, OutputBoxesAndTheTableAgree)
{
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
    EXPECT_TRUE(output(20)->isVisible() && !output(1)->isVisible());
    const QRect cell = grid->visualRect(etp().index(19, 5));
    EXPECT_TRUE(cell.contains(output(20)->geometry().center()));
    showTab(2);
    EXPECT_FALSE(output(20)->isVisible());
}

// Its own tab only; the cycle box takes a whole number on Return and when left.
TEST_F(TabsTest, ClearTableAndTheCycleBox)
{
    etp().setCell(3, 1, "12.0");
    QTest::mouseClick(output(2), Qt::LeftButton);
    combo(1)->setEditText("Burn in");
    description(1)->setText("night run");
    combo(2)->setEditText("Bench");
    QTest::mouseClick(h.ui().CmdCT, Qt::LeftButton);
    const QStringList rows = etpRows();
    ASSERT_EQ(rows.size(), 20);
    EXPECT_EQ(rows[1] + rows[19], "2|00.0|0.00|00|00|on20|00.0|0.00|00|00|on");
    EXPECT_EQ(combo(1)->currentText() + description(1)->text(), "(Untitle)");
    EXPECT_FALSE(runStop()->isEnabled());
    EXPECT_EQ(combo(2)->currentText(), QStringLiteral("Bench"));
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

class NoSupplyTest : public TabsTest {
protected:
    NoSupplyTest()
        : TabsTest(SupplyModel::standard(), false)
    {
    }
};

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
    EXPECT_FALSE(h.w().session().programRunning());
    EXPECT_TRUE(h.sent().isEmpty());
    setPresets({ "05.0|1.0" }); // the untitled preset table is empty without a supply
    save(2, "p");
    typeDescription(2, "text");
    choose(2, "(Untitle)");
    EXPECT_EQ(ipm().rows() + description(2)->text().size(), 1);
    for (int k = 1; k <= 9; ++k)
        EXPECT_TRUE(selector(k)->isHidden()) << k;
}
