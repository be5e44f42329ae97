#include "app/PresetControls.h"
#include "app/PresetGrid.h"
#include "app/RunnerControls.h"
#include "app/StepGrid.h"
#include "programs/ProgramTable.h"
#include "tests/app/MessageBoxes.h"
#include "tests/app/ProgramTabsFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

class ProgramTabsTest : public ProgramTabsFixture {
protected:
    // The box lies over the Output On cell of its step.
    void expectOverOutputCell(int k)
    {
        QCheckBox* box = outputBox(k);
        const QRect cell = h.ui().FGridE->visualRect(etp().index(k - 1, 5));
        EXPECT_EQ(box->parentWidget(), h.ui().FGridE->viewport());
        EXPECT_TRUE(cell.contains(box->geometry().center())) << k;
    }
};

} // namespace

TEST_F(ProgramTabsTest, ConnectingFillsTwentyDefaultStepsWithTheirOutputsOn)
{
    ASSERT_EQ(etp().dataRows(), 20);
    EXPECT_EQ(etp().cell(20, 0), QStringLiteral("20"));
    EXPECT_EQ(etp().cell(7, 1), QStringLiteral("0.0"));
    EXPECT_EQ(etp().cell(7, 2), QStringLiteral("0.00"));
    for (int k = 1; k <= 20; ++k)
        EXPECT_TRUE(outputBox(k)->isChecked()) << k;
    EXPECT_FALSE(outputBox(0)->isVisible());
    // Drawn once: by the box, not by the grid as well.
    EXPECT_FALSE(etp().data(etp().index(0, 5), Qt::CheckStateRole).isValid());
    EXPECT_FALSE(etp().flags(etp().index(0, 5)) & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(outputBox(1)->isVisible());
    expectOverOutputCell(1);
    expectOverOutputCell(2);
}

TEST_F(ProgramTabsTest, OutputBoxesAndTheTableAgree)
{
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
        { "click", 3, [&](int k) { QTest::mouseClick(outputBox(k), Qt::LeftButton); } },
        { "Space in the editor", 5,
            [&](int k) {
                const QRect cell = grid->visualRect(etp().index(k - 1, 3));
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
                ASSERT_TRUE(editor->hasFocus());
                const QString text = editor->text();
                QTest::keyClick(editor, Qt::Key_Space);
                EXPECT_EQ(text, editor->text());
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
        EXPECT_FALSE(outputBox(c.step)->isChecked());
        EXPECT_TRUE(etp().outputOn(c.step - 1));
        c.toggle(c.step);
        EXPECT_TRUE(etp().outputOn(c.step));
    }
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(u'|').toStdString();
    QTest::mouseClick(outputBox(3), Qt::LeftButton);
    EXPECT_FALSE(etp().outputOn(3));

    etp().setOutputOn(4, false);
    EXPECT_FALSE(outputBox(4)->isChecked());
    etp().setAllOutputsOn();
    EXPECT_TRUE(outputBox(3)->isChecked());
    EXPECT_TRUE(outputBox(4)->isChecked());
}

TEST_F(ProgramTabsTest, OutputBoxesFollowTheGridWhenItScrollsAndResizes)
{
    QTableView* grid = h.ui().FGridE;
    grid->verticalHeader()->setDefaultSectionSize(grid->viewport()->height() / 4);
    ASSERT_TRUE(outputBox(1)->isVisible());
    EXPECT_FALSE(outputBox(20)->isVisible());

    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    const int top = grid->rowAt(0) + 1;
    ASSERT_GT(top, 1);
    EXPECT_FALSE(outputBox(top - 1)->isVisible());
    EXPECT_FALSE(outputBox(1)->isVisible());
    EXPECT_TRUE(outputBox(top)->isVisible());
    EXPECT_TRUE(outputBox(20)->isVisible());
    expectOverOutputCell(top);
    expectOverOutputCell(20);

    grid->setColumnWidth(2, grid->columnWidth(2) + 40);
    expectOverOutputCell(top);

    // Not on the other tabs.
    h.ui().Tab1->setCurrentIndex(2);
    for (int k = 1; k <= 20; ++k)
        EXPECT_FALSE(outputBox(k)->isVisible()) << k;
}

TEST_F(ProgramTabsTest, ClearTableKeepsTheStepsAndTurnsEveryOutputOn)
{
    etp().setCell(3, 1, QStringLiteral("12.0"));
    etp().setCell(3, 4, QStringLiteral("30"));
    QTest::mouseClick(outputBox(2), Qt::LeftButton);
    h.ui().CmbTableName[1]->setEditText(QStringLiteral("Burn in"));
    h.ui().TextTableD[1]->setText(QStringLiteral("night run"));

    QTest::mouseClick(h.find<QPushButton>(QStringLiteral("CmdCT")), Qt::LeftButton);
    ASSERT_EQ(etp().dataRows(), 20);
    for (int row = 1; row <= 20; ++row) {
        EXPECT_EQ(etp().cell(row, 0), QString::number(row));
        EXPECT_EQ(etp().cell(row, 1), QStringLiteral("00.0"));
        EXPECT_EQ(etp().cell(row, 2), QStringLiteral("0.00"));
        EXPECT_EQ(etp().cell(row, 3), QStringLiteral("00"));
        EXPECT_EQ(etp().cell(row, 4), QStringLiteral("00"));
        EXPECT_TRUE(outputBox(row)->isChecked()) << row;
    }
    EXPECT_EQ(h.ui().CmbTableName[1]->currentText(), QStringLiteral("(Untitle)"));
    EXPECT_TRUE(h.ui().TextTableD[1]->text().isEmpty());
    EXPECT_FALSE(h.ui().CmdRunStop->isEnabled());
}

TEST_F(ProgramTabsTest, ClearTableOnThePresetTab)
{
    h.ui().Tab1->setCurrentIndex(2);
    h.ui().CmbTableName[2]->setEditText(QStringLiteral("Bench"));
    QTest::mouseClick(h.find<QPushButton>(QStringLiteral("CmdCT")), Qt::LeftButton);
    ASSERT_EQ(ipm().dataRows(), 3);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(ipm().cell(k, 1), QString::number(k));
        EXPECT_EQ(ipm().cell(k, 2), QStringLiteral("00.0"));
        EXPECT_EQ(ipm().cell(k, 3), QStringLiteral("0.00"));
        EXPECT_FALSE(h.find<QRadioButton>(QStringLiteral("Option1(%1)").arg(k))->isEnabled()) << k;
    }
    EXPECT_EQ(h.ui().CmbTableName[2]->currentText(), QStringLiteral("(Untitle)"));
    // The timed program is left alone.
    EXPECT_EQ(h.ui().CmbTableName[1]->currentText(), QStringLiteral("(Untitle)"));
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("0.0"));
}

