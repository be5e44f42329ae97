// The set-point boxes, displays and output switch wired to the session: one
// case per path from a key or click to the wire. The values themselves are the
// rules' (tests/panel).

#include "tests/app/WindowFixture.h"

#include "panel/FrontPanel.h"
#include "panel/PanelColours.h"
#include "panel/SegmentDisplay.h"

#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QString kVolt = QStringLiteral("Voltage must be 1 - 36 and 1 digit of precision .");
const QString kCurrEnter = QStringLiteral("Current must be 0.01 - 5.1 and 2 digit of precision .");
const QString kCurrLeave = QStringLiteral("Current must be 0.01 - 5.1 and 2 digit o precision .");

class SetpointBoxesTest : public WindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(showWindow());
        ASSERT_TRUE(h.p().connected);
        h.clearSent();
    }

    QLineEdit* box(int i) { return h.ui().TextSetVC[static_cast<std::size_t>(i)]; }
    QWidget* apply(int i)
    {
        QToolBar* bar = i == 0 ? h.ui().ToolbarSetVolt : h.ui().ToolbarSetCurr;
        return bar->widgetForAction(bar->actions().first());
    }

    // The offscreen platform leaves no window active after a message box;
    // a real one gives the activation back to the window.
    void activate()
    {
        if (!h.w().isActiveWindow()) {
            h.w().activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&h.w()));
        }
    }
    void click(QWidget* widget)
    {
        activate();
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    // The user clicks into the box, selects everything and types.
    void type(int i, const QString& text)
    {
        click(box(i));
        QTest::keyClick(box(i), Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(box(i), Qt::Key_Delete);
        QTest::keyClicks(box(i), text);
    }
    void enter(int i, Qt::Key key = Qt::Key_Return)
    {
        activate();
        QTest::keyClick(box(i), key);
    }
    QStringList setpointLines() { return h.sent().filter(QRegularExpression("^(VOLT|CURR)")); }

    // Alive through every test, so that no message box can hang it.
    MessageBoxes messages;
};

// Enter or the apply button takes the checked value: the next tick sends that
// value, whatever is typed into the box afterwards, and the display shows it.
TEST_F(SetpointBoxesTest, TheTickSendsTheValueThatWasChecked)
{
    enum class Apply { Return, KeypadEnter, Button };
    const struct {
        int box;
        const char *typed, *checked;
        Apply apply;
        const char *typedAfter, *line, *display;
    } cases[] = {
        { 0, "12,5", "12.5V", Apply::Return, "99", "VOLT125", "12.5" },
        { 0, "36", "36.0V", Apply::Button, "7", "VOLT360", "36.0" }, // the limit
        { 1, "1,25", "1.25A", Apply::KeypadEnter, "", "CURR125", "1.25" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        box(1 - c.box)->setText(c.box == 0 ? QStringLiteral("1.00A") : QStringLiteral("12.0V"));
        type(c.box, c.typed);
        h.clearSent();
        if (c.apply == Apply::Button)
            click(apply(c.box));
        else
            enter(c.box, c.apply == Apply::Return ? Qt::Key_Return : Qt::Key_Enter);
        EXPECT_EQ(box(c.box)->text(), c.checked);
        type(c.box, c.typedAfter);
        EXPECT_TRUE(h.sent().isEmpty()) << "nothing before the tick";
        h.tick();
        EXPECT_EQ(h.sent(), QStringList { c.line });
        EXPECT_EQ(h.ui().LcdPSetVC[static_cast<std::size_t>(c.box)]->strokes(),
            FrontPanel::DrawSetpointDisplay(c.display));
    }
    EXPECT_TRUE(messages.texts.isEmpty());
}

// A refused value is reset with its message and never sent, on every path.
TEST_F(SetpointBoxesTest, RefusedValuesAreResetAndNeverSent)
{
    enum class Act { Enter, Button, Leave };
    const struct {
        const char* path;
        int box;
        const char *typed, *pasted; // pasted: no key release follows
        bool buttonsOn; // the key release's check, for both buttons
        Act act;
        QStringList messages;
        const char* reset;
    } cases[] = {
        // 0.5 passes the key-release check; Enter's check and the reset value's refuse it.
        { "Enter", 0, "0.5", nullptr, true, Act::Enter, { kVolt, kVolt }, "0.00V" },
        { "Enter, buttons off", 0, "36.05", nullptr, false, Act::Enter, { kVolt }, "00.0V" },
        { "Enter, pasted", 1, "5", "9", true, Act::Enter, { kCurrEnter, kCurrLeave }, "0.00A" },
        { "button, pasted", 0, "12", "99", true, Act::Button, { kVolt }, "0.00V" },
        { "leaving", 1, "-3", nullptr, false, Act::Leave, { kCurrLeave }, "0.00A" },
    };
    const int voltBefore = h.supply->setVoltDigits();
    const int currBefore = h.supply->setCurrDigits();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        box(1 - c.box)->setText(c.box == 0 ? QStringLiteral("1.00A") : QStringLiteral("12.0V"));
        type(c.box, c.typed);
        EXPECT_EQ(h.ui().ToolbarSetVolt->isEnabled(), c.buttonsOn);
        EXPECT_EQ(h.ui().ToolbarSetCurr->isEnabled(), c.buttonsOn);
        if (c.pasted) {
            if (c.act == Act::Button)
                click(apply(c.box)); // takes the good value first
            box(c.box)->setText(c.pasted);
        }
        messages.clear();
        if (c.act == Act::Enter)
            enter(c.box);
        else
            click(c.act == Act::Button ? apply(c.box) : h.ui().TextLocation);
        EXPECT_EQ(messages.texts, c.messages);
        EXPECT_TRUE(messages.allOkOnly);
        EXPECT_EQ(box(c.box)->text(), c.reset);
        h.tick();
        EXPECT_TRUE(setpointLines().isEmpty()) << setpointLines().join(' ').toStdString();
    }
    EXPECT_EQ(h.supply->setVoltDigits(), voltBefore);
    EXPECT_EQ(h.supply->setCurrDigits(), currBefore);
}

// Enter with the buttons off moves to the current box when it holds no
// current, and otherwise selects the voltage to be typed again.
TEST_F(SetpointBoxesTest, EnterWithTheButtonsOffMovesTheFocus)
{
    const struct {
        const char* current;
        int focus;
        const char* selected;
    } cases[] = { { "9.00A", 0, "12" }, { "0.00A", 1, "0.00A" } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.current);
        box(1)->setText(c.current);
        type(0, QStringLiteral("12"));
        ASSERT_FALSE(apply(0)->isEnabled());
        enter(0);
        EXPECT_EQ(QApplication::focusWidget(), box(c.focus));
        EXPECT_EQ(box(c.focus)->selectedText(), c.selected);
    }
    EXPECT_TRUE(messages.texts.isEmpty());
}

