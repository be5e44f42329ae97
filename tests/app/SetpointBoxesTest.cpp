// The set-point boxes, displays, output switch and the grids' cell editors: one case per path
// from a key or click. What each text becomes is the rules' own test.

#include "panel/FrontPanel.h"
#include "tests/app/WindowFixture.h"

#include <QRegularExpression>

namespace {

const QString kVolt = QStringLiteral("Voltage must be 1 - 36 and 1 digit of precision .");
const QString kCurrEnter = QStringLiteral("Current must be 0.01 - 5.1 and 2 digit of precision .");
const QString kCurrLeave = QStringLiteral("Current must be 0.01 - 5.1 and 2 digit o precision .");
enum class Act { Return, KeypadEnter, Button, Leave };

class SetpointBoxesTest : public WindowFixture {
protected:
    QLineEdit* box(int i) { return h.ui().TextSetVC[static_cast<std::size_t>(i)]; }
    // Clicks into box i (the other holding a good value), selects everything and types.
    void type(int i, const QString& text)
    {
        box(1 - i)->setText(i == 0 ? QStringLiteral("1.00A") : QStringLiteral("12.0V"));
        activate();
        QTest::mouseClick(box(i), Qt::LeftButton);
        QTest::keyClick(box(i), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box(i), Qt::Key_Delete);
        QTest::keyClicks(box(i), text);
    }
    void act(int i, Act how)
    {
        QToolBar* bar = i == 0 ? h.ui().ToolbarSetVolt : h.ui().ToolbarSetCurr;
        activate();
        if (how == Act::Return || how == Act::KeypadEnter)
            QTest::keyClick(box(i), how == Act::Return ? Qt::Key_Return : Qt::Key_Enter);
        else
            QTest::mouseClick(
                how == Act::Leave ? h.ui().TextLocation : bar->widgetForAction(bar->actions()[0]),
                Qt::LeftButton);
    }
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
    MessageBoxes messages; // alive through every test, so that no box can hang it
};

} // namespace

// Whatever is typed afterwards; a refused value is reset with its message and never sent.
TEST_F(SetpointBoxesTest, TheTickSendsOnlyTheValueThatWasChecked)
{
    const struct {
        int box;
        const char *typed, *pasted; // pasted: no key release follows (after a good Button)
        Act act;
        QStringList messages;
        const char *shown, *line; // line: nothing sent when empty
        bool buttonsOn = true; // the key release's check
    } cases[] = {
        { 0, "12,5", nullptr, Act::Return, {}, "12.5V", "VOLT125" },
        { 0, "36", nullptr, Act::Button, {}, "36.0V", "VOLT360" }, // the limit
        { 1, "1,25", nullptr, Act::KeypadEnter, {}, "1.25A", "CURR125" },
        // 0.5 passes the key-release check; Enter's check and the reset value's refuse it.
        { 0, "0.5", nullptr, Act::Return, { kVolt, kVolt }, "0.00V", "" },
        { 0, "36.05", nullptr, Act::Return, { kVolt }, "00.0V", "", false },
        { 1, "5", "9", Act::Return, { kCurrEnter, kCurrLeave }, "0.00A", "" },
        { 0, "12", "99", Act::Button, { kVolt }, "0.00V", "" },
        { 1, "-3", nullptr, Act::Leave, { kCurrLeave }, "0.00A", "", false },
    };
    const auto digits
        = [&](int i) { return i == 0 ? h.supply->setVoltDigits() : h.supply->setCurrDigits(); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const int before = digits(c.box);
        type(c.box, c.typed);
        EXPECT_EQ(
            h.ui().ToolbarSetVolt->isEnabled() && h.ui().ToolbarSetCurr->isEnabled(), c.buttonsOn);
        if (c.pasted && c.act == Act::Button)
            act(c.box, c.act); // takes the good value first
        if (c.pasted)
            box(c.box)->setText(c.pasted);
        h.clearSent();
        messages.clear();
        act(c.box, c.act);
        EXPECT_TRUE(messages.texts == c.messages && messages.allOkOnly)
            << messages.texts.join('|').toStdString();
        EXPECT_EQ(box(c.box)->text(), c.shown);
        if (*c.line)
            type(c.box, c.box == 0 ? "99" : "");
        EXPECT_EQ(h.sent(), QStringList()) << "nothing before the tick";
        h.tick();
        EXPECT_EQ(h.sent().filter(QRegularExpression("^(VOLT|CURR)")),
            *c.line ? QStringList { c.line } : QStringList());
        if (*c.line)
            EXPECT_EQ(h.ui().LcdPSetVC[static_cast<std::size_t>(c.box)]->strokes(),
                FrontPanel::DrawSetpointDisplay(QString(c.shown).chopped(1)));
        else
            EXPECT_EQ(digits(c.box), before);
    }
    // Enter with the buttons off and no current moves to the current box.
    type(0, "1");
    box(1)->setText("0.00A");
    QTest::keyClicks(box(0), "2");
    act(0, Act::Return);
    EXPECT_TRUE(QApplication::focusWidget() == box(1) && box(1)->selectedText() == "0.00A");
    // The message of a key landing inside an exchange's wait opens after the exchange.
    const std::function<void()> steps[][2] = {
        { [&] { type(0, "99"); }, [&] { act(0, Act::Return); } },
        { [&] { clickCell(h.ui().FGridE, 1, 1), QTest::keyClicks(h.ui().TextE, "99"); },
            [&] { QTest::keyClick(h.ui().TextE, Qt::Key_Right); } },
    };
    for (const auto& step : steps) {
        step[0]();
        messages.clear();
        QStringList sentWhileOpen;
        messages.whileOpen = [&] {
            h.clearSent();
            h.tick();
            sentWhileOpen = h.sent();
        };
        QTimer::singleShot(0, &h.w(), step[1]);
        h.tick(); // the key lands inside the wait of its "GETD"
        ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.texts.isEmpty(); }));
        messages.whileOpen = {};
        EXPECT_EQ(messages.texts + sentWhileOpen, QStringList({ kVolt, "GETD" }));
    }
    // Up/Down: a left/right click; Page Up/Down: ten of them; Space: a click on the switch.
    const std::tuple<const char*, Qt::Key, Qt::MouseButton, int, const char*, const char*,
        const char*>
        keys[] = {
            { "LcdPSetVC(0)", Qt::Key_Up, Qt::LeftButton, 1, "12.0", "1.00", "VOLT121" },
            { "LcdPSetVC(0)", Qt::Key_Down, Qt::RightButton, 1, "40.0", "1.00", "VOLT360" },
            { "LcdPSetVC(1)", Qt::Key_PageUp, Qt::LeftButton, 10, "12.0", "4.55", "CURR510" },
            { "LcdPSetVC(1)", Qt::Key_Left, Qt::NoButton, 0, "12.0", "1.00", "GETD" },
            { "ImageOnOff", Qt::Key_Space, Qt::LeftButton, 1, "12.0", "1.00", "SOUT1" },
            { "ImageOnOff", Qt::Key_unknown, Qt::RightButton, 1, "12.0", "1.00", "GETD" },
            { "LcdOutput", Qt::Key_unknown, Qt::MiddleButton, 1, "12.0", "1.00", "GETD" },
        };
    for (const auto& [name, key, button, clicks, volt, curr, firstLine] : keys) {
        SCOPED_TRACE(std::string(name) + " " + QKeySequence(key).toString().toStdString());
        QWidget* control = h.find<QWidget>(name);
        const auto linesAfter = [&, volt = volt, curr = curr](const std::function<void()>& act) {
            if (!h.supply->outputOn()) {
                h.w().session().requestOutput(true);
                h.tick();
            }
            // The displays' values, sent only where the limits allow.
            h.w().session().requestDisplaySetpoint(0, volt);
            h.w().session().requestDisplaySetpoint(1, curr);
            h.tick();
            h.clearSent();
            activate();
            act();
            h.tick();
            return h.sent();
        };
        const QStringList byMouse = linesAfter([&, clicks = clicks, button = button] {
            for (int i = 0; i < clicks; ++i)
                QTest::mouseClick(control, button);
        });
        EXPECT_EQ(firstLine, byMouse.value(0));
        if (key != Qt::Key_unknown) {
            EXPECT_EQ(byMouse, linesAfter([&, key = key] {
                control->setFocus(Qt::TabFocusReason);
                QTest::keyClick(control, key);
            }));
        }
    }
}

