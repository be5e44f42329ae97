// The Setting tab wired to the session and the database; the limit and
// sampling rules are SettingTab's (tests/panel).

#include "tests/app/MessageBoxes.h"
#include "tests/app/PanelHarness.h"

#include "storage/OvoltaDatabase.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class SettingsPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        h.transport.addEmptyPort(3); // opens, but no supply answers on it
        ASSERT_TRUE(h.start()) << h.startError.toStdString();
        h.ui().TimerPVC->stop();
        h.w().show();
        h.ui().Tab1->setCurrentIndex(4);
        ASSERT_TRUE(h.p().connected);
        h.clearSent();
    }

    QLineEdit* uvl() { return h.ui().TextUVL; }
    QLineEdit* ucl() { return h.ui().TextUCL; }
    QComboBox* sampling() { return h.find<QComboBox>(QStringLiteral("CboAS")); }
    QComboBox* port() { return h.find<QComboBox>(QStringLiteral("CboPort")); }
    QString limitsPanel() { return h.find<QLabel>(QStringLiteral("StatusBar1.Panels(7)"))->text(); }

    void click(QWidget* widget)
    {
        if (!h.w().isActiveWindow()) {
            h.w().activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&h.w()));
        }
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    // Clicks into the box, replaces its text by typing, and leaves it.
    void typeAndLeave(QLineEdit* box, const QString& text)
    {
        click(box);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
        click(box == uvl() ? ucl() : uvl());
    }
    void ok()
    {
        click(h.find<QPushButton>(QStringLiteral("CmdOK")));
        h.settle();
    }

    PanelHarness h;
    MessageBoxes messages;
};

// "OK" sends the limits the user changed, each read back; nothing when none
// changed. A typed limit is normalised when its box is left.
TEST_F(SettingsPageTest, OkSendsTheChangedLimitsAndReadsThemBack)
{
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
        ok();
        EXPECT_EQ(h.sent(), c.sent);
        EXPECT_EQ(uvl()->text(), c.uvlBox);
        EXPECT_EQ(limitsPanel(), c.panel);
    }
    EXPECT_EQ(h.supply->voltLimitDigits(), 360);
    EXPECT_EQ(h.p().ucl, 2.5f);
    EXPECT_TRUE(messages.texts.isEmpty());
}

