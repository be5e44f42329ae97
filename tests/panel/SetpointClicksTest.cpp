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

TEST(SetpointClicks, VoltageSteps)
{
    const struct {
        const char* volt;
        float uvl;
        Qt::MouseButton button;
        std::optional<QString> result;
    } cases[] = {
        { "5.0", 30, L, QStringLiteral("5.1") },
        { "5.0", 30, R, QStringLiteral("4.9") },
        { "29.9", 30, L, QStringLiteral("30.0") },
        { "30.0", 30, L, std::nullopt }, // at UVL
        { "30.0", 30, R, QStringLiteral("29.9") },
        { "1.0", 30, R, std::nullopt }, // the bottom
        { "1.1", 30, R, QStringLiteral("1.0") },
        { "1.0", 30, L, QStringLiteral("1.1") },
        { "0.0", 30, L, QStringLiteral("0.1") },
        { "25.0", 12.5f, R, QStringLiteral("12.5") }, // above a lowered UVL: exactly UVL
        { "25.0", 12.5f, L, std::nullopt },
        { "12,5", 30, L, QStringLiteral("12.6") }, // decimal comma
        { "junk", 30, L, QStringLiteral("0.1") },
        { "junk", 30, R, std::nullopt },
        { "5.0", 30, Qt::MiddleButton, std::nullopt },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SetpointClicks::Clicked(0, c.button, State(c.volt, "1.00", c.uvl)), c.result)
            << c.volt << " uvl " << c.uvl << " button " << c.button;
    }
}

TEST(SetpointClicks, CurrentSteps)
{
    const struct {
        const char* curr;
        const char* format;
        Qt::MouseButton button;
        std::optional<QString> result;
    } cases[] = {
        { "1.00", "0.00", L, QStringLiteral("1.10") },
        { "2.45", "0.00", L, QStringLiteral("2.50") }, // UCL - 0.05 sets UCL
        { "2.40", "0.00", L, QStringLiteral("2.50") },
        { "2.50", "0.00", L, std::nullopt }, // at UCL
        { "2.50", "0.00", R, QStringLiteral("2.40") },
        { "0.10", "0.00", R, std::nullopt },
        { "0.15", "0.00", R, QStringLiteral("0.05") },
        { "0.05", "0.00", R, std::nullopt },
        { "1.0", "0.0", L, QStringLiteral("1.1") },
        { "1.0", "0.0", R, QStringLiteral("0.9") },
        { "3.0", "0.0", L, QStringLiteral("2.5") }, // above a lowered UCL
        { "1,5", "0.0", L, QStringLiteral("1.6") },
        { "", "0.00", L, QStringLiteral("0.10") },
        { "", "0.00", R, std::nullopt },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SetpointClicks::Clicked(1, c.button, State("5.0", c.curr, 30, 2.5f, c.format)),
            c.result)
            << c.curr << " " << c.format << " button " << c.button;
    }
}

TEST(SetpointClicks, NothingWhileTheExternalProgramRunsOrOnABadIndex)
{
    SetpointState running = State("5.0", "1.00");
    running.extProgramRunning = true;
    EXPECT_EQ(SetpointClicks::Clicked(0, L, running), std::nullopt);
    EXPECT_EQ(SetpointClicks::Clicked(1, R, running), std::nullopt);
    EXPECT_FALSE(SetpointClicks::ClickHighlights(L, running));
    EXPECT_EQ(SetpointClicks::HoverHint(0, running), std::nullopt);

    const SetpointState idle = State("5.0", "1.00");
    EXPECT_TRUE(SetpointClicks::ClickHighlights(R, idle));
    EXPECT_FALSE(SetpointClicks::ClickHighlights(Qt::MiddleButton, idle));
    for (const int index : { -1, 2, 99 }) {
        EXPECT_EQ(SetpointClicks::Clicked(index, L, idle), std::nullopt) << index;
        EXPECT_EQ(SetpointClicks::HoverHint(index, idle), std::nullopt) << index;
    }
}

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
    } cases[] = {
        { 0, "1.0", "1.00", up },
        { 0, "0.0", "1.00", up },
        { 0, "1.1", "1.00", both },
        { 0, "30.0", "1.00", down },
        { 0, "30.5", "1.00", QStringLiteral("Right Click = UVL") },
        { 1, "5.0", "0.10", up },
        { 1, "5.0", "0.11", both },
        { 1, "5.0", "2.50", down },
        { 1, "5.0", "3.00", down },
        { 0, "12,5", "1.00", both },
        { 1, "5.0", "", up },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SetpointClicks::HoverHint(c.index, State(c.volt, c.curr)), c.hint)
            << c.index << " " << c.volt << " " << c.curr;
    }
}

} // namespace
