#include "tests/app/PanelHarness.h"

#include "panel/FrontPanel.h"
#include "panel/SegmentDisplay.h"
#include "programs/ProgramTable.h"
#include "storage/OvoltaDatabase.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

const QStringList kConnection { "GMAX", "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM",
    "GETD" };

// The port an earlier run saved in the harness's data folder.
void SavePort(PanelHarness& h, int port)
{
    auto db = OvoltaDatabase::OpenDatabase(h.dir.path());
    ASSERT_TRUE(db);
    ASSERT_TRUE((*db)->storeCommPort(port));
}

QComboBox* Ports(PanelHarness& h)
{
    return h.find<QComboBox>("CboPort");
}

} // namespace

TEST(StartUp, ConnectsToTheSupplyAndShowsItsModel)
{
    PanelHarness h;
    ASSERT_TRUE(h.start()) << h.startError.toStdString();
    EXPECT_EQ(h.sent(), kConnection);
    EXPECT_TRUE(h.p().connected);
    EXPECT_EQ(h.p().modelCode, "5812");
    EXPECT_EQ(h.p().currScale, 100);
    EXPECT_FLOAT_EQ(h.p().maxVolt, 36.0f);
    EXPECT_FLOAT_EQ(h.p().maxCurr, 5.1f);
    EXPECT_EQ(h.w().windowTitle(), "Rating: 36V 5A");
    EXPECT_EQ(Ports(h)->currentText(), "Com1");
    EXPECT_EQ(h.w().tableE().dataRows(), 20);
    EXPECT_EQ(h.w().tableM().dataRows(), 3);
    // The first tick's reading is on the front panel at once.
    EXPECT_FALSE(h.find<SegmentDisplay>("PD")->strokes().isEmpty());
    h.clearSent();
    h.tick();
    EXPECT_EQ(h.sent(), QStringList { "GETD" }) << "polling";
}

TEST(StartUp, WithoutASupplyTheWindowShowsNoConnection)
{
    PanelHarness h(false);
    ASSERT_TRUE(h.start());
    EXPECT_FALSE(h.p().connected);
    EXPECT_EQ(h.w().windowTitle(), "Rating: ");
    EXPECT_EQ(h.find<QLabel>("StatusBar1.Panels(7)")->text(), "No Connection");
    const QByteArray written = h.transport.written();
    h.tick();
    EXPECT_EQ(h.transport.written(), written) << "no polling without a supply";
    EXPECT_FLOAT_EQ(h.w().chartRanges().ChartVMax, 40.0f);
    EXPECT_FALSE(h.find<QPushButton>("CmdRunStop")->isEnabled());
    EXPECT_FALSE(h.find<QLineEdit>("TextSetVC(1)")->isEnabled());
    EXPECT_EQ(h.w().tableE().dataRows(), 0);
    EXPECT_EQ(Ports(h)->count(), 0);
}

