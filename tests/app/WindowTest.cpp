// Start-up, polling, the close, and the Setting, Data Log and supply-list boxes wired to the
// session.

#include "datalog/ChartWidget.h"
#include "storage/SupplyList.h"
#include "tests/app/WindowFixture.h"

#include <QAbstractItemView>
#include <QAccessible>

namespace {

void SavePort(PanelHarness& h, int port)
{
    auto db = OvoltaDatabase::OpenDatabase(h.dir.path());
    ASSERT_TRUE(db);
    ASSERT_TRUE((*db)->storeCommPort(port));
}

// The window shown on the given tab, a supply on Com1 and an empty Com3; nothing sent yet.
template <int kTab> struct Window : WindowFixture {
    void SetUp() override
    {
        h.transport.addEmptyPort(3);
        ASSERT_NO_FATAL_FAILURE(showWindow());
        showTab(kTab);
        h.clearSent();
    }
    static void Append(QLineEdit* box, const QString& text)
    {
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClicks(box, text);
    }
    QComboBox* box(const char* name) { return h.find<QComboBox>(name); }
    QLineEdit* uvl() { return h.ui().TextUVL; }
    QLineEdit* ucl() { return h.ui().TextUCL; }
    QLineEdit* location() { return h.ui().TextLocation; }
    // Clicks into a limit box, replaces its text by typing, and leaves it.
    void typeAndLeave(QLineEdit* limit, const QString& text)
    {
        click(limit);
        Retype(limit, text);
        click(limit == uvl() ? ucl() : uvl());
    }
    std::size_t segments() { return h.ui().PP->traces().volts.size(); }

    MessageBoxes boxes;
};

using Polling = Window<1>;
using DataLogTabTest = Window<3>;
using SettingsPageTest = Window<4>;

} // namespace

// With no answer the saved port is used, listed or not, and nothing polled; another program's
// port, searched or saved, gets nothing and stays listed.
TEST(StartUp, SavedPortsAndPortsOfOtherPrograms)
{
    for (const auto& [saved, index] : { std::pair { 3, 1 }, std::pair { 7, -1 } }) {
        SCOPED_TRACE(saved);
        PanelHarness h(false);
        h.transport.addEmptyPort(1);
        h.transport.addEmptyPort(3);
        ASSERT_NO_FATAL_FAILURE(SavePort(h, saved));
        ASSERT_TRUE(h.start());
        EXPECT_EQ(h.find<QComboBox>("CboPort")->currentIndex(), index);
        EXPECT_EQ(h.transport.portNumber(), saved);
        EXPECT_EQ(QStringList({ h.w().windowTitle(), h.panel(7) }),
            QStringList({ "Rating: ", "No Connection" }));
        const QByteArray written = h.transport.written();
        h.tick();
        EXPECT_EQ(h.transport.written(), written) << "no polling without a supply";
        EXPECT_FLOAT_EQ(h.w().chartRanges().ChartVMax, 40.0f);
    }
    PanelHarness h(false); // the search skipping held ports is the session's
    const VirtualSupply& held = h.transport.attachSupply(2);
    ASSERT_NO_FATAL_FAILURE(SavePort(h, 2));
    const std::unique_ptr<PortLock> other = h.anotherProgram();
    ASSERT_TRUE(other->claim(2));
    ASSERT_TRUE(h.start());
    EXPECT_FALSE(h.p().connected);
    EXPECT_TRUE(held.receivedLines().isEmpty());
    EXPECT_NE(h.find<QComboBox>("CboPort")->findText("Com2"), -1);
}

