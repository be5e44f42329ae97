// The program grids' own controls: the Output On boxes and preset selectors
// over their cells, "Clear Table", the cycle box, and the tabs without a supply.

#include "tests/app/WindowFixture.h"

namespace {

class ProgramTabsTest : public WindowFixture {
protected:
    using WindowFixture::WindowFixture;

    // Each box shown lies over its own cell and inside the grid; a box whose
    // cell is out of sight is hidden rather than drawn over other controls.
    // The number of boxes shown.
    int expectOverCells(QTableView* grid, ProgramTable& table, bool outputs)
    {
        const QRect viewport = grid->viewport()->rect();
        int shown = 0;
        for (int k = 1; k <= (outputs ? 20 : 3); ++k) {
            QWidget* box = outputs ? static_cast<QWidget*>(output(k)) : selector(k);
            const QRect cell = grid->visualRect(table.index(k - 1, outputs ? 5 : 0));
            if (!box->isVisible()) {
                EXPECT_FALSE(viewport.contains(cell)) << "a box in full view is missing " << k;
                continue;
            }
            ++shown;
            EXPECT_EQ(box->parentWidget(), grid->viewport());
            EXPECT_TRUE(cell.contains(box->geometry().center())) << k;
            EXPECT_TRUE(viewport.contains(box->geometry())) << k;
        }
        return shown;
    }
};

class NoSupplyTest : public ProgramTabsTest {
protected:
    NoSupplyTest()
        : ProgramTabsTest(SupplyModel::standard(), false)
    {
    }
};

} // namespace

TEST_F(ProgramTabsTest, OutputBoxesAndTheTableAgree)
{
    ASSERT_EQ(etp().dataRows(), 20);
    for (int k = 1; k <= 20; ++k)
        EXPECT_TRUE(output(k)->isChecked()) << k;
    // Drawn once: by the box, not by the grid as well.
    EXPECT_FALSE(etp().data(etp().index(0, 5), Qt::CheckStateRole).isValid());

    // A click on a step's box, or Space on its row: in the cell editor (which
    // keeps its text) or on the grid's Output On cell.
    QTableView* grid = h.ui().FGridE;
    QLineEdit* editor = h.ui().TextE;
    MessageBoxes boxes;
    const struct {
        const char* way;
        int step;
        std::function<void(int)> toggle;
    } cases[] = {
        { "click", 3, [&](int k) { QTest::mouseClick(output(k), Qt::LeftButton); } },
        { "Space in the editor", 5,
            [&](int k) {
                clickCell(grid, k, 3);
                ASSERT_TRUE(editor->hasFocus());
                const QString text = editor->text();
                QTest::keyClick(editor, Qt::Key_Space);
                EXPECT_EQ(editor->text(), text);
            } },
        { "Space on the grid", 6,
            [&](int k) {
                grid->setCurrentIndex(etp().index(k - 1, 5));
                ASSERT_TRUE(grid->hasFocus());
                QTest::keyClick(grid, Qt::Key_Space);
            } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        c.toggle(c.step);
        EXPECT_FALSE(etp().outputOn(c.step));
        EXPECT_FALSE(output(c.step)->isChecked());
        EXPECT_TRUE(etp().outputOn(c.step - 1));
        c.toggle(c.step);
        EXPECT_TRUE(etp().outputOn(c.step));
    }
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(u'|').toStdString();
    etp().setOutputOn(4, false);
    EXPECT_FALSE(output(4)->isChecked());
}

TEST_F(ProgramTabsTest, BoxesFollowTheGridWhenItScrollsAndResizes)
{
    QTableView* grid = h.ui().FGridE;
    const int rowHeight = grid->verticalHeader()->defaultSectionSize();
    grid->verticalHeader()->setDefaultSectionSize(grid->viewport()->height() / 4);
    ASSERT_TRUE(output(1)->isVisible());
    EXPECT_FALSE(output(20)->isVisible());
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    ASSERT_GT(grid->rowAt(0), 0);
    EXPECT_TRUE(output(20)->isVisible());
    EXPECT_GT(expectOverCells(grid, etp(), true), 0);
    grid->setColumnWidth(2, grid->columnWidth(2) + 40);
    expectOverCells(grid, etp(), true);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    for (const QSize& size : { QSize(1400, 900), QSize(300, 200), QSize(1600, 1000) }) {
        SCOPED_TRACE(size.width());
        showTab(1);
        h.w().resize(size);
        const int shown = expectOverCells(grid, etp(), true);
        showTab(2);
        h.w().resize(size + QSize(10, 10));
        expectOverCells(h.ui().FGridM, ipm(), false);
        for (int k = 1; k <= 20; ++k)
            EXPECT_FALSE(output(k)->isVisible()) << "not on the other tabs " << k;
        if (size.width() == 1600) {
            EXPECT_EQ(shown, 20) << "the large window shows every step and its box";
        }
    }
}

TEST_F(ProgramTabsTest, ClearTableEmptiesOnlyItsOwnTab)
{
    etp().setCell(3, 1, "12.0");
    etp().setCell(3, 4, "30");
    QTest::mouseClick(output(2), Qt::LeftButton);
    combo(1)->setEditText("Burn in");
    description(1)->setText("night run");
    combo(2)->setEditText("Bench");
    QTest::mouseClick(h.ui().CmdCT, Qt::LeftButton);
    ASSERT_EQ(etp().dataRows(), 20);
    EXPECT_EQ(etpRows()[2], QStringLiteral("3|00.0|0.00|00|00|on"));
    EXPECT_EQ(etpRows()[19], QStringLiteral("20|00.0|0.00|00|00|on"));
    EXPECT_TRUE(output(2)->isChecked());
    EXPECT_EQ(combo(1)->currentText(), QStringLiteral("(Untitle)"));
    EXPECT_TRUE(description(1)->text().isEmpty());
    EXPECT_FALSE(h.ui().CmdRunStop->isEnabled());
    EXPECT_EQ(combo(2)->currentText(), QStringLiteral("Bench")) << "the preset tab is left alone";

    etp().setCell(1, 1, "5.0");
    showTab(2);
    QTest::mouseClick(h.ui().CmdCT, Qt::LeftButton);
    EXPECT_EQ(presetRows(), QStringList({ "1|00.0|0.00", "2|00.0|0.00", "3|00.0|0.00" }));
    for (int k = 1; k <= 3; ++k)
        EXPECT_FALSE(selector(k)->isEnabled()) << k;
    EXPECT_EQ(combo(2)->currentText(), QStringLiteral("(Untitle)"));
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("5.0")) << "the timed program is left alone";
}