TEST_F(SetpointBoxesTest, TypedTextIsMirroredAtOnceAndCheckedWhenTheCellIsLeft)
{
    type(gridE(), 2, 1, "5");
    EXPECT_EQ(etp().cell(2, 1), QStringLiteral("5.0"));
    QTest::keyClick(textE(), Qt::Key_Right);
    EXPECT_EQ(etp().cell(2, 1) + etp().cell(2, 2), "05.0" + textE()->selectedText());
    EXPECT_EQ(gridE()->currentIndex().column(), 2);
    // The Output On cell opens no editor, even clicked beside its box.
    const QRect output = gridE()->visualRect(etp().index(1, 5));
    QTest::mouseClick(gridE()->viewport(), Qt::LeftButton, {}, output.topLeft() + QPoint(2, 2));
    EXPECT_TRUE(gridE()->currentIndex().column() == 5 && !textE()->isVisible());
    // Leaving clamps silently; to "Run" the key release's text stays (the run checks it).
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
    EXPECT_TRUE(gridE()->currentIndex().row() == 10 && textE()->isVisible());
    EXPECT_EQ(textE()->geometry().top(), gridE()->visualRect(gridE()->currentIndex()).top() + 1);
    // The preset grid: a bad current is reset with its message.
    showTab(2);
    messages.clear();
    type(gridM(), 1, 3, "8");
    clickCell(gridM(), 3, 2);
    EXPECT_EQ(
        messages.texts + QStringList { ipm().cell(1, 3) }, QStringList({ kCurrEnter, "5.10" }));
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
    EXPECT_TRUE(
        h.ui().TextM->isVisible() && !selector(2)->isEnabled() && ipm().selectedPreset() != 2);
    clickCell(gridM(), 3, 1);
    EXPECT_TRUE(ipm().selectedPreset() == 3 && selector(3)->isChecked());
}

TEST_F(SetpointBoxesTest, AKeyReleaseWithoutItsPressIsIgnored)
{
    // Enter closes the range message with its press; its release reaches the editor.
    etp().setCell(1, 1, "12.0");
    messages.whileOpen = [this] { QTest::keyRelease(textE(), Qt::Key_Return); };
    type(gridE(), 2, 1, "abc");
    QTest::keyClick(textE(), Qt::Key_Up);
    messages.whileOpen = nullptr;
    EXPECT_TRUE(messages.texts.size() == 1 && etp().cell(1, 1) == "12.0");
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
    EXPECT_TRUE(gridE()->currentIndex().row() == 4 && !gridE()->hasFocus());
    setEtpRow(1, "05.0", "1.00", "00", "05");
    h.w().stepGrid().check();
    h.ui().CmdRunStop->click();
    ASSERT_TRUE(h.w().session().programRunning());
    h.w().stepGrid().showEditor();
    EXPECT_FALSE(textE()->isVisible());
}
