#include "app/PresetControls.h"
#include "app/PresetGrid.h"
#include "app/RunnerControls.h"
#include "app/StepGrid.h"
#include "programs/ProgramTable.h"
#include "tests/app/MessageBoxes.h"
#include "tests/app/ProgramTabsFixture.h"

#include <QCheckBox>
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

namespace {

class CellEditorUiTest : public ProgramTabsFixture {
protected:
    using ProgramTabsFixture::ProgramTabsFixture;

    QLineEdit* textE() { return h.find<QLineEdit>(QStringLiteral("TextE")); }
    QLineEdit* textM() { return h.find<QLineEdit>(QStringLiteral("TextM")); }
    QTableView* grid(const char* name) { return h.find<QTableView>(QLatin1String(name)); }

    // Clicks a cell of a grid (table rows from 1).
    void clickCell(QTableView* view, int row, int column)
    {
        // A closed message box gives the window back its activation a little later.
        if (!h.w().isActiveWindow()) {
            h.w().activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&h.w()));
        }
        const QRect cell = view->visualRect(view->model()->index(row - 1, column));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    }

    // Opens the editor on a cell and types over its selected text.
    void type(QTableView* view, QLineEdit* editor, int row, int column, const QString& text)
    {
        clickCell(view, row, column);
        ASSERT_TRUE(editor->isVisible());
        if (text.isEmpty())
            QTest::keyClick(editor, Qt::Key_Backspace);
        else
            QTest::keyClicks(editor, text);
    }

    void setStep(int row, const QString& minute, const QString& second)
    {
        etp().setCell(row, 3, minute);
        etp().setCell(row, 4, second);
    }

    MessageBoxes messages;
};

class CellEditorUi5810Test : public CellEditorUiTest {
protected:
    CellEditorUi5810Test()
        : CellEditorUiTest(*SupplyModel::find(QStringLiteral("5810")))
    {
    }
};

} // namespace

TEST_F(CellEditorUiTest, CommaTypedIsMirroredAtOnceAndStoredWhenTheCellIsLeft)
{
    type(grid("FGridE"), textE(), 1, 1, QStringLiteral("12,5"));
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("12.5"));

    QTest::keyClick(textE(), Qt::Key_Right);
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("12.5"));
    EXPECT_EQ(grid("FGridE")->currentIndex().column(), 2);
    EXPECT_TRUE(messages.texts.isEmpty());

    // A whole number shows one decimal while typed and two integer digits once left.
    type(grid("FGridE"), textE(), 2, 1, QStringLiteral("5"));
    EXPECT_EQ(etp().cell(2, 1), QStringLiteral("5.0"));
    QTest::keyClick(textE(), Qt::Key_Right);
    EXPECT_EQ(etp().cell(2, 1), QStringLiteral("05.0"));
}

TEST_F(CellEditorUiTest, EditorLiesOverTheCurrentCellInsideTheGrid)
{
    QTableView* view = grid("FGridE");
    clickCell(view, 3, 2);
    const QRect cell = view->visualRect(view->model()->index(2, 2));
    EXPECT_EQ(textE()->parentWidget(), view->viewport());
    EXPECT_EQ(
        textE()->geometry(), QRect(cell.left(), cell.top() + 1, cell.width(), cell.height() - 2));
    EXPECT_EQ(textE()->text(), etp().cell(3, 2));
    EXPECT_EQ(textE()->selectedText(), etp().cell(3, 2));
    EXPECT_TRUE(textE()->hasFocus());
}

TEST_F(CellEditorUiTest, OutputColumnOpensNoEditor)
{
    QTableView* view = grid("FGridE");
    clickCell(view, 2, 1);
    ASSERT_TRUE(textE()->isVisible());
    // Just below the check box, still inside the Output On cell.
    const QRect cell = view->visualRect(view->model()->index(1, 5));
    QTest::mouseClick(
        view->viewport(), Qt::LeftButton, {}, QPoint(cell.left() + 2, cell.top() + 2));
    EXPECT_EQ(view->currentIndex().column(), 5);
    EXPECT_FALSE(textE()->isVisible());
}