// A quit asked for during start-up (a signal) ends it after the step under way:
// the supply gets "ENDS" when "SESS" went out, and nothing more otherwise; the port is free.
TEST(StartUp, AQuitDuringStartUpEndsItAndLeavesNoSupplyInRemoteMode)
{
    for (const auto& [heard, sent] : { std::pair { "GMAX", QStringList { "GMAX" } },
             std::pair { "SESS",
                 QStringList { "GMAX", "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM",
                     "GETD", "ENDS" } } }) {
        SCOPED_TRACE(heard);
        PanelHarness h;
        h.window = std::make_unique<MainFrm>(
            MainFrmDeps { h.transport, h.clock, h.timers, h.dir.path(), {}, {}, &h.portLock });
        bool finished = false;
        QObject::connect(&h.w(), &MainFrm::finished, [&] { finished = true; });
        ASSERT_TRUE(h.w().StartUp(&h.startError));
        h.timers.runUntil([&, heard = heard] { return h.sent().contains(heard); });
        h.w().RequestQuit();
        h.settle();
        EXPECT_TRUE(finished);
        EXPECT_EQ(h.sent(), sent);
        h.timers.advance(10000);
        EXPECT_EQ(h.sent(), sent) << "nothing after the end";
        EXPECT_TRUE(h.anotherProgram()->claim(1));
    }
}

// The port is the panel's and the first reading shows at once; the panel and a screen reader follow
// each reading and click. A click during an exchange waits for the next tick; a close for its end.
TEST_F(Polling, TheFrontPanelFollowsEachReadingAndRequestsWaitTheirTurn)
{
    const auto spoken = [&](const char* control, int row = -1) {
        QAccessibleInterface* iface
            = QAccessible::queryAccessibleInterface(h.find<QWidget>(control));
        return (row >= 0 ? iface->child(row) : iface)->text(QAccessible::Value);
    };
    QWidget* onOff = h.find<QWidget>("ImageOnOff");
    QWidget* voltUp = h.find<QWidget>("LcdPSetVC(0)");
    EXPECT_FALSE(h.anotherProgram()->claim(1));
    EXPECT_EQ(QStringList({ h.w().windowTitle(), spoken("PD", 0) }),
        QStringList({ "Rating: 36V 5A", "5.0 V" }));
    EXPECT_EQ(std::pair(h.w().tableE().dataRows(), h.w().tableM().dataRows()), std::pair(20, 3));
    h.supply->setSetpoint(125, 100);
    h.tick();
    // 12.5 V into 10 ohm would be 1.25 A: the supply holds 1 A, so 10 V.
    EXPECT_TRUE(h.find<QLabel>("LcdMd(1)")->isVisible());
    EXPECT_FALSE(h.find<QLabel>("LcdMd(0)")->isVisible());
    QTest::mouseClick(voltUp, Qt::LeftButton);
    EXPECT_EQ(h.p().setVoltText, "5.1") << "one step up from what the supply told";
    h.tick();
    EXPECT_EQ(QStringList({ spoken("PD", 0), spoken("PD", 1), spoken("PD", 2),
                  spoken("LcdPSetVC(0)"), spoken("ImageOnOff") }),
        QStringList({ "10.0 V", "1.00 A", "10 W", "5.1 V", "On" }));
    QTest::mouseClick(onOff, Qt::LeftButton);
    h.tick();
    EXPECT_EQ(
        QStringList({ spoken("ImageOnOff"), spoken("PD", 0) }), QStringList({ "Off", "0.0 V" }));

    h.clearSent();
    QTest::mouseClick(onOff, Qt::LeftButton);
    h.startTick(); // the tick's "SOUT" is on the line
    ASSERT_FALSE(h.w().session().isIdle());
    QTest::mouseClick(voltUp, Qt::LeftButton);
    h.settle();
    EXPECT_EQ(h.sent(), QStringList({ "SOUT0", "GETD" }));
    h.tick();
    EXPECT_EQ(h.sent().last(), "VOLT052") << "the click in the wait is not lost";
    h.clearSent();
    QTest::mouseClick(onOff, Qt::LeftButton);
    h.startTick();
    h.w().close();
    EXPECT_TRUE(h.w().isVisible()) << "the window waits for the exchange";
    h.settle();
    QCoreApplication::processEvents();
    EXPECT_EQ(h.sent(), QStringList({ "SOUT1", "GETD", "ENDS" }));
    EXPECT_FALSE(h.w().isVisible());
}

