#include "panel/SetpointClicks.h"

#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

SetpointState State(const char* volt, const char* curr, float uvl = 30, float ucl = 2.5f,
    const char* format = "0.00")
{
    SetpointState s;
    s.setVoltText = QString::fromLatin1(volt);
    s.setCurrText = QString::fromLatin1(curr);
    s.uvl = uvl;
    s.ucl = ucl;
    s.currFormat = QString::fromLatin1(format);
    return s;
}

constexpr auto L = Qt::LeftButton;
constexpr auto R = Qt::RightButton;
const std::optional<QString> kNone;

// A click steps the display by 0.1 within 1 V .. UVL or 0.1 A .. UCL; the
// step never goes past a limit, and a value above a lowered limit comes down to it.
TEST(SetpointClicks, Steps)
{
    const struct {
        int index; // 0 voltage, 1 current
        const char* text;
        float limit;
        const char* format;
        Qt::MouseButton button;
        std::optional<QString> result;
    } cases[] = { { 0, "5.0", 30, "", L, "5.1" }, { 0, "29.9", 30, "", L, "30.0" },
        { 0, "30.0", 30, "", L, kNone }, { 0, "30.0", 30, "", R, "29.9" },
        { 0, "1.0", 30, "", R, kNone }, { 0, "1.1", 30, "", R, "1.0" },
        { 0, "0.0", 30, "", L, "0.1" }, { 0, "25.0", 12.5f, "", R, "12.5" },
        { 0, "25.0", 12.5f, "", L, kNone }, { 0, "12,5", 30, "", L, "12.6" },
        { 0, "junk", 30, "", L, "0.1" }, { 0, "junk", 30, "", R, kNone },
        { 0, "5.0", 30, "", Qt::MiddleButton, kNone }, { 1, "1.00", 2.5f, "0.00", L, "1.10" },
        { 1, "2.45", 2.5f, "0.00", L, "2.50" }, { 1, "2.50", 2.5f, "0.00", L, kNone },
        { 1, "2.50", 2.5f, "0.00", R, "2.40" }, { 1, "0.10", 2.5f, "0.00", R, kNone },
        { 1, "0.15", 2.5f, "0.00", R, "0.05" }, { 1, "0.05", 2.5f, "0.00", R, kNone },
        { 1, "1.0", 2.5f, "0.0", R, "0.9" }, { 1, "3.0", 2.5f, "0.0", L, "2.5" },
        { 1, "1,5", 2.5f, "0.0", L, "1.6" }, { 1, "", 2.5f, "0.00", L, "0.10" },
        { 1, "", 2.5f, "0.00", R, kNone } };
    for (const auto& c : cases) {
        const SetpointState state = c.index == 0 ? State(c.text, "1.00", c.limit)
                                                 : State("5.0", c.text, 30, c.limit, c.format);
        EXPECT_EQ(SetpointClicks::Clicked(c.index, c.button, state), c.result)
            << c.index << " " << c.text << " limit " << c.limit << " button " << c.button;
    }
}

TEST(SetpointClicks, NothingWhileTheExternalProgramRunsOrOnABadIndex)
{
    SetpointState running = State("5.0", "1.00");
    running.extProgramRunning = true;
    EXPECT_EQ(SetpointClicks::Clicked(0, L, running), kNone);
    EXPECT_EQ(SetpointClicks::Clicked(1, R, running), kNone);
    EXPECT_FALSE(SetpointClicks::ClickHighlights(L, running));
    EXPECT_EQ(SetpointClicks::HoverHint(0, running), kNone);

    const SetpointState idle = State("5.0", "1.00");
    EXPECT_TRUE(SetpointClicks::ClickHighlights(R, idle));
    EXPECT_FALSE(SetpointClicks::ClickHighlights(Qt::MiddleButton, idle));
    for (const int index : { -1, 2 }) {
        EXPECT_EQ(SetpointClicks::Clicked(index, L, idle), kNone) << index;
        EXPECT_EQ(SetpointClicks::HoverHint(index, idle), kNone) << index;
    }
}

// The hint offers only the steps a click would make.
TEST(SetpointClicks, HoverHints)
{
    const QString up = QStringLiteral("Left Click +0.1");
    const QString both = QStringLiteral("Left Click +0.1 , Right Click -0.1");
    const QString down = QStringLiteral("Right Click -0.1");
    const struct {
        int index;
        const char* volt;
        const char* curr;
        QString hint;
    } cases[] = { { 0, "1.0", "1.00", up }, { 0, "0.0", "1.00", up }, { 0, "1.1", "1.00", both },
        { 0, "30.0", "1.00", down }, { 0, "30.5", "1.00", QStringLiteral("Right Click = UVL") },
        { 1, "5.0", "0.10", up }, { 1, "5.0", "0.11", both }, { 1, "5.0", "2.50", down },
        { 1, "5.0", "3.00", down }, { 0, "12,5", "1.00", both }, { 1, "5.0", "", up } };
    for (const auto& c : cases) {
        EXPECT_EQ(SetpointClicks::HoverHint(c.index, State(c.volt, c.curr)), c.hint)
            << c.index << " " << c.volt << " " << c.curr;
    }
}

} // namespace