TEST_F(CellEditorUiTest, HalfAVoltIsRaisedByTheRowsDuration)
{
    setStep(1, QStringLiteral("00"), QStringLiteral("00"));
    setStep(2, QStringLiteral("01"), QStringLiteral("00"));
    const QString message = QStringLiteral("Voltage must be 1 - 36 and 1 digit of precision .");

    type(grid("FGridE"), textE(), 1, 1, QStringLiteral("0.5"));
    QTest::keyClick(textE(), Qt::Key_Right);
    EXPECT_EQ(messages.texts, QStringList { message });
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("00.0"));

    type(grid("FGridE"), textE(), 2, 1, QStringLiteral("0.5"));
    QTest::keyClick(textE(), Qt::Key_Right);
    EXPECT_EQ(messages.texts, QStringList({ message, message }));
    EXPECT_EQ(etp().cell(2, 1), QStringLiteral("01.0"));
}

TEST_F(CellEditorUiTest, MinuteAndSecondOutOfRangeAreReplacedAfterTheirMessage)
{
    type(grid("FGridE"), textE(), 1, 3, QStringLiteral("150"));
    QTest::keyClick(textE(), Qt::Key_Right);
    EXPECT_EQ(etp().cell(1, 3), QStringLiteral("99"));

    type(grid("FGridE"), textE(), 1, 4, QStringLiteral("-3"));
    QTest::keyClick(textE(), Qt::Key_Left);
    EXPECT_EQ(etp().cell(1, 4), QStringLiteral("00"));
    EXPECT_EQ(messages.texts,
        QStringList({ QStringLiteral("Minute must be 0 - 99."),
            QStringLiteral("Second must be 0 - 59.") }));
}

TEST_F(CellEditorUiTest, ArrowKeysWalkTheEditableCells)
{
    QTableView* view = grid("FGridE");
    struct Case {
        int row, column, key;
        int toRow, toColumn;
    };
    const Case cases[] = {
        { 20, 4, Qt::Key_Right, 20, 4 }, // last step, last editable column: stays
        { 3, 4, Qt::Key_Right, 4, 1 }, // wraps to the next step's Voltage
        { 4, 1, Qt::Key_Left, 3, 4 }, // and back
        { 1, 1, Qt::Key_Left, 1, 1 }, // first step's Voltage: stays
        { 1, 2, Qt::Key_Up, 1, 2 }, // no row above
        { 5, 2, Qt::Key_Up, 4, 2 }, { 20, 3, Qt::Key_Down, 20, 3 }, // no row below
        { 7, 3, Qt::Key_Down, 8, 3 }, { 2, 2, Qt::Key_Left, 2, 1 },
        { 2, 2, Qt::Key_Home, 2, 2 }, // other keys do not move
    };
    for (const Case& c : cases) {
        clickCell(view, c.row, c.column);
        const QString before = etp().cell(c.row, c.column);
        QTest::keyClick(textE(), static_cast<Qt::Key>(c.key));
        EXPECT_EQ(view->currentIndex().row() + 1, c.toRow)
            << c.row << "," << c.column << " key " << c.key;
        EXPECT_EQ(view->currentIndex().column(), c.toColumn)
            << c.row << "," << c.column << " key " << c.key;
        EXPECT_TRUE(textE()->isVisible());
        EXPECT_EQ(textE()->text(), etp().cell(c.toRow, c.toColumn));
        EXPECT_EQ(etp().cell(c.row, c.column).toDouble(), before.toDouble());
    }
}

