// The cell editors on the program grids: keys, focus, scrolling and message
// boxes. What each typed text becomes is the cell editor rules' own test;
// the rows here prove the wiring or exist only here.

#include "tests/app/WindowFixture.h"

namespace {

const QString kVoltMsg = QStringLiteral("Voltage must be 1 - 36 and 1 digit of precision .");
const QString kCurrMsg = QStringLiteral("Current must be 0.01 - 5.1 and 2 digit of precision .");

class CellEditorUiTest : public WindowFixture {
protected:
    QLineEdit* textE() { return h.ui().TextE; }
    QLineEdit* textM() { return h.ui().TextM; }
    QTableView* gridE() { return h.ui().FGridE; }
    QTableView* gridM() { return h.ui().FGridM; }

    // Opens the editor on a cell and types over its selected text.
    void type(QTableView* grid, QLineEdit* editor, int row, int column, const QString& text)
    {
        clickCell(grid, row, column);
        ASSERT_TRUE(editor->isVisible());
        QTest::keyClicks(editor, text);
    }
    // Types into a step's cell and leaves it with key.
    void typeE(int row, int column, const QString& text, Qt::Key key = Qt::Key_Right)
    {
        type(gridE(), textE(), row, column, text);
        QTest::keyClick(textE(), key);
    }
    void runnable()
    {
        etp().setCell(1, 3, "00");
        etp().setCell(1, 4, "05");
        h.w().stepGrid().check();
    }
    void presetTab()
    {
        showTab(2);
        ASSERT_EQ(ipm().dataRows(), 3);
    }

    MessageBoxes messages;
};

} // namespace

TEST_F(CellEditorUiTest, TextIsMirroredAtOnceAndCheckedWhenTheCellIsLeft)
{
    // The editor lies over its cell, with the cell's text selected.
    clickCell(gridE(), 3, 2);
    const QRect cell = gridE()->visualRect(etp().index(2, 2));
    EXPECT_EQ(textE()->parentWidget(), gridE()->viewport());
    EXPECT_EQ(textE()->geometry(), cell.adjusted(0, 1, 0, -1));
    EXPECT_EQ(textE()->selectedText(), etp().cell(3, 2));
    EXPECT_TRUE(textE()->hasFocus());

    type(gridE(), textE(), 2, 1, "5");
    EXPECT_EQ(etp().cell(2, 1), QStringLiteral("5.0"));
    QTest::keyClick(textE(), Qt::Key_Right);
    EXPECT_EQ(etp().cell(2, 1), QStringLiteral("05.0"));
    EXPECT_EQ(gridE()->currentIndex().column(), 2);
    EXPECT_TRUE(messages.texts.isEmpty());

    // The Output On cell opens no editor, even clicked beside its box.
    const QRect output = gridE()->visualRect(etp().index(1, 5));
    QTest::mouseClick(gridE()->viewport(), Qt::LeftButton, {}, output.topLeft() + QPoint(2, 2));
    EXPECT_EQ(gridE()->currentIndex().column(), 5);
    EXPECT_FALSE(textE()->isVisible());
}

// Every bad text ends in the column's replacement, with the user told where the
// value was out of range; nothing outside the limits is left in the cell.
TEST_F(CellEditorUiTest, BadInputEndsInTheReplacement)
{
    const struct {
        int column;
        const char* typed;
        const char* cell;
        QString message; // empty: none
    } cases[] = {
        { 1, "abc", "01.0", kVoltMsg },
        { 1, "+", "01.0", kVoltMsg },
        { 1, "36.04", "36.0", kVoltMsg },
        { 2, "0.001", "0.01", kCurrMsg },
        { 2, "1e9", "1.00", "" },
        { 3, "-7", "00", "Minute must be 0 - 99." },
        { 4, "75", "59", "Second must be 0 - 59." },
        { 4, "12,7", "13", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        runnable();
        messages.clear();
        typeE(1, c.column, c.typed);
        EXPECT_EQ(etp().cell(1, c.column), QLatin1String(c.cell));
        EXPECT_EQ(messages.texts, c.message.isEmpty() ? QStringList() : QStringList { c.message });
    }
}

TEST_F(CellEditorUiTest, LosingTheFocusClampsSilentlyExceptToRun)
{
    QLineEdit* cycle = h.ui().TextCycle[1];
    const struct {
        int column;
        const char* typed;
        const char* cell;
    } cases[] = { { 1, "99", "36.0" }, { 3, "150", "99" } };
    for (const auto& c : cases) {
        type(gridE(), textE(), 2, c.column, c.typed);
        QTest::mouseClick(cycle, Qt::LeftButton);
        EXPECT_TRUE(cycle->hasFocus());
        EXPECT_FALSE(textE()->isVisible());
        EXPECT_EQ(etp().cell(2, c.column), QLatin1String(c.cell)) << c.typed;
    }
    // To "Run": only what the key release wrote.
    runnable();
    type(gridE(), textE(), 3, 1, "99");
    h.ui().CmdRunStop->setFocus();
    EXPECT_FALSE(textE()->isVisible());
    EXPECT_EQ(etp().cell(3, 1), QStringLiteral("99.0"));
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(CellEditorUiTest, ScrollingHidesTheEditorAndChecksItsText)
{
    QTableView* view = gridE();
    view->verticalHeader()->setDefaultSectionSize(view->viewport()->height() / 4);
    ASSERT_GT(view->verticalScrollBar()->maximum(), 3);
    type(view, textE(), 1, 3, "150");
    ASSERT_EQ(etp().cell(1, 3), QStringLiteral("150")) << "mirrored while typing";
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + 3);
    EXPECT_FALSE(textE()->isVisible());
    EXPECT_EQ(etp().cell(1, 3), QStringLiteral("99")) << "clamped as when the editor is left";

    // Cells moved by a resized column: the same for a voltage.
    view->verticalScrollBar()->setValue(0);
    type(view, textE(), 1, 1, "7");
    view->horizontalHeader()->resizeSection(0, view->horizontalHeader()->sectionSize(0) + 10);
    EXPECT_FALSE(textE()->isVisible());
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("07.0"));
    EXPECT_TRUE(messages.texts.isEmpty());

    // Moving down past the bottom scrolls the grid and keeps the editor on its cell.
    view->verticalScrollBar()->setValue(0);
    clickCell(view, 1, 2);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(textE(), Qt::Key_Down);
    EXPECT_EQ(view->currentIndex().row(), 10);
    EXPECT_TRUE(textE()->isVisible());
    EXPECT_EQ(textE()->geometry().top(), view->visualRect(view->currentIndex()).top() + 1);
}

