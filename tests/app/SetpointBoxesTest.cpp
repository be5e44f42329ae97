#include "tests/app/WindowFixture.h"

#include "panel/FrontPanel.h"
#include "panel/PanelColours.h"
#include "panel/SegmentDisplay.h"

#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QString kVoltageMessage = QStringLiteral("Voltage must be 1 - 36 and 1 digit of precision .");
const QString kCurrentEnterMessage
    = QStringLiteral("Current must be 0.01 - 5.1 and 2 digit of precision .");
const QString kCurrentLeaveMessage
    = QStringLiteral("Current must be 0.01 - 5.1 and 2 digit o precision .");

class SetpointBoxesTest : public WindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(showWindow());
        ASSERT_TRUE(h.p().connected);
        h.clearSent();
        messages = std::make_unique<MessageBoxes>();
    }

    void TearDown() override { messages.reset(); }

    QLineEdit* box(int i) { return h.find<QLineEdit>(QStringLiteral("TextSetVC(%1)").arg(i)); }

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
        QLineEdit* b = box(i);
        activate();
        QTest::mouseClick(b, Qt::LeftButton);
        QTest::keyClick(b, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(b, Qt::Key_Delete);
        else
            QTest::keyClicks(b, text);
    }

    void enter(int i, Qt::Key key = Qt::Key_Return)
    {
        activate();
        QTest::keyClick(box(i), key);
    }

    QWidget* applyButton(int i)
    {
        auto* bar = h.find<QToolBar>(
            i == 0 ? QStringLiteral("ToolbarSetVolt") : QStringLiteral("ToolbarSetCurr"));
        return bar->widgetForAction(bar->actions().first());
    }

    QColor colour(int i) { return box(i)->palette().color(QPalette::Text); }

    // Set-point lines the supply received.
    QStringList setpointLines()
    {
        QStringList lines;
        for (const QString& line : h.sent()) {
            if (line.startsWith(u"VOLT") || line.startsWith(u"CURR"))
                lines << line;
        }
        return lines;
    }

    // Alive through every test, so that no message box can hang it; a test
    // clears the texts before the step it looks at.
    std::unique_ptr<MessageBoxes> messages;
};

// Enter or the apply button checks a value and takes it: the next tick sends
// that value, whatever is typed into the box afterwards, and the set-point
// display shows what the supply acknowledged.
TEST_F(SetpointBoxesTest, TheTickSendsTheValueThatWasChecked)
{
    enum class Apply { Return, KeypadEnter, Button };
    struct Case {
        int box;
        const char* typed;
        Apply apply;
        const char* checked; // the box right after the check
        const char* typedAfter; // nullptr: nothing; "": all deleted
        const char* line;
        const char* display;
    };
    const Case cases[] = {
        { 0, "12,5", Apply::Return, "12.5V", nullptr, "VOLT125", "12.5" },
        { 0, "12", Apply::Return, "12.0V", "99", "VOLT120", "12.0" },
        { 0, "12", Apply::Return, "12.0V", "", "VOLT120", "12.0" },
        { 0, "5", Apply::Return, "05.0V", "4,5", "VOLT050", "5.0" },
        { 0, "5", Apply::Button, "05.0V", "7", "VOLT050", "5.0" },
        { 1, "1,25", Apply::KeypadEnter, "1.25A", "9", "CURR125", "1.25" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.box) + ": " + c.typed + " then "
            + (c.typedAfter ? c.typedAfter : "nothing"));
        box(1 - c.box)->setText(c.box == 0 ? QStringLiteral("1.00A") : QStringLiteral("12.0V"));
        type(c.box, QString::fromLatin1(c.typed));
        messages->clear();
        h.clearSent();
        if (c.apply == Apply::Button)
            click(applyButton(c.box));
        else
            enter(c.box, c.apply == Apply::Return ? Qt::Key_Return : Qt::Key_Enter);
        EXPECT_TRUE(messages->texts.isEmpty());
        EXPECT_EQ(box(c.box)->text(), QString::fromLatin1(c.checked));
        EXPECT_EQ(colour(c.box), QColor(PanelColours::kAccepted));
        if (c.typedAfter)
            type(c.box, QString::fromLatin1(c.typedAfter));
        EXPECT_TRUE(h.sent().isEmpty()) << "nothing before the tick";

        h.tick();
        EXPECT_EQ(h.sent(), QStringList { QString::fromLatin1(c.line) });
        EXPECT_EQ(c.box == 0 ? h.p().setVoltText : h.p().setCurrText, c.display);
        EXPECT_EQ(h.ui().LcdPSetVC[static_cast<std::size_t>(c.box)]->strokes(),
            FrontPanel::DrawSetpointDisplay(QString::fromLatin1(c.display)));
    }
}