// Every bad text ends in the column's replacement, with the user told where the
// value was out of range; nothing outside the limits is left in the cell.
TEST_F(CellEditorUiTest, BadInputEndsInTheReplacement)
{
    const QString voltMsg = QStringLiteral("Voltage must be 1 - 36 and 1 digit of precision .");
    const QString currMsg = QStringLiteral("Current must be 0.01 - 5.1 and 2 digit of precision .");
    struct Case {
        int column;
        QString typed;
        QString cell;
        QString message; // empty: none
    };
    const Case cases[] = {
        { 1, QStringLiteral("abc"), QStringLiteral("01.0"), voltMsg },
        { 1, QStringLiteral("-5"), QStringLiteral("01.0"), voltMsg },
        { 1, QStringLiteral("+"), QStringLiteral("01.0"), voltMsg },
        { 1, QString(), QStringLiteral("01.0"), voltMsg },
        { 1, QStringLiteral("99999999999999999999"), QStringLiteral("36.0"), voltMsg },
        { 1, QStringLiteral("36.04"), QStringLiteral("36.0"), voltMsg },
        { 2, QStringLiteral("abc"), QStringLiteral("0.01"), currMsg },
        { 2, QStringLiteral("-1"), QStringLiteral("0.01"), currMsg },
        { 2, QStringLiteral("0.001"), QStringLiteral("0.01"), currMsg },
        { 2, QStringLiteral("1e9"), QStringLiteral("1.00"), QString() },
        { 2, QStringLiteral("99999"), QStringLiteral("5.10"), currMsg },
        { 3, QStringLiteral("xyz"), QStringLiteral("00"), QString() },
        { 3, QStringLiteral("-7"), QStringLiteral("00"), QStringLiteral("Minute must be 0 - 99.") },
        { 3, QStringLiteral("1000000"), QStringLiteral("99"),
            QStringLiteral("Minute must be 0 - 99.") },
        { 4, QStringLiteral("75"), QStringLiteral("59"), QStringLiteral("Second must be 0 - 59.") },
        { 4, QStringLiteral("12,7"), QStringLiteral("13"), QString() },
    };
    for (const Case& c : cases) {
        setStep(1, QStringLiteral("00"), QStringLiteral("05"));
        messages.texts.clear();
        type(grid("FGridE"), textE(), 1, c.column, c.typed);
        QTest::keyClick(textE(), Qt::Key_Right);
        EXPECT_EQ(etp().cell(1, c.column), c.cell) << "typed " << c.typed.toStdString();
        EXPECT_EQ(messages.texts, c.message.isEmpty() ? QStringList() : QStringList { c.message })
            << "typed " << c.typed.toStdString();
    }
}

TEST_F(CellEditorUiTest, LosingTheFocusClampsSilentlyExceptToRun)
{
    QLineEdit* cycle = h.find<QLineEdit>(QStringLiteral("TextCycle(1)"));
    struct Case {
        int column;
        QString typed;
        QString cell;
    };
    const Case cases[] = {
        { 1, QStringLiteral("99"), QStringLiteral("36.0") },
        { 1, QStringLiteral("0.4"), QStringLiteral("01.0") },
        { 1, QStringLiteral("-2"), QStringLiteral("00.0") },
        { 1, QStringLiteral("12,5"), QStringLiteral("12.5") },
        { 2, QStringLiteral("abc"), QStringLiteral("0.00") },
        { 2, QStringLiteral("9"), QStringLiteral("5.10") },
        { 3, QStringLiteral("150"), QStringLiteral("99") },
        { 4, QStringLiteral("60"), QStringLiteral("59") },
        { 4, QStringLiteral("-1"), QStringLiteral("00") },
    };
    for (const Case& c : cases) {
        type(grid("FGridE"), textE(), 2, c.column, c.typed);
        QTest::mouseClick(cycle, Qt::LeftButton);
        EXPECT_TRUE(cycle->hasFocus());
        EXPECT_FALSE(textE()->isVisible());
        EXPECT_EQ(etp().cell(2, c.column), c.cell) << "typed " << c.typed.toStdString();
    }
    EXPECT_TRUE(messages.texts.isEmpty());

    // To "Run": only what the key release wrote.
    setStep(1, QStringLiteral("00"), QStringLiteral("05"));
    h.w().stepGrid().check();
    type(grid("FGridE"), textE(), 3, 1, QStringLiteral("99"));
    h.find<QPushButton>(QStringLiteral("CmdRunStop"))->setFocus();
    EXPECT_FALSE(textE()->isVisible());
    EXPECT_EQ(etp().cell(3, 1), QStringLiteral("99.0"));
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(CellEditorUiTest, ScrollingTheGridHidesTheEditor)
{
    QTableView* view = grid("FGridE");
    view->verticalHeader()->setDefaultSectionSize(view->viewport()->height() / 4);
    ASSERT_GT(view->verticalScrollBar()->maximum(), 3);
    clickCell(view, 1, 1);
    ASSERT_TRUE(textE()->isVisible());
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + 3);
    EXPECT_FALSE(textE()->isVisible());

    // Moving down past the bottom scrolls the grid and keeps the editor on its cell.
    view->verticalScrollBar()->setValue(0);
    clickCell(view, 1, 2);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(textE(), Qt::Key_Down);
    EXPECT_EQ(view->currentIndex().row(), 10);
    EXPECT_TRUE(textE()->isVisible());
    const QRect cell = view->visualRect(view->currentIndex());
    EXPECT_EQ(textE()->geometry().top(), cell.top() + 1);
}