// New ports are listed when the tab or the list opens. "OK" sends only changed limits, each read
// back; a new sampling time asks first (Yes restarts the log). A click into a box selects it.
TEST_F(SettingsPageTest, OkSendsOnlyWhatTheUserChanged)
{
    h.transport.addEmptyPort(7);
    showTab(1);
    showTab(4);
    h.settle();
    EXPECT_NE(-1, box("CboPort")->findText("Com7"));
    h.transport.addEmptyPort(9);
    QTest::mouseClick(box("CboPort"), Qt::LeftButton);
    QTest::keyClick(box("CboPort"), Qt::Key_Escape);
    h.settle();
    EXPECT_NE(-1, box("CboPort")->findText("Com9"));
    EXPECT_EQ(box("CboPort")->currentText(), "Com1");

    const struct {
        const char *uvl, *ucl;
        QStringList sent;
        const char *uvlBox, *panel;
    } cases[] = {
        { nullptr, nullptr, {}, "36V", "UVL : 36V , UCL : 5.1A" },
        { "12,5", nullptr, { "SOVP125", "GOVP" }, "12.5V", "UVL : 12.5V , UCL : 5.1A" },
        { "40", "2.5", { "SOVP360", "GOVP", "SOCP250", "GOCP" }, "36V", "UVL : 36V , UCL : 2.5A" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.uvl ? c.uvl : "nothing");
        if (c.uvl)
            typeAndLeave(uvl(), c.uvl);
        if (c.ucl)
            typeAndLeave(ucl(), c.ucl);
        h.clearSent();
        h.choosePort("Com1");
        EXPECT_EQ(h.sent(), c.sent);
        EXPECT_EQ(uvl()->text(), c.uvlBox);
        EXPECT_EQ(h.panel(7), c.panel);
    }

    h.clearSent();
    for (const bool yes : { false, true }) {
        SCOPED_TRACE(yes);
        recordLog(1);
        QTest::keyClick(box("CboAS"), Qt::Key_End);
        boxes.clear();
        boxes.answer = yes ? QMessageBox::Yes : QMessageBox::No;
        h.choosePort("Com1");
        EXPECT_TRUE(
            boxes.texts.size() == 1 && boxes.buttons == (QMessageBox::Yes | QMessageBox::No));
        EXPECT_EQ(h.s().SampleTime, yes ? 60 : 3);
        EXPECT_EQ(h.ui().TimerPVC->interval(), yes ? 60000 : 3000);
        EXPECT_EQ(h.panel(6), yes ? "Now Sampling : 60S" : "Now Sampling : 3S");
        EXPECT_EQ(std::pair(LogSamples::isEndMark(h.s().LogSamples.volts[0]),
                      LogSamples::isEndMark(h.s().LogSamples.amps[0])),
            std::pair(yes, yes));
    }
    boxes.clear();
    h.choosePort("Com1");
    EXPECT_TRUE(boxes.texts.isEmpty()) << "the same choice again is no change";

    typeAndLeave(uvl(), "12");
    click(h.find<QPushButton>("CmdDefault"));
    EXPECT_EQ(QStringList({ uvl()->text(), ucl()->text(), box("CboAS")->currentText() }),
        QStringList({ "36V", "5.1A", "3S" }));
    EXPECT_TRUE(h.sent().isEmpty() && boxes.texts.isEmpty());
    click(ucl());
    click(uvl());
    QCoreApplication::processEvents();
    QTest::keyClicks(uvl(), "30");
    EXPECT_EQ(uvl()->text(), "30");
}

// A port another program talks on is refused with its holder and the panel stays with its supply.
// Once free, the lock moves with the port change; a set-point still waiting for the old supply's
// acknowledgement, and an output click for it, never reach the supply found on the new port.
TEST_F(SettingsPageTest, PortChangesSendNothingToTheWrongSupply)
{
    VirtualSupply& other = h.transport.attachSupply(3);
    const std::unique_ptr<PortLock> program = h.anotherProgram();
    ASSERT_TRUE(program->claim(3));
    h.choosePort("Com3");
    EXPECT_EQ(boxes.texts,
        QStringList { QStringLiteral("Com3 (%1) is in use by test_app (pid %2)")
                          .arg(PortLock::ResolvedDevice(3, h.dir.filePath("ports")))
                          .arg(QCoreApplication::applicationPid()) });
    EXPECT_TRUE(other.receivedLines().isEmpty() && h.sent().isEmpty());
    EXPECT_TRUE(h.p().connected && h.w().database()->CommPort() == 1);
    EXPECT_EQ(box("CboPort")->currentText(), "Com1");
    program->release();

    h.ui().TextSetVC[1]->setText("1.00A");
    click(h.ui().TextSetVC[0]);
    PanelHarness::TypeEnter(h.ui().TextSetVC[0], "12");
    h.setFaults("silent");
    h.tick();
    QTest::mouseClick(h.find<QLabel>("ImageOnOff"), Qt::LeftButton);
    h.choosePort("Com3");
    ASSERT_TRUE(h.p().connected && h.s().CommPortNo == 3);
    EXPECT_TRUE(!program->claim(3) && program->claim(1)) << "the lock moved with the port";
    EXPECT_EQ(h.sent(), (QStringList { "VOLT120", "ENDS" }));
    h.tick();
    const QStringList heard = PanelHarness::Lines(other);
    EXPECT_TRUE(heard.filter(QRegularExpression("^(VOLT|CURR|SOUT)")).isEmpty())
        << heard.join(u' ').toStdString();
    EXPECT_EQ(heard.last(), "GETD");
}