TEST_F(SetpointBoxesTest, HalfAVoltIsRefusedTwiceAndNeverSent)
{
    type(1, QStringLiteral("1"));
    type(0, QStringLiteral("0.5"));
    // 0.5 passes the key-release check: the button is enabled.
    ASSERT_TRUE(applyButton(0)->isEnabled());

    messages->clear();
    enter(0);
    // Once for Enter, once for the check of the reset value; the message box
    // taking the focus does not add a third.
    EXPECT_EQ(messages->texts, (QStringList { kVoltageMessage, kVoltageMessage }));
    EXPECT_TRUE(messages->allOkOnly);
    EXPECT_EQ(box(0)->text(), QStringLiteral("0.00V"));

    h.tick();
    EXPECT_TRUE(setpointLines().isEmpty());
}

TEST_F(SetpointBoxesTest, CurrentOverTheLimitShowsBothMessageTexts)
{
    type(0, QStringLiteral("12"));
    type(1, QStringLiteral("5")); // accepted on release
    ASSERT_TRUE(applyButton(1)->isEnabled());
    box(1)->setText(QStringLiteral("9")); // pasted: no key release follows

    messages->clear();
    enter(1);
    EXPECT_EQ(messages->texts, (QStringList { kCurrentEnterMessage, kCurrentLeaveMessage }));
    EXPECT_EQ(box(1)->text(), QStringLiteral("0.00A"));
    h.tick();
    EXPECT_TRUE(setpointLines().isEmpty());
}

TEST_F(SetpointBoxesTest, EnterWithButtonsDisabledAndNoCurrentMovesToTheCurrentBox)
{
    type(1, QStringLiteral("0"));
    type(0, QStringLiteral("12"));
    ASSERT_FALSE(applyButton(0)->isEnabled());

    messages->clear();
    enter(0);
    EXPECT_EQ(QApplication::focusWidget(), box(1));
    EXPECT_EQ(box(1)->selectedText(), QStringLiteral("0.00A")); // reset when it was left
    EXPECT_TRUE(messages->texts.isEmpty());
    // The voltage box was left: its check ran and accepted 12 V.
    EXPECT_EQ(box(0)->text(), QStringLiteral("12.0V"));
}

TEST_F(SetpointBoxesTest, EnterWithButtonsDisabledAndACurrentSelectsTheVoltage)
{
    // Over UCL (as left by an earlier limit), so the buttons are disabled.
    box(1)->setText(QStringLiteral("9.00A"));
    type(0, QStringLiteral("12"));
    ASSERT_FALSE(applyButton(0)->isEnabled());

    enter(0);
    EXPECT_EQ(QApplication::focusWidget(), box(0));
    EXPECT_EQ(box(0)->selectedText(), QStringLiteral("12"));
}