TEST_F(CellEditorUiTest, ScrollingAwayFromATypedValueChecksItIntoTheCell)
{
    QTableView* view = grid("FGridE");
    view->verticalHeader()->setDefaultSectionSize(view->viewport()->height() / 4);
    type(view, textE(), 1, 3, QStringLiteral("150"));
    ASSERT_EQ(etp().cell(1, 3), QStringLiteral("150")) << "mirrored while typing";
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + 3);
    EXPECT_FALSE(textE()->isVisible());
    EXPECT_EQ(etp().cell(1, 3), QStringLiteral("99")) << "clamped as when the editor is left";
    EXPECT_TRUE(messages.texts.isEmpty());

    // Cells moved by a resized column: the same for a voltage.
    view->verticalScrollBar()->setValue(0);
    type(view, textE(), 1, 1, QStringLiteral("7"));
    view->horizontalHeader()->resizeSection(0, view->horizontalHeader()->sectionSize(0) + 10);
    EXPECT_FALSE(textE()->isVisible());
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("07.0"));
}

TEST_F(CellEditorUiTest, AKeyReleaseWithoutItsPressIsIgnored)
{
    QTableView* view = grid("FGridE");
    // Enter closes the range message with its press; its release reaches the
    // editor, still holding the bad text, while the step above is current.
    etp().setCell(1, 1, QStringLiteral("12.0"));
    messages.whileOpen = [this] { QTest::keyRelease(textE(), Qt::Key_Return); };
    type(view, textE(), 2, 1, QStringLiteral("abc"));
    QTest::keyClick(textE(), Qt::Key_Up);
    messages.whileOpen = nullptr;
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("12.0"));

    clickCell(view, 3, 3);
    ASSERT_TRUE(textE()->isVisible());
    // The editor is hidden and the grid has the focus; Down is pressed there,
    // and the editor that opens on the next row receives its release.
    view->setFocus(Qt::MouseFocusReason);
    textE()->hide();
    QTest::keyPress(view, Qt::Key_Down);
    ASSERT_EQ(view->currentIndex().row(), 3);
    ASSERT_TRUE(textE()->isVisible()) << "entering the cell opens the editor";
    QTest::keyRelease(textE(), Qt::Key_Down);
    EXPECT_EQ(view->currentIndex().row(), 3) << "step 4, not step 5";

    // Keys that overlap while typing fast: the arrow still moves the editor.
    QTest::keyPress(textE(), Qt::Key_0);
    QTest::keyPress(textE(), Qt::Key_Down);
    QTest::keyRelease(textE(), Qt::Key_0);
    QTest::keyRelease(textE(), Qt::Key_Down);
    EXPECT_EQ(view->currentIndex().row(), 4);
}