// A check's message whose key lands inside an exchange's wait opens after the
// exchange, and the polling goes on while it is open.
TEST_F(SetpointBoxesTest, AMessageFromInsideAnExchangeLetsThePollingGoOn)
{
    QTableView* grid = h.find<QTableView>(QStringLiteral("FGridE"));
    QLineEdit* cellEditor = h.find<QLineEdit>(QStringLiteral("TextE"));
    const struct {
        const char* path;
        std::function<void()> type, confirm;
    } cases[] = {
        { "set-point box", [&] { type(0, QStringLiteral("99")); }, [&] { enter(0); } },
        { "cell check",
            [&] {
                activate();
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    grid->visualRect(grid->model()->index(0, 1)).center());
                QTest::keyClicks(cellEditor, QStringLiteral("99"));
            },
            [&] { QTest::keyClick(cellEditor, Qt::Key_Right); } },
    };
    QStringList sentWhileOpen;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        c.type();
        messages.clear();
        sentWhileOpen.clear();
        messages.whileOpen = [&] {
            h.clearSent();
            h.tick();
            sentWhileOpen = h.sent();
        };
        QTimer::singleShot(0, &h.w(), c.confirm);
        h.tick(); // the key lands inside the wait of its "GETD"
        ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.texts.isEmpty(); }));
        messages.whileOpen = {};
        EXPECT_EQ(messages.texts, QStringList { kVolt });
        EXPECT_EQ(sentWhileOpen, QStringList { QStringLiteral("GETD") });
    }
}