// A check's message whose key lands inside an exchange's wait opens after the
// exchange, and the polling goes on while it is open.
TEST_F(SetpointBoxesTest, AMessageFromInsideAnExchangeLetsThePollingGoOn)
{
    QTableView* grid = h.find<QTableView>(QStringLiteral("FGridE"));
    QLineEdit* cellEditor = h.find<QLineEdit>(QStringLiteral("TextE"));
    struct Case {
        const char* path;
        std::function<void()> type;
        std::function<void()> confirm;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        c.type();
        messages->clear();
        sentWhileOpen.clear();
        messages->whileOpen = [&] {
            h.clearSent();
            h.tick();
            sentWhileOpen = h.sent();
        };
        QTimer::singleShot(0, &h.w(), c.confirm);
        h.tick(); // the key lands inside the wait of its "GETD"
        ASSERT_TRUE(QTest::qWaitFor([&] { return !messages->texts.isEmpty(); }));
        messages->whileOpen = {};
        EXPECT_EQ(messages->texts, QStringList { kVoltageMessage });
        EXPECT_EQ(sentWhileOpen, QStringList { QStringLiteral("GETD") });
    }
}

TEST_F(SetpointBoxesTest, KeyReleaseColoursBothBoxesAndSwitchesBothButtons)
{
    struct Case {
        const char* volt;
        const char* curr;
        bool acceptable;
    };
    const Case cases[] = {
        { "12", "1", true },
        { "36", "5.1", true }, // exactly the limits
        { "36.1", "1", false },
        { "12", "5.2", false },
        { "0", "1", false },
        { "12", "0", false },
        { "0.5", "0.01", true }, // Enter and leaving check more strictly
        { "abc", "1", false },
        { "-3", "1", false },
        { "12", "", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.volt) + " / " + c.curr);
        box(1)->setText(QString::fromLatin1(c.curr));
        type(0, QString::fromLatin1(c.volt)); // the last release decides
        const QColor expected(c.acceptable ? PanelColours::kAccepted : PanelColours::kBlack);
        EXPECT_EQ(colour(0), expected);
        EXPECT_EQ(colour(1), expected);
        EXPECT_EQ(applyButton(0)->isEnabled(), c.acceptable);
        EXPECT_EQ(applyButton(1)->isEnabled(), c.acceptable);
        EXPECT_EQ(h.ui().ToolbarSetVolt->isEnabled(), c.acceptable);
        EXPECT_EQ(h.ui().ToolbarSetCurr->isEnabled(), c.acceptable);
    }
}

// Bad input in either box, with Enter: the reset and the message, and
// nothing on the wire.
TEST_F(SetpointBoxesTest, BadInputWithEnterIsResetAndNotSent)
{
    struct Case {
        int box;
        const char* text;
        const char* reset;
    };
    const Case cases[] = {
        { 0, "abc", "00.0V" }, { 0, "-3", "00.0V" }, { 0, "", "00.0V" },
        { 0, "99999999999999999999999999999999999999999999", "00.0V" }, { 0, ".", "00.0V" },
        { 0, "36.05", "00.0V" }, { 1, "abc", "0.00A" }, { 1, "-3", "0.00A" }, { 1, "", "0.00A" },
        { 1, "99999999999999999999999999999999999999999999", "0.00A" },
        { 1, "0.004", "0.00A" }, // rounds to no current at all
    };
    const int voltBefore = h.supply->setVoltDigits();
    const int currBefore = h.supply->setCurrDigits();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.box) + ": '" + c.text + "'");
        h.clearSent();
        // The other box holds a good value.
        box(1 - c.box)->setText(c.box == 0 ? QStringLiteral("1.00A") : QStringLiteral("12.0V"));
        type(c.box, QString::fromLatin1(c.text));

        messages->clear();
        enter(c.box);
        ASSERT_GE(messages->texts.size(), 1);
        EXPECT_EQ(messages->texts.first(), c.box == 0 ? kVoltageMessage : kCurrentEnterMessage);
        EXPECT_EQ(box(c.box)->text(), QString::fromLatin1(c.reset));

        h.tick();
        EXPECT_TRUE(setpointLines().isEmpty());
    }
    EXPECT_EQ(h.supply->setVoltDigits(), voltBefore);
    EXPECT_EQ(h.supply->setCurrDigits(), currBefore);
}