TEST_F(CellEditorUiTest, TabMovesOnToTheNextControlInsteadOfWalkingTheCells)
{
    QTableView* view = grid("FGridE");
    clickCell(view, 1, 2); // a default current of 0.00 would ask for a value
    const QModelIndex cell = view->currentIndex();
    view->setFocus(Qt::TabFocusReason);
    textE()->hide();
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(view->currentIndex(), cell);
    EXPECT_FALSE(view->hasFocus());
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(CellEditorUiTest, NoEditorOpensWhileAProgramRuns)
{
    setStep(1, QStringLiteral("00"), QStringLiteral("05"));
    h.w().stepGrid().check();
    h.find<QPushButton>(QStringLiteral("CmdRunStop"))->click();
    ASSERT_EQ(h.find<QPushButton>(QStringLiteral("CmdRunStop"))->text(), QStringLiteral("Stop"));
    h.w().stepGrid().showEditor();
    EXPECT_FALSE(textE()->isVisible());
}

TEST_F(CellEditorUiTest, PresetEditorChecksVoltageAndCurrent)
{
    h.ui().Tab1->setCurrentIndex(2);
    QTableView* view = grid("FGridM");
    ASSERT_EQ(ipm().dataRows(), 3);

    type(view, textM(), 1, 2, QStringLiteral("40"));
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("40.0"));
    QTest::keyClick(textM(), Qt::Key_Down);
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("36.0"));

    type(view, textM(), 2, 3, QStringLiteral("0"));
    QTest::keyClick(textM(), Qt::Key_Up);
    EXPECT_EQ(ipm().cell(2, 3), QStringLiteral("0.01"));

    type(view, textM(), 3, 2, QStringLiteral("0.5"));
    QTest::keyClick(textM(), Qt::Key_Up);
    EXPECT_EQ(ipm().cell(3, 2), QStringLiteral("01.0"));
    EXPECT_EQ(messages.texts,
        QStringList({ QStringLiteral("Voltage must be 1 - 36 and 1 digit of precision ."),
            QStringLiteral("Current must be 0.01 - 5.1 and 2 digit of precision ."),
            QStringLiteral("Voltage must be 1 - 36 and 1 digit of precision .") }));
}

TEST_F(CellEditorUiTest, PresetEditorLosingTheFocusToAnotherCellChecksTheValue)
{
    h.ui().Tab1->setCurrentIndex(2);
    QTableView* view = grid("FGridM");
    type(view, textM(), 2, 2, QStringLiteral("7"));
    clickCell(view, 3, 3);
    EXPECT_EQ(ipm().cell(2, 2), QStringLiteral("07.0"));
    EXPECT_TRUE(messages.texts.isEmpty());

    // Out of range: one message, one replacement.
    type(view, textM(), 1, 3, QStringLiteral("8"));
    clickCell(view, 3, 2);
    EXPECT_EQ(ipm().cell(1, 3), QStringLiteral("5.10"));
    EXPECT_EQ(messages.texts.size(), 1);
}

TEST_F(CellEditorUiTest, PresetCellWithDisabledSelectorOpensTheEditor)
{
    h.ui().Tab1->setCurrentIndex(2);
    ipm().setCell(2, 2, QStringLiteral("00.5"));
    h.w().presetGrid().check();
    ASSERT_FALSE(h.find<QRadioButton>(QStringLiteral("Option1(2)"))->isEnabled());
    clickCell(grid("FGridM"), 2, 1);
    EXPECT_TRUE(textM()->isVisible());
    EXPECT_NE(ipm().selectedPreset(), 2);

    // With the selector enabled the click selects the preset instead.
    clickCell(grid("FGridM"), 3, 1);
    EXPECT_EQ(ipm().selectedPreset(), 3);
    EXPECT_TRUE(h.find<QRadioButton>(QStringLiteral("Option1(3)"))->isChecked());
}

TEST_F(CellEditorUiTest, ATableReplacedUnderTheEditorIsNotOverwrittenWithItsText)
{
    h.ui().Tab1->setCurrentIndex(2);
    QTableView* view = grid("FGridM");
    type(view, textM(), 1, 2, QStringLiteral("7"));
    // The presets are read again while the editor is open.
    QTest::mouseClick(h.find<QPushButton>(QStringLiteral("CmdRS")), Qt::LeftButton);
    h.tick();
    EXPECT_FALSE(textM()->isVisible());
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("5.0"));
    clickCell(view, 2, 3);
    clickCell(view, 3, 3);
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("5.0"));
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(CellEditorUi5810Test, CurrentInTenthsOfAnAmpere)
{
    type(grid("FGridE"), textE(), 1, 2, QStringLiteral("2,46"));
    EXPECT_EQ(etp().cell(1, 2), QStringLiteral("2.5"));
    QTest::keyClick(textE(), Qt::Key_Right);
    EXPECT_EQ(etp().cell(1, 2), QStringLiteral("2.5"));

    type(grid("FGridE"), textE(), 1, 2, QStringLiteral("11"));
    QTest::keyClick(textE(), Qt::Key_Right);
    EXPECT_EQ(etp().cell(1, 2), QStringLiteral("10.0"));
    EXPECT_EQ(messages.texts,
        QStringList { QStringLiteral("Current must be 0.01 - 10 and 2 digit of precision .") });
}
