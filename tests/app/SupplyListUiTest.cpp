#include "tests/app/PanelHarness.h"

#include "storage/OvoltaDatabase.h"
#include "storage/SqlDatabase.h"
#include "storage/SqlStatement.h"
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

    QLineEdit* location() { return h.find<QLineEdit>(QStringLiteral("TextLocation")); }
    QLineEdit* description() { return h.find<QLineEdit>(QStringLiteral("TextEngineryD")); }
    QComboBox* address() { return h.find<QComboBox>(QStringLiteral("CmbAddr")); }
    QString panel(int k)
    {
        return h.find<QLabel>(QStringLiteral("StatusBar1.Panels(%1)").arg(k))->text();
    }

    SupplyList::Labels stored(const QString& addr)
    {
        return SupplyList(*h.w().database()).labels(addr);
    }

    // Whether the column of the address's row holds Null.
    bool storedNull(const QString& addr, const QString& column)
    {
        SqlStatement query = h.w().database()->sql().prepare(QStringLiteral("SELECT ")
            + SqlDatabase::quoteIdentifier(column)
            + QStringLiteral(" FROM \"MultiPS\" WHERE \"AddressID\" = ?1"));
        query.bindText(1, addr);
        return query.step() == SqlStatement::Step::Row && query.isNull(0);
    }

    // Types at the end of the box, one key at a time.
    void typeInto(QLineEdit* box, const QString& text)
    {
        QTest::keyClick(box, Qt::Key_End);
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(box, c.toLatin1());
            else // no key code for it: the key event carries the text only
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    void clearBox(QLineEdit* box)
    {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Backspace);
    }

    PanelHarness h;
};

TEST_F(SupplyListUiTest, EveryKeystrokeInTheLocationIsStored)
{
    typeInto(location(), QStringLiteral("Bench 3"));
    EXPECT_EQ(stored("00").location, QStringLiteral("Bench 3"));
    EXPECT_EQ(location()->text(), QStringLiteral("Bench 3"));
    EXPECT_EQ(panel(2), QStringLiteral("Location : Bench 3"));
    EXPECT_EQ(h.s().CurLocation, QStringLiteral("Bench 3"));
    EXPECT_TRUE(h.sent().size() > 0); // start-up only: the list never goes on the wire
    h.clearSent();
    typeInto(location(), QStringLiteral("!"));
    EXPECT_EQ(stored("00").location, QStringLiteral("Bench 3!"));
    EXPECT_TRUE(h.sent().isEmpty());
}

TEST_F(SupplyListUiTest, EveryKeystrokeInTheDescriptionIsStored)
{
    typeInto(description(), QStringLiteral("Charger test"));
    EXPECT_EQ(stored("00").description, QStringLiteral("Charger test"));
    EXPECT_EQ(panel(3), QStringLiteral("Description : Charger test"));
    EXPECT_EQ(h.s().CurDescription, QStringLiteral("Charger test"));
    // The other label is untouched.
    EXPECT_TRUE(stored("00").location.isEmpty());
}

TEST_F(SupplyListUiTest, TwentyFirstCharacterIsCutAndTheCaretStaysAtTheEnd)
{
    const QString twenty = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
    typeInto(location(), twenty + u'U');
    EXPECT_EQ(stored("00").location, twenty);
    EXPECT_EQ(location()->text(), twenty);
    EXPECT_EQ(location()->cursorPosition(), 20);
    EXPECT_EQ(panel(2), QStringLiteral("Location : ") + twenty);
    EXPECT_EQ(h.s().CurLocation, twenty);
}