TEST_F(CellEditorUiTest, AKeyReleaseWithoutItsPressIsIgnored)
{
    // Enter closes the range message with its press; its release reaches the
    // editor, still holding the bad text, while the step above is current.
    etp().setCell(1, 1, "12.0");
    messages.whileOpen = [this] { QTest::keyRelease(textE(), Qt::Key_Return); };
    typeE(2, 1, "abc", Qt::Key_Up);
    messages.whileOpen = nullptr;
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("12.0"));

    clickCell(gridE(), 3, 3);
    ASSERT_TRUE(textE()->isVisible());
    // The editor is hidden and the grid has the focus; Down is pressed there,
    // and the editor that opens on the next row receives its release.
    gridE()->setFocus(Qt::MouseFocusReason);
    textE()->hide();
    QTest::keyPress(gridE(), Qt::Key_Down);
    ASSERT_EQ(gridE()->currentIndex().row(), 3);
    ASSERT_TRUE(textE()->isVisible()) << "entering the cell opens the editor";
    QTest::keyRelease(textE(), Qt::Key_Down);
    EXPECT_EQ(gridE()->currentIndex().row(), 3) << "step 4, not step 5";

    // Keys that overlap while typing fast: the arrow still moves the editor.
    QTest::keyPress(textE(), Qt::Key_0);
    QTest::keyPress(textE(), Qt::Key_Down);
    QTest::keyRelease(textE(), Qt::Key_0);
    QTest::keyRelease(textE(), Qt::Key_Down);
    EXPECT_EQ(gridE()->currentIndex().row(), 4);
}

TEST_F(CellEditorUiTest, TabLeavesTheGridAndNoEditorOpensWhileAProgramRuns)
{
    clickCell(gridE(), 1, 2); // a default current of 0.00 would ask for a value
    const QModelIndex cell = gridE()->currentIndex();
    gridE()->setFocus(Qt::TabFocusReason);
    textE()->hide();
    QTest::keyClick(gridE(), Qt::Key_Tab);
    EXPECT_EQ(gridE()->currentIndex(), cell);
    EXPECT_FALSE(gridE()->hasFocus());
    EXPECT_TRUE(messages.texts.isEmpty());

    runnable();
    h.ui().CmdRunStop->click();
    ASSERT_EQ(h.ui().CmdRunStop->text(), QStringLiteral("Stop"));
    h.w().stepGrid().showEditor();
    EXPECT_FALSE(textE()->isVisible());
}

TEST_F(CellEditorUiTest, PresetEditorChecksWhenLeftByKeyOrClick)
{
    presetTab();
    type(gridM(), textM(), 1, 2, "40");
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("40.0"));
    QTest::keyClick(textM(), Qt::Key_Down);
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("36.0"));
    EXPECT_EQ(messages.texts, QStringList { kVoltMsg });

    messages.clear();
    type(gridM(), textM(), 2, 2, "7");
    clickCell(gridM(), 3, 3);
    EXPECT_EQ(ipm().cell(2, 2), QStringLiteral("07.0"));
    EXPECT_TRUE(messages.texts.isEmpty());
    type(gridM(), textM(), 1, 3, "8");
    clickCell(gridM(), 3, 2);
    EXPECT_EQ(ipm().cell(1, 3), QStringLiteral("5.10"));
    EXPECT_EQ(messages.texts, QStringList { kCurrMsg });
}

TEST_F(CellEditorUiTest, PresetCellWithDisabledSelectorOpensTheEditor)
{
    presetTab();
    ipm().setCell(2, 2, "00.5");
    h.w().presetGrid().check();
    ASSERT_FALSE(selector(2)->isEnabled());
    clickCell(gridM(), 2, 1);
    EXPECT_TRUE(textM()->isVisible());
    EXPECT_NE(ipm().selectedPreset(), 2);
    // With the selector enabled the click selects the preset instead.
    clickCell(gridM(), 3, 1);
    EXPECT_EQ(ipm().selectedPreset(), 3);
    EXPECT_TRUE(selector(3)->isChecked());
}

TEST_F(CellEditorUiTest, ATableReplacedUnderTheEditorIsNotOverwrittenWithItsText)
{
    presetTab();
    type(gridM(), textM(), 1, 2, "7");
    // The presets are read again while the editor is open.
    QTest::mouseClick(h.ui().CmdRS, Qt::LeftButton);
    h.tick();
    EXPECT_FALSE(textM()->isVisible());
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("5.0"));
    clickCell(gridM(), 2, 3);
    clickCell(gridM(), 3, 3);
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("5.0"));
    EXPECT_TRUE(messages.texts.isEmpty());
}
