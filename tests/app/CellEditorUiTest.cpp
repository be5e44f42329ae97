// The cell editors on the program grids: keys, focus, scrolling, message boxes. What each text
// becomes is the cell editor rules' test.

#include "tests/app/WindowFixture.h"

namespace {

class CellEditorUiTest : public WindowFixture {
protected:
    QLineEdit* textE() { return h.ui().TextE; }
    QTableView* gridE() { return h.ui().FGridE; }
    QTableView* gridM() { return h.ui().FGridM; }
    // Opens the editor on a cell and types over its selected text.
    void type(QTableView* grid, int row, int column, const QString& text)
    {
        clickCell(grid, row, column);
        QLineEdit* editor = grid == gridE() ? textE() : h.ui().TextM;
        ASSERT_TRUE(editor->isVisible());
        QTest::keyClicks(editor, text);
    }
    MessageBoxes messages;
};

} // namespace

TEST_F(CellEditorUiTest, TypedTextIsMirroredAtOnceAndCheckedWhenTheCellIsLeft)
{
    type(gridE(), 2, 1, "5");
    EXPECT_EQ(etp().cell(2, 1), QStringLiteral("5.0"));
    QTest::keyClick(textE(), Qt::Key_Right);
    EXPECT_EQ(etp().cell(2, 1) + etp().cell(2, 2), "05.0" + textE()->selectedText());
    EXPECT_EQ(gridE()->currentIndex().column(), 2);
    etp().setCell(1, 4, "05"); // a timed step: no voltage below 1 V
    type(gridE(), 1, 1, "+");
    QTest::keyClick(textE(), Qt::Key_Right);
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("01.0"));
    EXPECT_EQ(messages.texts, QStringList { "Voltage must be 1 - 36 and 1 digit of precision ." });
    // The Output On cell opens no editor, even clicked beside its box.
    const QRect output = gridE()->visualRect(etp().index(1, 5));
    QTest::mouseClick(gridE()->viewport(), Qt::LeftButton, {}, output.topLeft() + QPoint(2, 2));
    EXPECT_EQ(gridE()->currentIndex().column(), 5);
    EXPECT_FALSE(textE()->isVisible());
}

// Leaving clamps silently; to "Run" the key release's text stays (the run checks it).
TEST_F(CellEditorUiTest, LeavingTheEditorByFocusOrScrolling)
{
    QScrollBar* bar = gridE()->verticalScrollBar();
    const std::function<void()> leave[] = {
        [&] { QTest::mouseClick(h.ui().TextCycle[1], Qt::LeftButton); },
        [&] { h.ui().CmdRunStop->setFocus(); },
        [&] { bar->setValue(bar->value() + 3); },
        [&] { gridE()->horizontalHeader()->resizeSection(0, gridE()->columnWidth(0) + 10); },
    };
    const char* const cells[] = { "36.0", "99.0", "36.0", "36.0" };
    gridE()->verticalHeader()->setDefaultSectionSize(gridE()->viewport()->height() / 4);
    etp().setCell(1, 4, "05"); // "Run" can take the focus
    h.w().stepGrid().check();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        bar->setValue(0);
        type(gridE(), 1, 1, "99");
        leave[i]();
        EXPECT_FALSE(textE()->isVisible());
        EXPECT_EQ(etp().cell(1, 1), QLatin1String(cells[i]));
    }
    EXPECT_TRUE(messages.texts.isEmpty());
    // Moving down past the bottom scrolls the grid and keeps the editor on its cell.
    bar->setValue(0);
    clickCell(gridE(), 1, 2);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(textE(), Qt::Key_Down);
    EXPECT_EQ(gridE()->currentIndex().row(), 10);
    EXPECT_TRUE(textE()->isVisible());
    EXPECT_EQ(textE()->geometry().top(), gridE()->visualRect(gridE()->currentIndex()).top() + 1);
}

TEST_F(CellEditorUiTest, AKeyReleaseWithoutItsPressIsIgnored)
{
    // Enter closes the range message with its press; its release reaches the editor.
    etp().setCell(1, 1, "12.0");
    messages.whileOpen = [this] { QTest::keyRelease(textE(), Qt::Key_Return); };
    type(gridE(), 2, 1, "abc");
    QTest::keyClick(textE(), Qt::Key_Up);
    messages.whileOpen = nullptr;
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("12.0"));
    // Down pressed on the grid; the editor opening on the next row receives its release.
    clickCell(gridE(), 3, 3);
    gridE()->setFocus(Qt::MouseFocusReason);
    textE()->hide();
    QTest::keyPress(gridE(), Qt::Key_Down);
    ASSERT_TRUE(textE()->isVisible());
    QTest::keyRelease(textE(), Qt::Key_Down);
    EXPECT_EQ(gridE()->currentIndex().row(), 3) << "step 4, not step 5";
    // Keys that overlap while typing fast: the arrow still moves the editor.
    for (const Qt::Key key : { Qt::Key_0, Qt::Key_Down })
        QTest::keyPress(textE(), key);
    for (const Qt::Key key : { Qt::Key_0, Qt::Key_Down })
        QTest::keyRelease(textE(), key);
    EXPECT_EQ(gridE()->currentIndex().row(), 4);
    // Tab on the grid leaves it; no editor opens while a program runs.
    gridE()->setFocus(Qt::TabFocusReason);
    textE()->hide();
    QTest::keyClick(gridE(), Qt::Key_Tab);
    EXPECT_EQ(gridE()->currentIndex().row(), 4);
    EXPECT_FALSE(gridE()->hasFocus());
    setEtpRow(1, "05.0", "1.00", "00", "05");
    h.w().stepGrid().check();
    h.ui().CmdRunStop->click();
    ASSERT_TRUE(h.w().session().programRunning());
    h.w().stepGrid().showEditor();
    EXPECT_FALSE(textE()->isVisible());
}

TEST_F(CellEditorUiTest, PresetEditor)
{
    showTab(2);
    type(gridM(), 1, 3, "8");
    clickCell(gridM(), 3, 2);
    EXPECT_EQ(ipm().cell(1, 3), QStringLiteral("5.10"));
    EXPECT_EQ(
        messages.texts, QStringList { "Current must be 0.01 - 5.1 and 2 digit of precision ." });
    // A table read again under the open editor is not overwritten with its text.
    type(gridM(), 1, 2, "7");
    QTest::mouseClick(h.ui().CmdRS, Qt::LeftButton);
    h.tick();
    clickCell(gridM(), 2, 3);
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("5.0"));
    // A disabled selector's cell opens the editor; an enabled one selects its preset.
    ipm().setCell(2, 2, "00.5");
    h.w().presetGrid().check();
    clickCell(gridM(), 2, 1);
    EXPECT_TRUE(h.ui().TextM->isVisible() && !selector(2)->isEnabled());
    EXPECT_NE(ipm().selectedPreset(), 2);
    clickCell(gridM(), 3, 1);
    EXPECT_TRUE(ipm().selectedPreset() == 3 && selector(3)->isChecked());
}
