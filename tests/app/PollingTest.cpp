#include "tests/app/PanelHarness.h"

#include "panel/SegmentDisplay.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

struct Polling : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(h.start());
        h.clearSent();
    }
    PanelHarness h;
};

} // namespace

TEST_F(Polling, ATickReadsTheOutputAndDrawsIt)
{
    h.supply->setSetpoint(125, 100);
    h.w().PollTick();
    EXPECT_EQ(h.sent(), QStringList({ "GETD" }));
    // 12.5 V into 10 ohm would be 1.25 A: the supply holds 1 A, so 10 V.
    EXPECT_EQ(h.s().VoltReading, "10.0");
    EXPECT_EQ(h.s().CurrReading, "1.00");
    EXPECT_FALSE(h.s().CvMode);
    EXPECT_TRUE(h.find<QLabel>("LcdMd(1)")->isVisibleTo(&h.w()));
    EXPECT_FALSE(h.find<QLabel>("LcdMd(0)")->isVisibleTo(&h.w()));
    EXPECT_EQ(h.s().PowerReading, "10");
}

// What a screen reader hears of the front panel follows each reading, each
// set-point step and each switch of the output.
TEST_F(Polling, TheFrontPanelTellsScreenReadersWhatItShows)
{
    h.w().show();
    h.supply->setSetpoint(125, 100);
    h.s().SetVoltText = "12.0";
    QTest::mouseClick(h.find<QWidget>("LcdPSetVC(0)"), Qt::LeftButton);
    h.w().PollTick();
    h.w().PollTick();

    const auto spoken = [&](const char* control, int row) {
        QAccessibleInterface* iface
            = QAccessible::queryAccessibleInterface(h.find<QWidget>(control));
        if (iface && row >= 0) {
            EXPECT_EQ(3, iface->childCount());
            iface = iface->child(row);
            EXPECT_EQ(row, iface ? iface->parent()->indexOfChild(iface) : -1);
        }
        return iface;
    };
    const struct {
        const char* control;
        int row; // -1: the control itself
        QAccessible::Role role;
        const char* name;
        const char* value;
    } cases[] = {
        { "PD", 0, QAccessible::StaticText, "Output voltage", "10.0 V" },
        { "PD", 1, QAccessible::StaticText, "Output current", "1.00 A" },
        { "PD", 2, QAccessible::StaticText, "Output power", "10 W" },
        { "LcdPSetVC(0)", -1, QAccessible::SpinBox, "Voltage set-point", "12.1 V" },
        { "ImageOnOff", -1, QAccessible::Button, "Output", "On" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QAccessibleInterface* iface = spoken(c.control, c.row);
        ASSERT_NE(nullptr, iface);
        EXPECT_EQ(c.role, iface->role());
        EXPECT_EQ(QLatin1String(c.name), iface->text(QAccessible::Name));
        EXPECT_EQ(QLatin1String(c.value), iface->text(QAccessible::Value));
    }
    EXPECT_TRUE(spoken("ImageOnOff", -1)->state().checked);

    h.s().OutputTogglePending = true;
    h.w().PollTick();
    EXPECT_EQ("Off", spoken("ImageOnOff", -1)->text(QAccessible::Value));
    EXPECT_FALSE(spoken("ImageOnOff", -1)->state().checked);
    EXPECT_EQ("0.0 V", spoken("PD", 0)->text(QAccessible::Value));
}

TEST_F(Polling, TypedSetPointsGoOutAloneVoltageFirst)
{
    h.s().TextSetValue = { "12.5V", "1.25A" };
    h.s().TextSetPending = { true, true };
    h.w().PollTick();
    EXPECT_EQ(h.sent(), QStringList({ "VOLT125" }));
    EXPECT_EQ(h.s().SetVoltText, "12.5");
    h.w().PollTick();
    EXPECT_EQ(h.sent(), QStringList({ "VOLT125", "CURR125" }));
    EXPECT_EQ(h.s().SetCurrText, "1.25");
    h.w().PollTick();
    EXPECT_EQ(h.sent().last(), "GETD");
}

TEST_F(Polling, AnUnacknowledgedVoltageIsSentAgain)
{
    h.s().TextSetValue[0] = "12.5V";
    h.s().TextSetPending[0] = true;
    h.setFaults("silent");
    h.w().PollTick();
    h.w().PollTick();
    EXPECT_TRUE(h.s().TextSetPending[0]);
    h.setFaults("none");
    h.w().PollTick();
    EXPECT_FALSE(h.s().TextSetPending[0]);
    // No reading is taken while the voltage waits for its acknowledgement.
    EXPECT_EQ(h.sent(), QStringList({ "VOLT125", "VOLT125", "VOLT125" }));
}

TEST_F(Polling, DisplaySetPointsGoOutTogetherWithoutAReading)
{
    h.s().SetVoltText = "10.0";
    h.s().SetCurrText = "0.50";
    h.s().DragSetPending = { true, true };
    h.w().PollTick();
    EXPECT_EQ(h.sent(), QStringList({ "VOLT100", "CURR050" }));
    EXPECT_FALSE(h.s().DragSetPending[0]);
    EXPECT_FALSE(h.s().DragSetPending[1]);
}

TEST_F(Polling, TheOutputSwitchSendsSoutThenReads)
{
    ASSERT_TRUE(h.supply->outputOn());
    h.s().OutputTogglePending = true;
    h.w().PollTick();
    EXPECT_EQ(h.sent(), QStringList({ "SOUT1", "GETD" }));
    EXPECT_FALSE(h.supply->outputOn());
    EXPECT_EQ(h.find<QLabel>("ImageOnOff")->toolTip(), "Click to Output On");
    h.s().OutputTogglePending = true;
    h.w().PollTick();
    EXPECT_TRUE(h.supply->outputOn());
    EXPECT_EQ(h.find<QLabel>("ImageOnOff")->toolTip(), "Click to Output Off");
}

TEST_F(Polling, MissedReadingsMarkTheReadingsThenHideThePanel)
{
    h.w().show();
    h.w().PollTick();
    const QString volts = h.s().VoltReading;
    auto* lcd = h.find<QFrame>("LCD");
    h.setFaults("silent");

    h.w().PollTick(); // the first failure changes nothing
    EXPECT_EQ(h.s().VoltReading, volts);
    EXPECT_TRUE(lcd->isVisible());

    h.w().PollTick(); // the second marks the readings missing
    EXPECT_EQ(h.s().VoltReading, "-1");
    EXPECT_EQ(h.s().CurrReading, "-1");
    EXPECT_FALSE(h.find<QLabel>("P_Light")->isVisible());
    EXPECT_TRUE(lcd->isVisible()); // the log has no missing sample yet

    h.s().LogSamples.record(h.s().VoltReading, h.s().CurrReading);
    h.w().PollTick();
    EXPECT_FALSE(lcd->isVisible());

    h.setFaults("none");
    h.w().PollTick();
    EXPECT_TRUE(lcd->isVisible());
    EXPECT_EQ(h.s().VoltReading, volts);
}

TEST_F(Polling, GarbageRepliesNeverShowAValue)
{
    h.w().PollTick();
    const QString volts = h.s().VoltReading;
    for (const char* fault : { "garbage", "truncate", "prefix", "split:300", "late:400" }) {
        h.setFaults(fault);
        h.w().PollTick();
        EXPECT_EQ(h.s().VoltReading == volts || h.s().VoltReading == "-1", true) << fault;
    }
}

TEST_F(Polling, ATickDuringATickDoesNothing)
{
    int nested = 0;
    QTimer::singleShot(0, &h.w(), [&] {
        ++nested;
        h.w().PollTick();
    });
    h.w().PollTick();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(h.sent(), QStringList({ "GETD" }));
}

TEST_F(Polling, TheTimerPollsOnlyAfterASuccessfulConnection)
{
    EXPECT_EQ(h.ui().TimerGetD->interval(), 800);
    EXPECT_TRUE(h.ui().TimerGetD->isActive());
    PanelHarness none(false);
    ASSERT_TRUE(none.start());
    EXPECT_FALSE(none.ui().TimerGetD->isActive());
}

TEST_F(Polling, ThePollLampBlinksInItsPlaceWithoutMovingTheLamps)
{
    h.w().show();
    auto* lamp = h.find<QLabel>("P_Light");
    auto* connection = h.find<QLabel>("ImageConent");
    auto* lock = h.find<QLabel>("ImageLock");
    ASSERT_FALSE(lamp->pixmap().isNull()) << "the lamp has a picture";
    ASSERT_FALSE(connection->pixmap().isNull());
    EXPECT_TRUE(connection->isVisible()) << "lit while the supply is in remote mode";

    h.w().PollTick();
    const bool litFirst = lamp->isVisible();
    const QPoint lockAt = lock->mapTo(&h.w(), QPoint(0, 0));
    h.w().PollTick();
    QCoreApplication::processEvents();
    EXPECT_NE(lamp->isVisible(), litFirst) << "one blink per good reading";
    EXPECT_EQ(lock->mapTo(&h.w(), QPoint(0, 0)), lockAt) << "the row does not shift";
    h.w().PollTick();
    QCoreApplication::processEvents();
    EXPECT_EQ(lamp->isVisible(), litFirst);
    EXPECT_EQ(lock->mapTo(&h.w(), QPoint(0, 0)), lockAt);
}

namespace {

// Runs action inside the first pause between two exchanges of the next tick
// (the port closed, the tick not over).
void BetweenExchanges(MainFrm& window, std::function<void()> action)
{
    auto* timer = new QTimer(&window);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, &window, [&window, timer, action] {
        if (window.link().isOpen())
            return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

} // namespace

TEST_F(Polling, ATickInThePauseAfterTheOutputSwitchDoesNothing)
{
    h.s().OutputTogglePending = true;
    int nested = 0;
    BetweenExchanges(h.w(), [&] {
        ++nested;
        h.w().PollTick();
    });
    h.w().PollTick();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(h.sent(), QStringList({ "SOUT1", "GETD" }));
}

TEST_F(Polling, AWindowClosedInThePauseOfATickSendsEndsLast)
{
    h.s().OutputTogglePending = true;
    BetweenExchanges(h.w(), [&] { h.w().close(); });
    h.w().PollTick();
    for (int i = 0; i < 20 && !h.sent().contains("ENDS"); ++i) {
        h.clock.advance(20);
        QTest::qWait(25);
    }
    EXPECT_EQ(h.sent(), QStringList({ "SOUT1", "GETD", "ENDS" }));
}

TEST_F(Polling, ThePollLampIsLitByTheFirstReadingAfterADropout)
{
    for (int good = 1; good <= 2; ++good) {
        SCOPED_TRACE(good);
        for (int i = 0; i < good; ++i)
            h.w().PollTick();
        h.setFaults("silent");
        h.w().PollTick();
        h.w().PollTick();
        EXPECT_TRUE(h.find<QLabel>("P_Light")->isHidden());
        h.setFaults("none");
        h.w().PollTick();
        EXPECT_FALSE(h.find<QLabel>("P_Light")->isHidden());
    }
}

TEST_F(Polling, RequestsMadeDuringTheirOwnSendingGoOutWithTheNextTick)
{
    h.w().show();
    auto* display = h.find<SegmentDisplay>("LcdPSetVC(0)");
    h.s().SetVoltText = "12.0";
    h.s().DragSetPending[0] = true;
    QTimer::singleShot(0, &h.w(), [&] { QTest::mouseClick(display, Qt::LeftButton); });
    h.w().PollTick();
    EXPECT_EQ(h.sent(), QStringList({ "VOLT120" }));
    EXPECT_EQ(h.s().SetVoltText, "12.1");
    h.w().PollTick();
    EXPECT_EQ(h.sent().last(), "VOLT121") << "the click in the wait is not lost";

    // A voltage typed and applied while the previous one is on its way.
    h.clearSent();
    h.s().TextSetValue[0] = "12.5V";
    h.s().TextSetPending[0] = true;
    QTimer::singleShot(0, &h.w(), [&] {
        h.s().TextSetValue[0] = "15.0V";
        h.s().TextSetPending[0] = true;
    });
    h.w().PollTick();
    EXPECT_EQ(h.s().SetVoltText, "12.5") << "what the supply acknowledged";
    EXPECT_TRUE(h.s().TextSetPending[0]);
    h.w().PollTick();
    EXPECT_EQ(h.sent(), QStringList({ "VOLT125", "VOLT150" }));
    EXPECT_EQ(h.s().SetVoltText, "15.0");
    EXPECT_FALSE(h.s().TextSetPending[0]);

    // Typed during the wait and not applied: never sent; the applied value
    // goes again until the supply acknowledges it.
    h.clearSent();
    h.setFaults("garbage");
    h.s().TextSetPending[0] = true;
    QTimer::singleShot(0, &h.w(), [&] { h.ui().TextSetVC[0]->setText("1"); });
    h.w().PollTick();
    h.setFaults("none");
    h.w().PollTick();
    EXPECT_EQ(h.sent().filter("VOLT"), QStringList({ "VOLT150", "VOLT150" }));
    EXPECT_FALSE(h.s().TextSetPending[0]);

    // The output switch clicked again while the first click is served.
    h.clearSent();
    h.s().OutputTogglePending = true;
    QTimer::singleShot(0, &h.w(), [&] { h.s().OutputTogglePending = true; });
    h.w().PollTick();
    h.w().PollTick();
    EXPECT_EQ(h.sent().filter("SOUT"), QStringList({ "SOUT1", "SOUT0" }));
}