TEST_F(ProgramTabsTest, CycleBoxTakesAWholeNumberUpTo999)
{
    QLineEdit* cycle = h.find<QLineEdit>(QStringLiteral("TextCycle(1)"));
    struct Case {
        QString typed;
        QString shown;
    };
    const Case cases[] = {
        { "12.7", "13" },
        { "5000", "999" },
        { "abc", "0" },
        { "", "0" },
        { "-1", "-1" },
        { "7x", "7" },
        { "3,6", "3" },
        { "999.4", "999" },
    };
    for (const Case& c : cases) {
        cycle->setText(QString());
        QTest::keyClicks(cycle, c.typed);
        QTest::keyClick(cycle, Qt::Key_Return);
        EXPECT_EQ(cycle->text(), c.shown) << c.typed.toStdString();
        EXPECT_EQ(cycle->cursorPosition(), c.shown.size());

        // Leaving the box does the same.
        cycle->setFocus();
        cycle->setText(c.typed);
        h.ui().TextSetVC[0]->setFocus();
        EXPECT_EQ(cycle->text(), c.shown) << c.typed.toStdString();
        cycle->setFocus(Qt::TabFocusReason);
        QCoreApplication::sendPostedEvents(cycle);
        EXPECT_EQ(cycle->selectedText(), c.shown);
    }
}

TEST_F(ProgramTabsTest, RunningProgramKeepsTheSetCaptionOnThePresetTab)
{
    etp().setCell(1, 4, QStringLiteral("05"));
    h.w().stepGrid().check();
    QTest::mouseClick(h.ui().CmdRunStop, Qt::LeftButton);
    h.ui().Tab1->setCurrentIndex(2);
    EXPECT_EQ(h.ui().CmdRunStop->text(), QStringLiteral("Set"));
    EXPECT_FALSE(h.ui().CmdRunStop->isEnabled());

    // The run ends while the preset tab shows: the button stays "Set".
    h.timers.runUntil([&] { return !h.w().session().programRunning(); });
    ASSERT_FALSE(h.w().session().programRunning());
    EXPECT_EQ(h.ui().CmdRunStop->text(), QStringLiteral("Set"));
    h.ui().Tab1->setCurrentIndex(1);
    EXPECT_EQ(h.ui().CmdRunStop->text(), QStringLiteral("Run"));
}

TEST_F(ProgramTabsTest, NoSupplyLeavesTheTablesEmpty)
{
    PanelHarness none(false);
    ASSERT_TRUE(none.start());
    none.ui().TimerPVC->stop();
    EXPECT_EQ(none.w().tableE().dataRows(), 0);
    EXPECT_EQ(none.w().tableM().dataRows(), 0);
    EXPECT_FALSE(none.ui().CmdRunStop->isEnabled());
    none.w().runner().runStopClick();
    EXPECT_FALSE(none.w().session().programRunning());
    none.w().stepGrid().showEditor();
    EXPECT_TRUE(none.ui().TextE->isHidden());
}