TEST_F(SupplyListUiTest, LongPastedTextsAreCutToTheirColumns)
{
    struct Case {
        QLineEdit* box;
        int size;
        QString SupplyList::Labels::*field;
    };
    const Case cases[] = {
        { location(), 20, &SupplyList::Labels::location },
        { description(), 255, &SupplyList::Labels::description },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        c.box->setText(QString(c.size + 40, u'x')); // pasted, then one key
        QTest::keyClick(c.box, Qt::Key_End);
        EXPECT_EQ(stored("00").*(c.field), QString(c.size, u'x'));
        EXPECT_EQ(c.box->text().size(), c.size);
        EXPECT_EQ(c.box->cursorPosition(), c.size);
    }
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

TEST_F(SupplyListUiTest, CaretStaysWhereTheUserTypes)
{
    typeInto(location(), QStringLiteral("Rack"));
    QTest::keyClick(location(), Qt::Key_Home);
    QTest::keyClicks(location(), QStringLiteral("A "));
    EXPECT_EQ(location()->text(), QStringLiteral("A Rack"));
    EXPECT_EQ(location()->cursorPosition(), 2);
    EXPECT_EQ(stored("00").location, QStringLiteral("A Rack"));
}

TEST_F(SupplyListUiTest, ClearingStoresNull)
{
    typeInto(location(), QStringLiteral("Rack"));
    typeInto(description(), QStringLiteral("Spare"));
    clearBox(location());
    clearBox(description());
    EXPECT_TRUE(storedNull("00", QStringLiteral("Location")));
    EXPECT_TRUE(storedNull("00", QStringLiteral("Description")));
    EXPECT_EQ(location()->text(), QString());
    EXPECT_EQ(panel(2), QStringLiteral("Location : "));
    EXPECT_EQ(panel(3), QStringLiteral("Description : "));
    EXPECT_TRUE(h.s().CurLocation.isEmpty());
    EXPECT_TRUE(h.s().CurDescription.isEmpty());
}

TEST_F(SupplyListUiTest, QuotesAndOtherCharactersStoreUnchanged)
{
    const QStringList texts = {
        QStringLiteral("Lab 'A'"),
        QStringLiteral("\"north\" wall"),
        QStringLiteral("O'Neil; DROP--"),
        QStringLiteral("Prüfplatz Ω 5"),
        QStringLiteral("a\\b %_ *?"),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        clearBox(location());
        typeInto(location(), text);
        clearBox(description());
        typeInto(description(), text);
        EXPECT_EQ(stored("00").location, text);
        EXPECT_EQ(stored("00").description, text);
        EXPECT_EQ(location()->text(), text);
        EXPECT_EQ(panel(2), QStringLiteral("Location : ") + text);
        EXPECT_EQ(panel(3), QStringLiteral("Description : ") + text);
    }
    // Every other address is untouched.
    EXPECT_TRUE(stored("01").location.isEmpty());
}

TEST_F(SupplyListUiTest, AddressWithoutRowChangesNothing)
{
    typeInto(location(), QStringLiteral("Rack"));
    address()->setEditText(QStringLiteral("32"));
    typeInto(location(), QStringLiteral("X"));
    typeInto(description(), QStringLiteral("Y"));
    EXPECT_FALSE(stored("32").found);
    EXPECT_EQ(stored("00").location, QStringLiteral("Rack"));
    EXPECT_EQ(panel(2), QStringLiteral("Location : Rack"));
    EXPECT_EQ(panel(3), QStringLiteral("Description : "));
    EXPECT_EQ(h.s().CurLocation, QStringLiteral("Rack"));
    EXPECT_TRUE(h.s().CurDescription.isEmpty());
    EXPECT_EQ(location()->text(), QStringLiteral("RackX")); // what was typed stays
}

TEST_F(SupplyListUiTest, TwoAddressesKeepTheirTextsAcrossARestart)
{
    typeInto(location(), QStringLiteral("Rack A"));
    typeInto(description(), QStringLiteral("Charger"));
    address()->setCurrentIndex(5);
    ASSERT_EQ(address()->currentText(), QStringLiteral("05"));
    h.w().ConnectSupply();
    EXPECT_TRUE(location()->text().isEmpty());
    typeInto(location(), QStringLiteral("Rack B"));
    typeInto(description(), QStringLiteral("Motor"));

    ASSERT_TRUE(startWindow()) << h.startError.toStdString();
    EXPECT_EQ(address()->currentText(), QStringLiteral("00"));
    EXPECT_EQ(location()->text(), QStringLiteral("Rack A"));
    EXPECT_EQ(description()->text(), QStringLiteral("Charger"));
    EXPECT_EQ(panel(2), QStringLiteral("Location : Rack A"));
    EXPECT_EQ(h.s().CurDescription, QStringLiteral("Charger"));

    address()->setCurrentIndex(5);
    h.w().ConnectSupply();
    EXPECT_EQ(location()->text(), QStringLiteral("Rack B"));
    EXPECT_EQ(description()->text(), QStringLiteral("Motor"));
    EXPECT_EQ(panel(3), QStringLiteral("Description : Motor"));
    EXPECT_EQ(h.s().CurLocation, QStringLiteral("Rack B"));
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
    EXPECT_EQ(stored("00").location, QStringLiteral("Rack"));
    EXPECT_EQ(location()->text(), QStringLiteral("Rack"));
    EXPECT_EQ(panel(2), QStringLiteral("Location : Rack"));
    EXPECT_EQ(h.s().CurLocation, QStringLiteral("Rack"));
}

} // namespace