// The chosen log is drawn within its window, on entry and resize too; Enter, the list and leaving
// a box take an entry through its combo's rule into the chart and its labels.
TEST_F(DataLogTabTest, TheChosenLogIsDrawnWithinItsWindowAndEntriesSetTheChart)
{
    const auto fill = [](LogSamples& log, int count) {
        log.markEmpty();
        for (int i = 0; i < count; ++i)
            log.shiftIn(3.0f, 0.2f);
    };
    fill(h.s().LogSamples, 20);
    Retype(box("CmbTLen")->lineEdit(), "30");
    QTest::keyClick(box("CmbTLen"), Qt::Key_Return);
    EXPECT_EQ(segments(), 11u) << "samples 0 to 10 start a segment within 30 s";
    fill(h.s().LogSamples, 10); // recorded without a redraw
    h.ui().PP->resize(h.ui().PP->width() + 40, h.ui().PP->height() + 30);
    EXPECT_EQ(segments(), 9u) << "resizing redraws";

    fill(h.s().StoredLog, 30);
    h.s().StoredLogSampling = 1;
    QRadioButton* stored = h.find<QRadioButton>("Option2(1)");
    stored->setEnabled(true); // as loading a stored log leaves it
    QTest::mouseClick(stored, Qt::LeftButton);
    EXPECT_EQ(segments(), 29u);
    EXPECT_EQ(h.panel(6), "Log Sampling : 1S");
    QTest::mouseClick(h.find<QRadioButton>("Option2(0)"), Qt::LeftButton);
    EXPECT_EQ(segments(), 9u);

    const struct {
        const char *combo, *typed, *shown, *label, *labelText;
    } cases[] = {
        { "CmbTLen", "1", "1S", "PLabT(2)", "1S" }, // the list holds 10S
        { "CmbTMin", "1m", "60S", "PLabT(2)", "61S" },
        { "CmbVMax", "1", "1V", "PLabV(2)", "1.0V" }, // the list holds 10V
        { "CmbVMin", "20", "0V", "PLabV(1)", "0.5V" }, // kept below the maximum
        { "CmbCMax", "2,5", "2.5A", "PLabC(1)", "1.25A" },
        { "CmbCMin", "3", "2.4A", "PLabC(0)", "2.40A" },
        { "CmbWMax", "150.4", "150W", "PLabW(2)", "150.0W" },
        { "CmbWMin", "200", "149W", "PLabW(0)", "149.0W" },
    };
    EXPECT_EQ(box("CmbVMax")->currentText(), "36V"); // the connected supply's rating
    for (const auto& c : cases) {
        SCOPED_TRACE(c.combo);
        Retype(box(c.combo)->lineEdit(), c.typed);
        QTest::keyClick(box(c.combo), Qt::Key_Return);
        EXPECT_EQ(box(c.combo)->currentText(), c.shown);
        EXPECT_EQ(h.find<QLabel>(c.label)->text(), c.labelText);
        EXPECT_EQ(std::pair(h.ui().PP->ranges().ChartTEnd, h.ui().PP->ranges().ChartVMax),
            std::pair(h.w().chartRanges().ChartTEnd, h.w().chartRanges().ChartVMax));
    }
    QComboBox* vMax = box("CmbVMax");
    vMax->showPopup();
    vMax->view()->setCurrentIndex(vMax->view()->model()->index(vMax->findText("10V"), 0));
    QTest::keyClick(vMax->view(), Qt::Key_Return);
    EXPECT_EQ(vMax->currentText(), "10V");
    EXPECT_EQ(h.ui().PP->ranges().ChartVMax, 10.0f);
    click(box("CmbTLen"));
    Retype(box("CmbTLen")->lineEdit(), "3h");
    EXPECT_EQ(h.w().chartRanges().ChartTEnd, 61) << "nothing happens while typing";
    click(vMax);
    EXPECT_EQ(box("CmbTLen")->currentText(), "10800S");
    EXPECT_EQ(h.w().chartRanges().ChartTEnd, 10860);
}

