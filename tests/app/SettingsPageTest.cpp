#include "tests/app/MessageBoxes.h"
#include "tests/app/PanelHarness.h"

#include "storage/OvoltaDatabase.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kQuestion = QStringLiteral("To change sampling time NOW\nWill erase existing "
                                         "sampled data !\n\nAre you sure you want to do it ?");

class SettingsPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Com3 opens but has no supply on it.
        h.transport.addEmptyPort(3);
        ASSERT_TRUE(h.start()) << h.startError.toStdString();
        h.ui().TimerPVC->stop();
        h.w().show();
        h.ui().Tab1->setCurrentIndex(4);
        activate();
        ASSERT_TRUE(h.p().connected);
        h.clearSent();
        messages = std::make_unique<MessageBoxes>();
    }

    void TearDown() override { messages.reset(); }

    void activate()
    {
        if (!h.w().isActiveWindow()) {
            h.w().activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&h.w()));
        }
    }

    QLineEdit* uvl() { return h.find<QLineEdit>(QStringLiteral("TextUVL")); }
    QLineEdit* ucl() { return h.find<QLineEdit>(QStringLiteral("TextUCL")); }
    QComboBox* sampling() { return h.find<QComboBox>(QStringLiteral("CboAS")); }
    QComboBox* port() { return h.find<QComboBox>(QStringLiteral("CboPort")); }
    QString panel(int k)
    {
        return h.find<QLabel>(QStringLiteral("StatusBar1.Panels(%1)").arg(k))->text();
    }

    void click(QWidget* widget)
    {
        activate();
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
    std::unique_ptr<MessageBoxes> messages;
};

TEST_F(SettingsPageTest, SamplingChoicesAndStartingEntry)
{
    QStringList entries;
    for (int i = 0; i < sampling()->count(); ++i)
        entries << sampling()->itemText(i);
    EXPECT_EQ(entries,
        (QStringList { "1S", "2S", "3S", "5S", "6S", "10S", "12S", "15S", "20S", "30S", "60S" }));
    EXPECT_EQ(sampling()->currentText(), QStringLiteral("3S"));
    EXPECT_EQ(uvl()->text(), QStringLiteral("36V"));
    EXPECT_EQ(ucl()->text(), QStringLiteral("5.1A"));
}

TEST_F(SettingsPageTest, OkWithNothingChangedSendsNothing)
{
    ok();
    EXPECT_TRUE(h.sent().isEmpty());
    EXPECT_TRUE(messages->texts.isEmpty());
    EXPECT_EQ(h.s().SampleTime, 3);
    EXPECT_EQ(h.s().CommPortNo, 1);
}

TEST_F(SettingsPageTest, NewSamplingTimeAnsweredNoChangesNothing)
{
    const int interval = h.ui().TimerPVC->interval();
    const QString panel6 = panel(6);
    h.s().LogSamples.volts[0] = 12.5f;
    QTest::keyClick(sampling(), Qt::Key_End);
    ASSERT_EQ(sampling()->currentText(), QStringLiteral("60S"));

    messages->answer = QMessageBox::No;
    ok();
    EXPECT_EQ(messages->texts, QStringList { kQuestion });
    EXPECT_EQ(messages->buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(h.s().SampleTime, 3);
    EXPECT_EQ(h.ui().TimerPVC->interval(), interval);
    EXPECT_EQ(panel(6), panel6);
    EXPECT_EQ(h.s().LogSamples.volts[0], 12.5f);
    EXPECT_EQ(sampling()->currentText(), QStringLiteral("60S"));
    EXPECT_TRUE(h.sent().isEmpty());
}

TEST_F(SettingsPageTest, NewSamplingTimeAnsweredYesTakesEffect)
{
    h.s().LogSamples.volts[0] = 12.5f;
    QTest::keyClick(sampling(), Qt::Key_End);
    messages->answer = QMessageBox::Yes;
    ok();
    EXPECT_EQ(messages->texts, QStringList { kQuestion });
    EXPECT_EQ(h.s().SampleTime, 60);
    EXPECT_EQ(h.ui().TimerPVC->interval(), 60000);
    EXPECT_EQ(panel(6), QStringLiteral("Now Sampling : 60S"));
    EXPECT_TRUE(LogSamples::isEndMark(h.s().LogSamples.volts[0]));
    EXPECT_TRUE(LogSamples::isEndMark(h.s().LogSamples.amps[0]));
    EXPECT_TRUE(h.sent().isEmpty());

    // The same choice again is no change: no second question.
    messages->texts.clear();
    ok();
    EXPECT_TRUE(messages->texts.isEmpty());
}

TEST_F(SettingsPageTest, LimitBoxesAreNormalisedWhenLeft)
{
    struct Case {
        bool voltage;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        { true, "12,5", "12.5V" },
        { true, "12.5V", "12.5V" },
        { true, "0.5", "1V" },
        { true, "40", "36V" },
        { true, "abc", "1V" },
        { true, "-3", "1V" },
        { true, "", "1V" },
        { true, "99999999999999999999999999999999999999999999", "36V" },
        { false, "2,5", "2.5A" },
        { false, "0.05", "0.1A" },
        { false, "9", "5.1A" },
        { false, "xyz", "0.1A" },
        { false, "-1", "0.1A" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed));
        QLineEdit* box = c.voltage ? uvl() : ucl();
        typeAndLeave(box, QString::fromLatin1(c.typed));
        EXPECT_EQ(box->text(), QString::fromLatin1(c.shown));
    }
    EXPECT_TRUE(h.sent().isEmpty());
    EXPECT_TRUE(messages->texts.isEmpty());
}

