#include "tests/app/PanelHarness.h"

#include "panel/FrontPanel.h"
#include "panel/SegmentDisplay.h"
#include "programs/ProgramTable.h"
#include "storage/OvoltaDatabase.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString Panel(PanelHarness& h, int k)
{
    return h.find<QLabel>(QStringLiteral("StatusBar1.Panels(%1)").arg(k))->text();
}

} // namespace

TEST(StartUp, ConnectsToTheSupplyAndShowsItsModel)
{
    PanelHarness h;
    ASSERT_TRUE(h.start()) << h.startError.toStdString();

    EXPECT_EQ(h.sent(),
        QStringList({ "GMAX", "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM", "GETD" }));
    EXPECT_TRUE(h.p().connected);
    EXPECT_EQ(h.p().modelCode, "5812");
    EXPECT_EQ(h.p().currScale, 100);
    EXPECT_FLOAT_EQ(h.p().maxVolt, 36.0f);
    EXPECT_FLOAT_EQ(h.p().maxCurr, 5.1f);
    EXPECT_EQ(h.w().windowTitle(), "Rating: 36V 5A");
    EXPECT_EQ(Panel(h, 1), "Address : 00");
    EXPECT_EQ(Panel(h, 4), "MaxV : 36V");
    EXPECT_EQ(Panel(h, 5), "MaxC : 5.10A");
    EXPECT_EQ(Panel(h, 6), "Now Sampling : 3S");
    EXPECT_EQ(Panel(h, 7), "UVL : 36V , UCL : 5.1A");
    EXPECT_EQ(Panel(h, 8), "Ver : 1.0");
    EXPECT_EQ(h.find<QComboBox>("CboPort")->currentText(), "Com1");
    EXPECT_EQ(h.find<QTabWidget>("Tab1")->currentIndex(), 1);
    EXPECT_TRUE(h.ui().TimerPVC->isActive());
    EXPECT_EQ(h.w().tableE().dataRows(), 20);
    EXPECT_EQ(h.w().tableM().dataRows(), 3);
    EXPECT_TRUE(h.find<QLineEdit>("TextSetVC(0)")->isEnabled());
    EXPECT_EQ(h.find<QLineEdit>("TextUVL")->text(), "36V");
    EXPECT_EQ(h.find<QLineEdit>("TextUCL")->text(), "5.1A");
    // The first tick's reading is on the front panel at once.
    EXPECT_FALSE(h.p().voltReading.isEmpty());
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
    EXPECT_EQ(Panel(h, 7), "No Connection");
    EXPECT_EQ(Panel(h, 4), "MaxV : 0V");
    EXPECT_EQ(Panel(h, 5), "MaxC : 0A");
    const QByteArray written = h.transport.written();
    h.tick();
    EXPECT_EQ(h.transport.written(), written) << "no polling without a supply";
    EXPECT_FLOAT_EQ(h.w().chartRanges().ChartCMax, 5.0f);
    EXPECT_FLOAT_EQ(h.w().chartRanges().ChartVMax, 40.0f);
    EXPECT_FLOAT_EQ(h.w().chartRanges().ChartWMax, 200.0f);
    EXPECT_EQ(h.w().chartRanges().ChartTEnd, 120);
    EXPECT_FALSE(h.find<QPushButton>("CmdRunStop")->isEnabled());
    EXPECT_FALSE(h.find<QLineEdit>("TextSetVC(1)")->isEnabled());
    EXPECT_EQ(h.w().tableE().dataRows(), 0);
    EXPECT_EQ(h.find<QComboBox>("CboPort")->count(), 0);
}

TEST(StartUp, AnUnansweredModelQueryStillConnects)
{
    PanelHarness h;
    h.setFaults("silent-after:2:3"); // both GMAX pass; GMOD is asked three times, unanswered
    ASSERT_TRUE(h.start());
    EXPECT_TRUE(h.p().connected);
    EXPECT_EQ(h.p().modelCode, "");
    EXPECT_EQ(h.p().currScale, 100);
    EXPECT_EQ(h.p().currFormat, "0.00");
    EXPECT_EQ(h.w().windowTitle(), "Rating: ");
}

TEST(StartUp, AModelQueryLostOnceIsAskedAgain)
{
    // A supply counting tenths of an ampere must not be taken for one counting hundredths.
    PanelHarness h(true, *SupplyModel::find("5810"));
    h.setFaults("silent-after:2:1");
    ASSERT_TRUE(h.start());
    EXPECT_EQ(h.p().modelCode, "5810");
    EXPECT_EQ(h.p().currScale, 10);
    EXPECT_EQ(h.w().windowTitle(), "Rating: 18V 10A");
}

TEST(StartUp, TheHigherOfTwoAnsweringPortsIsChosen)
{
    PanelHarness h;
    h.transport.attachSupply(3);
    h.transport.addEmptyPort(2);
    ASSERT_TRUE(h.start());
    EXPECT_EQ(h.s().CommPortNo, 3);
    EXPECT_EQ(h.find<QComboBox>("CboPort")->currentText(), "Com3");
    EXPECT_TRUE(h.p().connected);
    // The supply on Com1 was never asked: the search runs from the highest port down.
    EXPECT_TRUE(h.sent().isEmpty());
}