// Leaving a box with bad input: the lost-focus message, the reset text and the
// window-text colour.
TEST_F(SetpointBoxesTest, BadInputLeftBehindIsResetWithTheLeavingMessage)
{
    struct Case {
        int box;
        const char* text;
        const char* reset;
    };
    const Case cases[] = {
        { 0, "abc", "0.00V" },
        { 0, "-3", "0.00V" },
        { 0, "", "0.00V" },
        { 0, "99999999999999999999999999999999999999999999", "0.00V" },
        { 1, "abc", "0.00A" },
        { 1, "-3", "0.00A" },
        { 1, "", "0.00A" },
        { 1, "A", "0.00A" },
    };
    const QColor windowText = QApplication::palette().color(QPalette::WindowText);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.box) + ": '" + c.text + "'");
        type(c.box, QString::fromLatin1(c.text));
        messages->clear();
        click(h.ui().TextLocation);
        EXPECT_EQ(
            messages->texts, QStringList { c.box == 0 ? kVoltageMessage : kCurrentLeaveMessage });
        EXPECT_EQ(box(c.box)->text(), QString::fromLatin1(c.reset));
        EXPECT_EQ(colour(c.box), windowText);
    }
    h.tick();
    EXPECT_TRUE(setpointLines().isEmpty());
}

// A value pasted into the box (no key release) while the button is enabled:
// the button's check refuses it and withdraws the request.
TEST_F(SetpointBoxesTest, PastedValueOverTheLimitIsNotSentByTheButton)
{
    type(1, QStringLiteral("1"));
    type(0, QStringLiteral("12"));
    ASSERT_TRUE(applyButton(0)->isEnabled());
    QTest::mouseClick(applyButton(0), Qt::LeftButton);
    box(0)->setText(QStringLiteral("99"));

    messages->clear();
    QTest::mouseClick(applyButton(0), Qt::LeftButton);
    EXPECT_EQ(messages->texts, QStringList { kVoltageMessage });
    EXPECT_EQ(box(0)->text(), QStringLiteral("0.00V"));
    h.tick();
    EXPECT_TRUE(setpointLines().isEmpty());
}

TEST_F(SetpointBoxesTest, GoodValueLeftBehindIsFormattedGreen)
{
    type(0, QStringLiteral("5,25"));
    click(box(1));
    EXPECT_EQ(box(0)->text(), QStringLiteral("05.3V"));
    EXPECT_EQ(colour(0), QColor(PanelColours::kAccepted));
    type(1, QStringLiteral("2"));
    click(box(0));
    EXPECT_EQ(box(1)->text(), QStringLiteral("2.00A"));
}

TEST_F(SetpointBoxesTest, OutputSwitchClickIsServedByTheNextTick)
{
    QLabel* image = h.find<QLabel>(QStringLiteral("ImageOnOff"));
    const qint64 before = image->pixmap().cacheKey();
    ASSERT_TRUE(h.supply->outputOn());

    QTest::mouseClick(image, Qt::LeftButton);
    EXPECT_TRUE(h.sent().isEmpty());

    h.tick();
    ASSERT_FALSE(h.sent().isEmpty());
    EXPECT_EQ(h.sent().first(), QStringLiteral("SOUT1"));
    EXPECT_FALSE(h.supply->outputOn());
    EXPECT_NE(image->pixmap().cacheKey(), before);
    EXPECT_EQ(image->toolTip(), QStringLiteral("Click to Output On"));
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
        const char* volt;
        const char* curr;
        const char* firstLine;
    } cases[] = {
        { "LcdPSetVC(0)", Qt::Key_Up, Qt::LeftButton, 1, "12.0", "1.00", "VOLT121" },
        { "LcdPSetVC(0)", Qt::Key_Down, Qt::RightButton, 1, "40.0", "1.00", "VOLT360" },
        { "LcdPSetVC(0)", Qt::Key_PageDown, Qt::RightButton, 10, "1.5", "1.00", "VOLT010" },
        { "LcdPSetVC(1)", Qt::Key_PageUp, Qt::LeftButton, 10, "12.0", "4.55", "CURR510" },
        { "LcdPSetVC(1)", Qt::Key_Left, Qt::NoButton, 0, "12.0", "1.00", "GETD" },
        { "ImageOnOff", Qt::Key_Space, Qt::LeftButton, 1, "12.0", "1.00", "SOUT1" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + QKeySequence(c.key).toString().toStdString());
        QWidget* control = h.find<QWidget>(QLatin1String(c.control));
        ASSERT_NE(nullptr, control);
        const auto linesAfter = [&](const std::function<void()>& act) {
            SupplySession& session = h.w().session();
            if (!h.supply->outputOn()) {
                session.requestOutput(true);
                h.tick();
            }
            // The displays' values, sent only where the limits allow.
            session.requestDisplaySetpoint(0, QLatin1String(c.volt));
            session.requestDisplaySetpoint(1, QLatin1String(c.curr));
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
        EXPECT_EQ(QLatin1String(c.firstLine), byKey.value(0));
    }
}

} // namespace

