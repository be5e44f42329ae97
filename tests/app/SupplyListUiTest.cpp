// The location and description boxes store every keystroke for the chosen
// address; the cutting and the texts themselves are SupplyList's (tests/storage).

#include "tests/app/PanelHarness.h"

#include "storage/OvoltaDatabase.h"
#include "storage/SqlDatabase.h"
#include "storage/SupplyList.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class SupplyListUiTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(startWindow()) << h.startError.toStdString(); }

    // A window on the data folder of the harness; a second call is a restart.
    bool startWindow()
    {
        h.window.reset();
        if (!h.start())
            return false;
        h.ui().TimerPVC->stop();
        return true;
    }

    QLineEdit* location() { return h.ui().TextLocation; }
    QLineEdit* description() { return h.ui().TextEngineryD; }
    QComboBox* address() { return h.find<QComboBox>(QStringLiteral("CmbAddr")); }
    QString panel(int k)
    {
        return h.find<QLabel>(QStringLiteral("StatusBar1.Panels(%1)").arg(k))->text();
    }
    SupplyList::Labels stored(const QString& addr = QStringLiteral("00"))
    {
        return SupplyList(*h.w().database()).labels(addr);
    }

    // Types at the end of the box, one key at a time.
    static void typeInto(QLineEdit* box, const QString& text)
    {
        QTest::keyClick(box, Qt::Key_End);
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(box, c.toLatin1());
            else // no key code for it: the key event carries the text only
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    PanelHarness h;
};

// What is typed or pasted is stored as it ends up in the box, shown in the
// status bar, and never sent to the supply; the caret stays at the end.
TEST_F(SupplyListUiTest, EveryKeystrokeIsStoredAndShown)
{
    const QString twenty = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
    const struct {
        bool description;
        QString pasted, typed, stored;
    } cases[] = {
        { false, {}, QStringLiteral("Prüfplatz 'A' Ω"), QStringLiteral("Prüfplatz 'A' Ω") },
        { true, {}, QStringLiteral("\"north\" wall"), QStringLiteral("\"north\" wall") },
        { true, {}, QStringLiteral("a\\b %_ *?"), QStringLiteral("a\\b %_ *?") },
        { false, {}, twenty + u'U', twenty },
        { true, QString(295, u'x'), QString(), QString(255, u'x') },
        { false, {}, QString(), QString() }, // cleared
    };
    h.clearSent();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.left(20).toStdString());
        QLineEdit* box = c.description ? description() : location();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Backspace);
        box->insert(c.pasted);
        typeInto(box, c.typed);
        EXPECT_EQ(c.description ? stored().description : stored().location, c.stored);
        EXPECT_EQ(box->text(), c.stored);
        EXPECT_EQ(box->cursorPosition(), c.stored.size());
        EXPECT_EQ(panel(c.description ? 3 : 2),
            (c.description ? QStringLiteral("Description : ") : QStringLiteral("Location : "))
                + c.stored);
    }
    EXPECT_EQ(h.s().CurLocation, QString());
    EXPECT_EQ(h.s().CurDescription, QString(255, u'x'));
    EXPECT_TRUE(h.sent().isEmpty());
}

TEST_F(SupplyListUiTest, CaretStaysWhereTheUserTypes)
{
    typeInto(location(), QStringLiteral("Rack"));
    QTest::keyClick(location(), Qt::Key_Home);
    QTest::keyClicks(location(), QStringLiteral("A "));
    EXPECT_EQ(location()->cursorPosition(), 2);
    EXPECT_EQ(stored().location, QStringLiteral("A Rack"));
}

TEST_F(SupplyListUiTest, ALongDescriptionLeavesTheWindowsMinimumWidthAlone)
{
    h.w().show();
    const int before = h.w().minimumSizeHint().width();
    description()->setText(QString(229, u'W'));
    typeInto(description(), QStringLiteral("W"));
    ASSERT_EQ(panel(3), QStringLiteral("Description : ") + QString(230, u'W'));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    EXPECT_EQ(h.w().minimumSizeHint().width(), before);
}

// An address without a row stores nothing and the status bar keeps the
// stored texts; the box keeps what was typed.
TEST_F(SupplyListUiTest, AddressWithoutRowChangesNothing)
{
    typeInto(location(), QStringLiteral("Rack"));
    address()->setEditText(QStringLiteral("32"));
    typeInto(location(), QStringLiteral("X"));
    typeInto(description(), QStringLiteral("Y"));
    EXPECT_FALSE(stored(QStringLiteral("32")).found);
    EXPECT_EQ(stored().location, QStringLiteral("Rack"));
    EXPECT_EQ(panel(2), QStringLiteral("Location : Rack"));
    EXPECT_EQ(panel(3), QStringLiteral("Description : "));
    EXPECT_EQ(location()->text(), QStringLiteral("RackX"));
}

TEST_F(SupplyListUiTest, TwoAddressesKeepTheirTextsAcrossARestart)
{
    typeInto(location(), QStringLiteral("Rack A"));
    typeInto(description(), QStringLiteral("Charger"));
    address()->setCurrentIndex(5);
    h.w().ConnectSupply();
    EXPECT_TRUE(location()->text().isEmpty());
    typeInto(location(), QStringLiteral("Rack B"));
    typeInto(description(), QStringLiteral("Motor"));

    ASSERT_TRUE(startWindow()) << h.startError.toStdString();
    EXPECT_EQ(address()->currentText(), QStringLiteral("00"));
    EXPECT_EQ(location()->text(), QStringLiteral("Rack A"));
    EXPECT_EQ(panel(3), QStringLiteral("Description : Charger"));
    address()->setCurrentIndex(5);
    h.w().ConnectSupply();
    EXPECT_EQ(location()->text(), QStringLiteral("Rack B"));
    EXPECT_EQ(panel(3), QStringLiteral("Description : Motor"));
}

// The database refusing the update: the box shows what is really stored, so a
// text that was not kept does not look kept.
TEST_F(SupplyListUiTest, RefusedUpdateShowsWhatIsStored)
{
    typeInto(location(), QStringLiteral("Rack"));
    ASSERT_TRUE(h.w().database()->sql().exec(
        QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON \"MultiPS\" BEGIN SELECT "
                       "RAISE(ABORT, 'no'); END")));
    typeInto(location(), QStringLiteral("X"));
    EXPECT_EQ(stored().location, QStringLiteral("Rack"));
    EXPECT_EQ(location()->text(), QStringLiteral("Rack"));
    EXPECT_EQ(panel(2), QStringLiteral("Location : Rack"));
    EXPECT_EQ(h.s().CurLocation, QStringLiteral("Rack"));
}

} // namespace