// A new sampling time asks first: Yes restarts the log at the new pace, No
// changes nothing. Neither sends anything.
TEST_F(SettingsPageTest, ANewSamplingTimeIsAskedFor)
{
    const QString question = QStringLiteral("To change sampling time NOW\nWill erase existing "
                                            "sampled data !\n\nAre you sure you want to do it ?");
    for (const bool yes : { false, true }) {
        SCOPED_TRACE(yes);
        h.s().LogSamples.volts[0] = 12.5f;
        h.s().LogSamples.amps[0] = 1.0f;
        QTest::keyClick(sampling(), Qt::Key_End);
        ASSERT_EQ(sampling()->currentText(), QStringLiteral("60S"));
        messages.clear();
        messages.answer = yes ? QMessageBox::Yes : QMessageBox::No;
        ok();
        EXPECT_EQ(messages.texts, QStringList { question });
        EXPECT_EQ(messages.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(h.s().SampleTime, yes ? 60 : 3);
        EXPECT_EQ(h.ui().TimerPVC->interval(), yes ? 60000 : 3000);
        EXPECT_EQ(h.find<QLabel>(QStringLiteral("StatusBar1.Panels(6)"))->text(),
            yes ? QStringLiteral("Now Sampling : 60S") : QStringLiteral("Now Sampling : 3S"));
        EXPECT_EQ(LogSamples::isEndMark(h.s().LogSamples.volts[0]), yes);
        EXPECT_EQ(LogSamples::isEndMark(h.s().LogSamples.amps[0]), yes);
        EXPECT_TRUE(h.sent().isEmpty());
    }
    messages.clear();
    ok();
    EXPECT_TRUE(messages.texts.isEmpty()) << "the same choice again is no change";
}

// A limit the supply did not tell shows as 0; "OK" sends only a limit the user
// changed since, so the unread one is never written back.
TEST_F(SettingsPageTest, ALimitThatCouldNotBeReadIsNeverWrittenBack)
{
    h.setFaults(QStringLiteral("silent-after:2:1")); // GMAX, GMOD answered; GOVP not
    h.w().ConnectSupply();
    h.settle();
    ASSERT_EQ(uvl()->text(), QStringLiteral("0V"));
    h.clearSent();
    ok();
    EXPECT_TRUE(h.sent().isEmpty());

    typeAndLeave(ucl(), QStringLiteral("2"));
    h.setFaults(QStringLiteral("silent-after:1")); // the read-back goes unanswered
    ok();
    EXPECT_EQ(h.sent(), (QStringList { "SOCP200", "GOCP" }));
    EXPECT_EQ(h.p().ucl, 0.0f);
    EXPECT_EQ(ucl()->text(), QStringLiteral("0A"));
    EXPECT_EQ(limitsPanel(), QStringLiteral("UVL : 0V , UCL : 0A"));
    h.setFaults(QStringLiteral("none"));
    h.clearSent();
    ok();
    EXPECT_TRUE(h.sent().isEmpty());
    EXPECT_TRUE(messages.texts.isEmpty());
}

// A port without a supply: no connection, the port stored, the old supply
// out of remote mode; choosing the first port again reconnects.
TEST_F(SettingsPageTest, PortWithoutSupplyGivesNoConnectionAndIsStored)
{
    typeAndLeave(uvl(), QStringLiteral("20")); // not sent: nobody listens
    QTest::keyClick(port(), Qt::Key_End);
    ASSERT_EQ(port()->currentText(), QStringLiteral("Com3"));
    ok();
    EXPECT_EQ(h.s().CommPortNo, 3);
    EXPECT_EQ(h.w().database()->CommPort(), 3);
    EXPECT_FALSE(h.p().connected);
    EXPECT_EQ(limitsPanel(), QStringLiteral("No Connection"));
    EXPECT_FALSE(h.transport.written().contains("SOVP"));
    EXPECT_EQ(h.sent(), QStringList { "ENDS" }) << "the old supply leaves remote mode";

    QTest::keyClick(port(), Qt::Key_Home);
    ok();
    EXPECT_TRUE(h.p().connected);
    EXPECT_EQ(h.w().database()->CommPort(), 1);
    EXPECT_EQ(h.sent().value(1), QStringLiteral("GMAX"));
    EXPECT_TRUE(messages.texts.isEmpty());
}

// A set-point still waiting for the old supply's acknowledgement, and an output
// click for it, never reach the supply found on the new port.
TEST_F(SettingsPageTest, APortChangeDropsTheOldSuppliesRequests)
{
    VirtualSupply& other = h.transport.attachSupply(3);
    h.ui().TextSetVC[1]->setText(QStringLiteral("1.00A"));
    click(h.ui().TextSetVC[0]);
    QTest::keyClick(h.ui().TextSetVC[0], Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(h.ui().TextSetVC[0], QStringLiteral("12"));
    QTest::keyClick(h.ui().TextSetVC[0], Qt::Key_Return);
    h.setFaults(QStringLiteral("silent"));
    h.tick();
    QTest::mouseClick(h.find<QLabel>(QStringLiteral("ImageOnOff")), Qt::LeftButton);

    QTest::keyClick(port(), Qt::Key_End);
    ok();
    ASSERT_TRUE(h.p().connected);
    EXPECT_EQ(h.sent(), (QStringList { "VOLT120", "ENDS" }));
    h.tick();
    QStringList heard;
    for (const QByteArray& line : other.receivedLines())
        heard << QString::fromLatin1(line);
    EXPECT_TRUE(heard.filter(QRegularExpression("^(VOLT|CURR|SOUT)")).isEmpty())
        << heard.join(u' ').toStdString();
    EXPECT_EQ(heard.last(), QStringLiteral("GETD"));
}

// A port another program talks on is refused with its holder, and the panel
// stays with its supply; once free, the lock moves with the port change.
TEST_F(SettingsPageTest, APortAnotherProgramHoldsIsRefused)
{
    const VirtualSupply& held = h.transport.attachSupply(3);
    const std::unique_ptr<PortLock> other = h.anotherProgram();
    ASSERT_TRUE(other->claim(3));
    QTest::keyClick(port(), Qt::Key_End);
    ok();
    EXPECT_EQ(messages.texts,
        QStringList { QStringLiteral("Com3 (%1) is in use by test_app (pid %2)")
                          .arg(PortLock::ResolvedDevice(3, h.dir.filePath("ports")))
                          .arg(QCoreApplication::applicationPid()) });
    EXPECT_TRUE(held.receivedLines().isEmpty());
    EXPECT_TRUE(h.sent().isEmpty());
    EXPECT_TRUE(h.p().connected);
    EXPECT_EQ(h.w().database()->CommPort(), 1);
    EXPECT_EQ(port()->currentText(), QStringLiteral("Com1"));

    other->release();
    QTest::keyClick(port(), Qt::Key_End);
    ok();
    ASSERT_TRUE(h.p().connected);
    EXPECT_EQ(h.s().CommPortNo, 3);
    EXPECT_FALSE(other->claim(3));
    EXPECT_TRUE(other->claim(1));
}

TEST_F(SettingsPageTest, DefaultRefillsTheBoxesAndSendsNothing)
{
    typeAndLeave(uvl(), QStringLiteral("12"));
    typeAndLeave(ucl(), QStringLiteral("1"));
    QTest::keyClick(sampling(), Qt::Key_End);
    click(h.find<QPushButton>(QStringLiteral("CmdDefault")));
    EXPECT_EQ(uvl()->text(), QStringLiteral("36V"));
    EXPECT_EQ(ucl()->text(), QStringLiteral("5.1A"));
    EXPECT_EQ(sampling()->currentText(), QStringLiteral("3S"));
    EXPECT_TRUE(h.sent().isEmpty());
}

// "OK" pressed while a polling tick waits for its reply: the limit goes out
// after the tick, never in the middle of its exchange.
TEST_F(SettingsPageTest, OkDuringATransactionWaitsForIt)
{
    typeAndLeave(uvl(), QStringLiteral("12"));
    h.startTick(); // "GETD" is on the line
    click(h.find<QPushButton>(QStringLiteral("CmdOK")));
    EXPECT_EQ(h.sent(), QStringList { "GETD" });
    h.settle();
    EXPECT_EQ(h.sent(), (QStringList { "GETD", "SOVP120", "GOVP" }));
    EXPECT_EQ(h.p().uvl, 12.0f);
}

TEST_F(SettingsPageTest, AClickIntoALimitBoxSelectsItsTextSoTypingReplacesIt)
{
    click(ucl());
    click(uvl());
    QCoreApplication::processEvents();
    QTest::keyClicks(uvl(), QStringLiteral("30"));
    EXPECT_EQ(uvl()->text(), QStringLiteral("30"));
}

// Ports plugged in after start-up are listed when the tab or the list opens;
// the choice stays and the supply hears nothing of it.
TEST_F(SettingsPageTest, APortPluggedInAfterStartUpAppearsInTheList)
{
    h.transport.addEmptyPort(7);
    h.ui().Tab1->setCurrentIndex(1);
    h.ui().Tab1->setCurrentIndex(4);
    h.settle();
    EXPECT_NE(-1, port()->findText(QStringLiteral("Com7")));
    h.transport.addEmptyPort(9);
    QTest::mouseClick(port(), Qt::LeftButton);
    QTest::keyClick(port(), Qt::Key_Escape);
    h.settle();
    EXPECT_NE(-1, port()->findText(QStringLiteral("Com9")));
    EXPECT_EQ(QStringLiteral("Com1"), port()->currentText());
    EXPECT_TRUE(h.sent().isEmpty());
}

} // namespace