using SupplyListUiTest = Polling;

// What is typed or pasted is stored per address as the box shows it, shown and never sent.
TEST_F(SupplyListUiTest, EveryKeystrokeIsStoredForItsAddressAndShown)
{
    const auto stored
        = [&](const char* address) { return SupplyList(*h.w().database()).labels(address); };
    const struct {
        bool description;
        QString pasted, typed, stored;
    } cases[] = {
        { false, {}, "ABCDEFGHIJKLMNOPQRSTU", "ABCDEFGHIJKLMNOPQRST" },
        { true, QString(295, u'x'), {}, QString(255, u'x') }, { false, {}, {}, {} }, // cleared
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.left(20).toStdString());
        QLineEdit* box = c.description ? h.ui().TextEngineryD : location();
        Retype(box, {});
        box->insert(c.pasted);
        Append(box, c.typed);
        EXPECT_EQ(c.description ? stored("00").description : stored("00").location, c.stored);
        EXPECT_EQ(box->text(), c.stored);
        EXPECT_EQ(box->cursorPosition(), c.stored.size());
        EXPECT_EQ(h.panel(c.description ? 3 : 2),
            (c.description ? "Description : " : "Location : ") + c.stored);
    }
    EXPECT_EQ(h.s().CurLocation, QString());
    EXPECT_EQ(h.s().CurDescription, QString(255, u'x'));
    Append(location(), "Rack");
    QTest::keyClick(location(), Qt::Key_Home);
    QTest::keyClicks(location(), "A ");
    EXPECT_EQ(location()->cursorPosition(), 2);
    EXPECT_EQ(stored("00").location, "A Rack");
    EXPECT_TRUE(h.sent().isEmpty());

    Retype(h.ui().TextEngineryD, "Charger");
    box("CmbAddr")->setEditText("32"); // no row: the box keeps the typing, the bar what is stored
    Append(location(), "X");
    EXPECT_EQ(QStringList({ location()->text(), h.panel(2) }),
        QStringList({ "A RackX", "Location : A Rack" }));
    box("CmbAddr")->setCurrentIndex(5);
    h.w().ConnectSupply();
    EXPECT_TRUE(location()->text().isEmpty());
    Append(location(), "Rack B");
    Append(h.ui().TextEngineryD, "Motor");
    h.window.reset();
    ASSERT_NO_FATAL_FAILURE(showWindow());
    EXPECT_EQ(QStringList({ box("CmbAddr")->currentText(), location()->text(), h.panel(3) }),
        QStringList({ "00", "A Rack", "Description : Charger" }));
    box("CmbAddr")->setCurrentIndex(5);
    h.w().ConnectSupply();
    EXPECT_EQ(location()->text(), "Rack B");
    EXPECT_EQ(h.panel(3), "Description : Motor");

    // Refused by the database: the box shows what is stored, so a text not kept does not look kept.
    ASSERT_TRUE(h.w().database()->sql().exec("CREATE TRIGGER refuse BEFORE UPDATE ON \"MultiPS\" "
                                             "BEGIN SELECT RAISE(ABORT, 'no'); END"));
    Append(location(), "X");
    EXPECT_EQ(stored("05").location, "Rack B");
    EXPECT_EQ(QStringList({ location()->text(), h.panel(2), h.s().CurLocation }),
        QStringList({ "Rack B", "Location : Rack B", "Rack B" }));
}