// An unanswered model query still connects; one lost once is asked again, so
// that a supply counting tenths of an ampere is not taken for one counting hundredths.
TEST(StartUp, ModelQueriesLostOnTheLine)
{
    const struct {
        const char *model, *faults, *code;
        int scale;
        const char* title;
    } cases[] = {
        { "5812", "silent-after:2:3", "", 100, "Rating: " }, // GMOD asked three times
        { "5810", "silent-after:2:1", "5810", 10, "Rating: 18V 10A" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        PanelHarness h(true, *SupplyModel::find(c.model));
        h.setFaults(c.faults);
        ASSERT_TRUE(h.start());
        EXPECT_TRUE(h.p().connected);
        EXPECT_EQ(h.p().modelCode, c.code);
        EXPECT_EQ(h.p().currScale, c.scale);
        EXPECT_EQ(h.w().windowTitle(), c.title);
    }
}

// With no answer the saved port is used, listed or not.
TEST(StartUp, WithNoAnswerTheSavedPortIsUsed)
{
    for (const auto& [saved, index] : { std::pair { 3, 1 }, std::pair { 7, -1 } }) {
        SCOPED_TRACE(saved);
        PanelHarness h(false);
        h.transport.addEmptyPort(1);
        h.transport.addEmptyPort(3);
        ASSERT_NO_FATAL_FAILURE(SavePort(h, saved));
        ASSERT_TRUE(h.start());
        EXPECT_EQ(Ports(h)->currentIndex(), index);
        EXPECT_EQ(h.transport.portNumber(), saved);
    }
}

// Another program's port, searched or saved, gets nothing; it stays listed.
TEST(StartUp, APortAnotherProgramHoldsGetsNothing)
{
    for (const bool supplyOnCom1 : { true, false }) {
        SCOPED_TRACE(supplyOnCom1);
        PanelHarness h(supplyOnCom1);
        const VirtualSupply& held = h.transport.attachSupply(2);
        ASSERT_NO_FATAL_FAILURE(SavePort(h, 2));
        const std::unique_ptr<PortLock> other = h.anotherProgram();
        ASSERT_TRUE(other->claim(2));
        ASSERT_TRUE(h.start());
        EXPECT_EQ(h.p().connected, supplyOnCom1);
        EXPECT_TRUE(held.receivedLines().isEmpty()) << held.receivedLines().join(" ").toStdString();
        EXPECT_NE(Ports(h)->findText("Com2"), -1);
    }
}

// The port is the panel's from the first command to "ENDS"; a port without a
// supply stays free and hears nothing at the close.
TEST(Shutdown, ClosingSendsEndsOnlyAfterAConnection)
{
    for (const bool withSupply : { true, false }) {
        SCOPED_TRACE(withSupply);
        PanelHarness h(withSupply);
        if (!withSupply)
            h.transport.addEmptyPort(1);
        ASSERT_TRUE(h.start());
        const std::unique_ptr<PortLock> other = h.anotherProgram();
        EXPECT_EQ(other->claim(1), !withSupply);
        other->release();
        const QByteArray before = h.transport.written();
        h.w().close();
        h.settle();
        EXPECT_EQ(h.transport.written().mid(before.size()), withSupply ? "ENDS\r" : "");
        EXPECT_TRUE(other->claim(1));
    }
}

// A quit asked for during start-up (a signal) ends it after the step under way:
// the supply gets "ENDS" when "SESS" went out, and nothing more otherwise.
TEST(StartUp, AQuitDuringStartUpEndsItAndLeavesNoSupplyInRemoteMode)
{
    const struct {
        const char* heard;
        QStringList sent;
    } cases[] = { { "GMAX", { "GMAX" } }, { "SESS", kConnection + QStringList { "ENDS" } } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.heard);
        PanelHarness h;
        h.window = std::make_unique<MainFrm>(
            MainFrmDeps { h.transport, h.clock, h.timers, h.dir.path(), {}, {}, &h.portLock });
        bool finished = false;
        QObject::connect(&h.w(), &MainFrm::finished, [&] { finished = true; });
        ASSERT_TRUE(h.w().StartUp(&h.startError));
        h.timers.runUntil([&] { return h.sent().contains(c.heard); });
        h.w().RequestQuit();
        h.settle();
        EXPECT_TRUE(finished);
        EXPECT_EQ(h.sent(), c.sent);
        h.timers.advance(10000);
        EXPECT_EQ(h.sent(), c.sent) << "nothing after the end";
    }
}

TEST(StartUp, ConnectingToAnotherSupplyShowsItsSetPoints)
{
    PanelHarness h;
    h.supply->setSetpoint(120, 150);
    h.transport.attachSupply(2, *SupplyModel::find("5810")).setSetpoint(75, 20);
    ASSERT_TRUE(h.start()); // the higher port, Com2
    ASSERT_EQ(h.p().setVoltText, "7.5");

    h.s().CommPortNo = 1;
    h.w().ConnectSupply();
    h.settle();
    ASSERT_TRUE(h.p().connected);
    EXPECT_EQ(h.ui().LcdPSetVC[0]->strokes(), FrontPanel::DrawSetpointDisplay("12.0"));
    EXPECT_EQ(h.ui().LcdPSetVC[1]->strokes(), FrontPanel::DrawSetpointDisplay("1.50"));
}