// Another program's port, searched or saved, gets nothing; it stays listed.
TEST(StartUp, APortAnotherProgramHoldsGetsNothing)
{
    for (const bool supplyOnCom1 : { true, false }) {
        SCOPED_TRACE(supplyOnCom1);
        PanelHarness h(supplyOnCom1);
        const VirtualSupply& held = h.transport.attachSupply(2);
        {
            auto db = OvoltaDatabase::OpenDatabase(h.dir.path());
            ASSERT_TRUE(db);
            ASSERT_TRUE((*db)->storeCommPort(2));
        }
        const std::unique_ptr<PortLock> other = h.anotherProgram();
        ASSERT_TRUE(other->claim(2));
        ASSERT_TRUE(h.start());
        EXPECT_EQ(h.p().connected, supplyOnCom1);
        EXPECT_TRUE(held.receivedLines().isEmpty()) << held.receivedLines().join(" ").toStdString();
        EXPECT_NE(h.find<QComboBox>("CboPort")->findText("Com2"), -1);
    }
}

TEST(StartUp, WithNoAnswerTheSavedPortIsSelected)
{
    PanelHarness h(false);
    h.transport.addEmptyPort(1);
    h.transport.addEmptyPort(3);
    {
        auto db = OvoltaDatabase::OpenDatabase(h.dir.path());
        ASSERT_TRUE(db);
        ASSERT_TRUE((*db)->storeCommPort(3));
    }
    ASSERT_TRUE(h.start());
    EXPECT_EQ(h.find<QComboBox>("CboPort")->currentText(), "Com3");
    EXPECT_EQ(h.transport.portNumber(), 3);
}

TEST(StartUp, ASavedPortThatIsNotListedIsStillUsed)
{
    PanelHarness h(false);
    h.transport.addEmptyPort(1);
    {
        auto db = OvoltaDatabase::OpenDatabase(h.dir.path());
        ASSERT_TRUE(db);
        ASSERT_TRUE((*db)->storeCommPort(7));
    }
    ASSERT_TRUE(h.start());
    EXPECT_EQ(h.find<QComboBox>("CboPort")->currentIndex(), -1);
    EXPECT_EQ(h.transport.portNumber(), 7);
}

TEST(StartUp, ADamagedDatabaseStopsStartUpAndIsLeftAlone)
{
    PanelHarness h;
    const QString path = h.dir.filePath("Ovolta.DB");
    QByteArray garbage(4096, '\x5a');
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(garbage);
    }
    EXPECT_FALSE(h.start());
    EXPECT_FALSE(h.startError.isEmpty());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), garbage);
    EXPECT_TRUE(h.sent().isEmpty()); // nothing reached the supply
}

// The port is the panel's from the first command to "ENDS".
TEST(Shutdown, ClosingAfterAConnectionSendsEnds)
{
    PanelHarness h;
    ASSERT_TRUE(h.start());
    const std::unique_ptr<PortLock> other = h.anotherProgram();
    EXPECT_FALSE(other->claim(1));
    h.clearSent();
    h.w().close();
    h.settle();
    EXPECT_EQ(h.sent(), QStringList({ "ENDS" }));
    EXPECT_TRUE(other->claim(1));
}

TEST(Shutdown, ClosingAfterAFailedConnectionSendsNothing)
{
    PanelHarness h(false);
    h.transport.addEmptyPort(1);
    ASSERT_TRUE(h.start());
    EXPECT_TRUE(h.anotherProgram()->claim(1)) << "a port without a supply stays free";
    const QByteArray before = h.transport.written();
    h.w().close();
    h.settle();
    EXPECT_EQ(h.transport.written(), before);
}

TEST(Shutdown, AClosedWindowDuringATransactionWaitsForIt)
{
    PanelHarness h;
    ASSERT_TRUE(h.start());
    h.w().show();
    h.clearSent();
    h.startTick(); // "GETD" is on the line
    h.w().close();
    EXPECT_TRUE(h.w().isVisible());
    h.settle();
    QCoreApplication::processEvents();
    EXPECT_EQ(h.sent(), QStringList({ "GETD", "ENDS" }));
    EXPECT_FALSE(h.w().isVisible());
}

// A quit asked for during start-up (a signal) ends it after the step under way:
// the supply gets "ENDS" when "SESS" went out, and nothing more otherwise.
TEST(StartUp, AQuitDuringStartUpEndsItAndLeavesNoSupplyInRemoteMode)
{
    struct Case {
        const char* heard;
        QStringList sent;
    };
    const Case cases[] = {
        { "GMAX", { "GMAX" } },
        { "SESS",
            { "GMAX", "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM", "GETD", "ENDS" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.heard);
        PanelHarness h;
        h.window = std::make_unique<MainFrm>(
            MainFrmDeps { h.transport, h.clock, h.timers, h.dir.path(), {}, {}, &h.portLock });
        bool finished = false;
        QObject::connect(&h.w(), &MainFrm::finished, [&] { finished = true; });
        ASSERT_TRUE(h.w().StartUp(&h.startError));
        h.timers.runUntil([&] { return h.sent().contains(QString::fromLatin1(c.heard)); });
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
    VirtualSupply& other = h.transport.attachSupply(2, *SupplyModel::find("5810"));
    other.setSetpoint(75, 20);
    ASSERT_TRUE(h.start()); // the higher port, Com2
    ASSERT_EQ(h.p().setVoltText, "7.5");

    h.s().CommPortNo = 1;
    h.w().ConnectSupply();
    h.settle();
    ASSERT_TRUE(h.p().connected);
    EXPECT_EQ(h.p().setVoltText, "12.0");
    EXPECT_EQ(h.p().setCurrText, "1.50");
    EXPECT_EQ(h.ui().LcdPSetVC[0]->strokes(), FrontPanel::DrawSetpointDisplay("12.0"));
    EXPECT_EQ(h.ui().LcdPSetVC[1]->strokes(), FrontPanel::DrawSetpointDisplay("1.50"));
}