namespace {

// A move of the mouse as the window system delivers it, to whatever widget is
// under the cursor.
void MoveOver(QWidget* widget)
{
    QTest::mouseMove(widget, widget->rect().center());
    QCoreApplication::processEvents();
}

// A move over the front panel's own background, between its controls (not at
// 0,0, which the test library takes for the middle).
void MoveOverBackground(QWidget* panel)
{
    for (int y = 1; y < panel->height(); ++y) {
        for (int x = 1; x < panel->width(); ++x) {
            if (!panel->childAt(x, y)) {
                QTest::mouseMove(panel, QPoint(x, y));
                QCoreApplication::processEvents();
                return;
            }
        }
    }
    ADD_FAILURE() << "no background on the front panel";
}

TEST_F(SetpointBoxesTest, HoverHighlightsStayUntilTheMouseLeavesThem)
{
    SegmentDisplay* display = h.find<SegmentDisplay>(QStringLiteral("LcdPSetVC(0)"));
    QLabel* image = h.find<QLabel>(QStringLiteral("ImageOnOff"));
    QLabel* label = h.find<QLabel>(QStringLiteral("LcdOutput"));
    MoveOver(display);
    EXPECT_NE(display->foreground(), QColor(Qt::black)) << "highlighted under the mouse";
    MoveOver(h.find<QWidget>(QStringLiteral("PD")));
    EXPECT_EQ(display->foreground(), QColor(Qt::black)) << "the readings are not a set-point";
    MoveOver(display);

    QWidget* panel = h.find<QWidget>(QStringLiteral("LCD"));
    MoveOverBackground(panel);
    EXPECT_EQ(display->foreground(), QColor(Qt::black));
    MoveOver(image);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(PanelColours::kHighlight));
    EXPECT_EQ(image->toolTip(), QStringLiteral("Click to Output Off"));

    MoveOverBackground(panel);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(PanelColours::kBlack));

    MoveOver(display);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(panel, &leave);
    EXPECT_EQ(display->foreground(), QColor(Qt::black)) << "cleared on leaving the front panel";
}

TEST_F(SetpointBoxesTest, OnlyALeftClickSwitchesTheOutput)
{
    QLabel* image = h.find<QLabel>(QStringLiteral("ImageOnOff"));
    for (const Qt::MouseButton button : { Qt::RightButton, Qt::MiddleButton }) {
        QTest::mouseClick(image, button);
        QTest::mouseClick(h.find<QLabel>(QStringLiteral("LcdOutput")), button);
    }
    h.tick();
    EXPECT_EQ(h.sent(), QStringList { QStringLiteral("GETD") });
    QTest::mouseClick(image, Qt::LeftButton);
    h.tick();
    EXPECT_EQ(h.sent().mid(1), QStringList({ QStringLiteral("SOUT1"), QStringLiteral("GETD") }));
}

} // namespace

namespace {

TEST_F(SetpointBoxesTest, AClickIntoABoxSelectsItsTextSoTypingReplacesIt)
{
    click(box(1));
    click(box(0));
    QCoreApplication::processEvents();
    QTest::keyClick(box(0), Qt::Key_8);
    EXPECT_EQ(box(0)->text(), QStringLiteral("8"));
}

} // namespace