// Up and Down are a left and a right click on a set-point display, Page Up and
// Page Down ten of them, Space a click on the output switch: the supply gets
// the same lines either way, limits and all.
TEST_F(SetpointBoxesTest, FrontPanelKeysSendWhatTheirClicksSend)
{
    const struct {
        const char* control;
        Qt::Key key;
        Qt::MouseButton button;
        int clicks;
        const char *volt, *curr, *firstLine;
    } cases[] = {
        { "LcdPSetVC(0)", Qt::Key_Up, Qt::LeftButton, 1, "12.0", "1.00", "VOLT121" },
        { "LcdPSetVC(0)", Qt::Key_Up, Qt::LeftButton, 1, "36.0", "1.00", "GETD" }, // at UVL
        { "LcdPSetVC(0)", Qt::Key_Down, Qt::RightButton, 1, "40.0", "1.00", "VOLT360" },
        { "LcdPSetVC(1)", Qt::Key_PageUp, Qt::LeftButton, 10, "12.0", "4.55", "CURR510" },
        { "LcdPSetVC(1)", Qt::Key_Left, Qt::NoButton, 0, "12.0", "1.00", "GETD" },
        { "ImageOnOff", Qt::Key_Space, Qt::LeftButton, 1, "12.0", "1.00", "SOUT1" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + QKeySequence(c.key).toString().toStdString());
        QWidget* control = h.find<QWidget>(c.control);
        const auto linesAfter = [&](const std::function<void()>& act) {
            SupplySession& session = h.w().session();
            if (!h.supply->outputOn()) {
                session.requestOutput(true);
                h.tick();
            }
            // The displays' values, sent only where the limits allow.
            session.requestDisplaySetpoint(0, c.volt);
            session.requestDisplaySetpoint(1, c.curr);
            h.tick();
            h.clearSent();
            activate();
            act();
            h.tick();
            return h.sent();
        };
        const QStringList byMouse = linesAfter([&] {
            for (int i = 0; i < c.clicks; ++i)
                QTest::mouseClick(control, c.button);
        });
        const QStringList byKey = linesAfter([&] {
            control->setFocus(Qt::TabFocusReason);
            QTest::keyClick(control, c.key);
        });
        EXPECT_EQ(byMouse, byKey);
        EXPECT_EQ(c.firstLine, byKey.value(0));
    }
}

TEST_F(SetpointBoxesTest, RightAndMiddleClicksDoNotSwitchTheOutput)
{
    QLabel* image = h.find<QLabel>(QStringLiteral("ImageOnOff"));
    for (const Qt::MouseButton button : { Qt::RightButton, Qt::MiddleButton }) {
        QTest::mouseClick(image, button);
        QTest::mouseClick(h.find<QLabel>(QStringLiteral("LcdOutput")), button);
    }
    h.tick();
    EXPECT_EQ(h.sent(), QStringList { QStringLiteral("GETD") }); // a left click: the keys' test
}

// A highlight stays while the mouse is over its control, and goes when it
// moves to the panel's background or leaves the panel.
TEST_F(SetpointBoxesTest, HoverHighlightsStayUntilTheMouseLeavesThem)
{
    const auto moveOver = [](QWidget* widget, QPoint at = {}) {
        QTest::mouseMove(widget, at.isNull() ? widget->rect().center() : at);
        QCoreApplication::processEvents();
    };
    QWidget* panel = h.find<QWidget>(QStringLiteral("LCD"));
    QPoint background; // not 0,0, which the test library takes for the middle
    for (int y = 1; y < panel->height() && background.isNull(); ++y) {
        for (int x = 1; x < panel->width() && background.isNull(); ++x) {
            if (!panel->childAt(x, y))
                background = QPoint(x, y);
        }
    }
    ASSERT_FALSE(background.isNull());
    SegmentDisplay* display = h.find<SegmentDisplay>(QStringLiteral("LcdPSetVC(0)"));
    QLabel* label = h.find<QLabel>(QStringLiteral("LcdOutput"));
    const auto lit = [&] { return display->foreground() != QColor(Qt::black); };

    moveOver(display);
    EXPECT_TRUE(lit());
    moveOver(h.find<QWidget>(QStringLiteral("PD")));
    EXPECT_FALSE(lit()) << "the readings are not a set-point";
    moveOver(display);
    moveOver(panel, background);
    EXPECT_FALSE(lit());
    moveOver(h.find<QLabel>(QStringLiteral("ImageOnOff")));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(PanelColours::kHighlight));
    moveOver(panel, background);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(PanelColours::kBlack));
    moveOver(display);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(panel, &leave);
    EXPECT_FALSE(lit()) << "cleared on leaving the front panel";
}

TEST_F(SetpointBoxesTest, AClickIntoABoxSelectsItsTextSoTypingReplacesIt)
{
    click(box(1));
    click(box(0));
    QCoreApplication::processEvents();
    QTest::keyClick(box(0), Qt::Key_8);
    EXPECT_EQ(box(0)->text(), QStringLiteral("8"));
}

} // namespace
