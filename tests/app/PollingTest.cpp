// The front panel draws what the session reads; the order of the requests a
// tick serves is the session's own (see the session tests). A supply that
// stops answering is FaultTest's.

#include "tests/app/PanelHarness.h"

#include "panel/SegmentDisplay.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Polling : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(h.start());
        h.w().show();
        h.clearSent();
    }
    // What a screen reader hears of the control, or of its row.
    QAccessibleInterface* spoken(const char* control, int row = -1)
    {
        QAccessibleInterface* iface
            = QAccessible::queryAccessibleInterface(h.find<QWidget>(control));
        return iface && row >= 0 ? iface->child(row) : iface;
    }
    PanelHarness h;
};

// What the panel shows and a screen reader hears follows each reading, each
// set-point step and each switch of the output.
TEST_F(Polling, TheFrontPanelShowsAndTellsEachReading)
{
    h.supply->setSetpoint(125, 100);
    h.tick();
    EXPECT_EQ(h.sent(), QStringList({ "GETD" }));
    // 12.5 V into 10 ohm would be 1.25 A: the supply holds 1 A, so 10 V.
    EXPECT_TRUE(h.find<QLabel>("LcdMd(1)")->isVisibleTo(&h.w()));
    EXPECT_FALSE(h.find<QLabel>("LcdMd(0)")->isVisibleTo(&h.w()));
    QTest::mouseClick(h.find<QWidget>("LcdPSetVC(0)"), Qt::LeftButton);
    EXPECT_EQ(h.p().setVoltText, "5.1") << "one step up from what the supply told";
    h.tick();
    EXPECT_EQ(h.sent().last(), "VOLT051");

    ASSERT_EQ(3, spoken("PD")->childCount());
    const struct {
        const char* control;
        int row; // -1: the control itself
        QAccessible::Role role;
        const char *name, *value;
    } cases[] = {
        { "PD", 0, QAccessible::StaticText, "Output voltage", "10.0 V" },
        { "PD", 1, QAccessible::StaticText, "Output current", "1.00 A" },
        { "PD", 2, QAccessible::StaticText, "Output power", "10 W" },
        { "LcdPSetVC(0)", -1, QAccessible::SpinBox, "Voltage set-point", "5.1 V" },
        { "ImageOnOff", -1, QAccessible::Button, "Output", "On" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QAccessibleInterface* iface = spoken(c.control, c.row);
        ASSERT_NE(nullptr, iface);
        EXPECT_EQ(c.role, iface->role());
        EXPECT_EQ(c.name, iface->text(QAccessible::Name));
        EXPECT_EQ(c.value, iface->text(QAccessible::Value));
    }
    EXPECT_TRUE(spoken("ImageOnOff")->state().checked);

    QTest::mouseClick(h.find<QWidget>("ImageOnOff"), Qt::LeftButton);
    h.tick();
    EXPECT_EQ(h.sent().mid(2), QStringList({ "SOUT1", "GETD" }));
    EXPECT_EQ("Off", spoken("ImageOnOff")->text(QAccessible::Value));
    EXPECT_FALSE(spoken("ImageOnOff")->state().checked);
    EXPECT_EQ("0.0 V", spoken("PD", 0)->text(QAccessible::Value));
}

TEST_F(Polling, ThePollLampBlinksInItsPlaceWithoutMovingTheLamps)
{
    auto* lamp = h.find<QLabel>("P_Light");
    auto* lock = h.find<QLabel>("ImageLock");
    EXPECT_TRUE(h.find<QLabel>("ImageConent")->isVisible()) << "lit while in remote mode";
    h.tick();
    const bool litFirst = lamp->isVisible();
    const QPoint lockAt = lock->mapTo(&h.w(), QPoint(0, 0));
    h.tick();
    QCoreApplication::processEvents();
    EXPECT_NE(lamp->isVisible(), litFirst) << "one blink per good reading";
    EXPECT_EQ(lock->mapTo(&h.w(), QPoint(0, 0)), lockAt) << "the row does not shift";
}

// A click while an exchange is on the line waits for the next tick; a close
// lets the exchange finish and "ENDS" is the last line.
TEST_F(Polling, RequestsDuringAnExchangeWaitTheirTurnAndEndsIsLast)
{
    const QString before = h.p().setVoltText;
    QTest::mouseClick(h.find<QWidget>("ImageOnOff"), Qt::LeftButton);
    h.startTick(); // the tick's "SOUT" is on the line
    ASSERT_FALSE(h.w().session().isIdle());
    QTest::mouseClick(h.find<QWidget>("LcdPSetVC(0)"), Qt::LeftButton);
    h.settle();
    EXPECT_EQ(h.sent(), QStringList({ "SOUT1", "GETD" }));
    h.tick();
    EXPECT_EQ(h.sent().last().left(4), "VOLT") << "the click in the wait is not lost";
    EXPECT_NE(h.p().setVoltText, before);

    h.clearSent();
    QTest::mouseClick(h.find<QWidget>("ImageOnOff"), Qt::LeftButton);
    h.startTick();
    h.w().close();
    EXPECT_TRUE(h.w().isVisible()) << "the window waits for the exchange";
    h.settle();
    QCoreApplication::processEvents();
    EXPECT_EQ(h.sent(), QStringList({ "SOUT0", "GETD", "ENDS" }));
    EXPECT_FALSE(h.w().isVisible());
}

} // namespace