TEST_F(SettingsPageTest, OkSendsTheNewVoltageLimitAndReadsItBack)
{
    typeAndLeave(uvl(), QStringLiteral("12,5"));
    ok();
    EXPECT_EQ(h.sent(), (QStringList { "SOVP125", "GOVP" }));
    EXPECT_EQ(h.p().uvl, 12.5f);
    EXPECT_EQ(h.supply->voltLimitDigits(), 125);
    EXPECT_EQ(uvl()->text(), QStringLiteral("12.5V"));
    EXPECT_EQ(panel(7), QStringLiteral("UVL : 12.5V , UCL : 5.1A"));
}

TEST_F(SettingsPageTest, OkSendsBothLimitsInOrder)
{
    typeAndLeave(uvl(), QStringLiteral("30"));
    typeAndLeave(ucl(), QStringLiteral("2.5"));
    ok();
    EXPECT_EQ(h.sent(), (QStringList { "SOVP300", "GOVP", "SOCP250", "GOCP" }));
    EXPECT_EQ(h.p().ucl, 2.5f);
    EXPECT_EQ(panel(7), QStringLiteral("UVL : 30V , UCL : 2.5A"));
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
    EXPECT_EQ(panel(7), QStringLiteral("UVL : 0V , UCL : 0A"));
    h.setFaults(QStringLiteral("none"));
    h.clearSent();
    ok();
    EXPECT_TRUE(h.sent().isEmpty());
    EXPECT_TRUE(messages->texts.isEmpty());
}

TEST_F(SettingsPageTest, PortWithoutSupplyGivesNoConnectionAndIsStored)
{
    ASSERT_EQ(port()->count(), 2);
    typeAndLeave(uvl(), QStringLiteral("20")); // not sent: nobody listens
    QTest::keyClick(port(), Qt::Key_End);
    ASSERT_EQ(port()->currentText(), QStringLiteral("Com3"));

    ok();
    EXPECT_EQ(h.s().CommPortNo, 3);
    EXPECT_EQ(h.w().database()->CommPort(), 3);
    EXPECT_FALSE(h.p().connected);
    EXPECT_EQ(panel(7), QStringLiteral("No Connection"));
    EXPECT_EQ(h.w().windowTitle(), QStringLiteral("Rating: "));
    EXPECT_FALSE(h.transport.written().contains("SOVP"));
    EXPECT_EQ(h.sent(), QStringList { "ENDS" }) << "the old supply leaves remote mode";
    EXPECT_TRUE(messages->texts.isEmpty());
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
    EXPECT_EQ(messages->texts,
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

TEST_F(SettingsPageTest, PortChangeBackReconnects)
{
    QTest::keyClick(port(), Qt::Key_End);
    ok();
    ASSERT_FALSE(h.p().connected);
    QTest::keyClick(port(), Qt::Key_Home);
    ok();
    EXPECT_TRUE(h.p().connected);
    EXPECT_EQ(h.s().CommPortNo, 1);
    EXPECT_EQ(h.w().database()->CommPort(), 1);
    EXPECT_EQ(panel(7), QStringLiteral("UVL : 36V , UCL : 5.1A"));
    EXPECT_TRUE(h.sent().contains(QStringLiteral("GMAX")));
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
    EXPECT_EQ(h.p().uvl, 36.0f);
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

} // namespace

TEST_F(SettingsPageTest, AClickIntoALimitBoxSelectsItsTextSoTypingReplacesIt)
{
    click(ucl());
    click(uvl());
    QCoreApplication::processEvents();
    QTest::keyClicks(uvl(), QStringLiteral("30"));
    EXPECT_EQ(uvl()->text(), QStringLiteral("30"));
}

TEST_F(SettingsPageTest, APortPluggedInAfterStartUpAppearsInTheList)
{
    const QString chosen = port()->currentText();
    ASSERT_EQ(-1, port()->findText(QStringLiteral("Com7")));
    h.transport.addEmptyPort(7);
    h.ui().Tab1->setCurrentIndex(1);
    h.ui().Tab1->setCurrentIndex(4);
    h.settle();
    EXPECT_NE(-1, port()->findText(QStringLiteral("Com7")));
    EXPECT_EQ(chosen, port()->currentText()) << "the choice stays";

    h.transport.addEmptyPort(9);
    QTest::mouseClick(port(), Qt::LeftButton);
    QTest::keyClick(port(), Qt::Key_Escape);
    h.settle();
    EXPECT_NE(-1, port()->findText(QStringLiteral("Com9")));
    EXPECT_EQ(chosen, port()->currentText());
    EXPECT_TRUE(h.sent().isEmpty()) << "listing sends nothing to the supply";
}