// Return or leaving the box gives the whole number; the rules' own test has
// the rest of the texts ("3,6" and "999.4" are only here).
TEST_F(ProgramTabsTest, CycleBoxTakesAWholeNumberUpTo999)
{
    QLineEdit* cycle = h.ui().TextCycle[1];
    const std::pair<QString, QString> cases[]
        = { { "12.7", "13" }, { "3,6", "3" }, { "999.4", "999" } };
    for (const auto& [typed, shown] : cases) {
        SCOPED_TRACE(typed.toStdString());
        cycle->setText(QString());
        QTest::keyClicks(cycle, typed);
        QTest::keyClick(cycle, Qt::Key_Return);
        EXPECT_EQ(cycle->text(), shown);
        EXPECT_EQ(cycle->cursorPosition(), shown.size());
        cycle->setFocus();
        cycle->setText(typed);
        h.ui().TextSetVC[0]->setFocus();
        EXPECT_EQ(cycle->text(), shown);
        cycle->setFocus(Qt::TabFocusReason);
        QCoreApplication::sendPostedEvents(cycle);
        EXPECT_EQ(cycle->selectedText(), shown);
    }
}

// Without a supply the grids start empty, and rows loaded from a file or the
// database can be neither run nor set.
TEST_F(NoSupplyTest, NothingCanRunOrBeSet)
{
    EXPECT_EQ(etp().dataRows(), 0);
    EXPECT_EQ(ipm().dataRows(), 0);
    h.w().stepGrid().showEditor();
    EXPECT_TRUE(h.ui().TextE->isHidden());
    etp().addRow({ "1", "5.0", "1.0", "00", "10" });
    ipm().setRowCount(4);
    ipm().setSelectedPreset(1);
    for (const int tab : { 2, 1, 3, 2, 1 }) {
        SCOPED_TRACE(tab);
        showTab(tab);
        EXPECT_FALSE(h.ui().CmdRunStop->isEnabled());
        for (int k = 1; k <= 3 && tab == 2; ++k)
            EXPECT_FALSE(selector(k)->isEnabled()) << k;
    }
    h.w().runner().runStopClick();
    h.w().presetControls().setClick();
    h.tick();
    EXPECT_FALSE(h.w().session().programRunning());
    EXPECT_TRUE(h.sent().isEmpty());
}
