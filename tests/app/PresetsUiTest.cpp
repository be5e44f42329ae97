#include "app/PresetControls.h"
#include "app/PresetGrid.h"
#include "app/RunnerControls.h"
#include "app/StepGrid.h"
#include "programs/ProgramTable.h"
#include "tests/app/ProgramTabsFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class PresetsUiTest : public ProgramTabsFixture {
protected:
    using ProgramTabsFixture::ProgramTabsFixture;

    void SetUp() override
    {
        ProgramTabsFixture::SetUp();
        h.clearSent();
    }

    QPushButton* button(const char* name) { return h.find<QPushButton>(QLatin1String(name)); }
    QRadioButton* option(int k)
    {
        return h.find<QRadioButton>(QStringLiteral("Option1(%1)").arg(k));
    }

    void presets(const QStringList& volts, const QStringList& amps)
    {
        for (int k = 1; k <= 3; ++k) {
            ipm().setCell(k, 2, volts[k - 1]);
            ipm().setCell(k, 3, amps[k - 1]);
        }
        h.w().presetGrid().check();
    }

    void clickSave()
    {
        QTest::mouseClick(button("CmdSS"), Qt::LeftButton);
        h.settle();
    }
};

class PresetsUi5810Test : public PresetsUiTest {
protected:
    PresetsUi5810Test()
        : PresetsUiTest(*SupplyModel::find(QStringLiteral("5810")))
    {
    }
};

class PresetsUiNoSupplyTest : public PresetsUiTest {
protected:
    PresetsUiNoSupplyTest()
        : PresetsUiTest(SupplyModel::standard(), false)
    {
    }
};

} // namespace

TEST_F(PresetsUiTest, ConnectingReadsThePresetsAndSelectsTheSetPoint)
{
    h.ui().Tab1->setCurrentIndex(2);
    ASSERT_EQ(ipm().dataRows(), 3);
    EXPECT_EQ(ipm().cell(2, 2), QStringLiteral("12.0"));
    EXPECT_EQ(ipm().cell(2, 3), QStringLiteral("2.00"));
    // The supply starts at 5 V / 1 A, which is preset 1.
    EXPECT_TRUE(option(1)->isChecked());
    EXPECT_FALSE(option(2)->isChecked());
    for (int k = 1; k <= 3; ++k) {
        EXPECT_TRUE(option(k)->isVisible()) << k;
        EXPECT_TRUE(option(k)->isEnabled()) << k;
    }
    EXPECT_FALSE(option(4)->isVisible());
    // The model leaves the selection to the option buttons.
    EXPECT_FALSE(ipm().data(ipm().index(0, 0), Qt::CheckStateRole).isValid());
}

TEST_F(PresetsUiTest, SaveWritesTheThreePresetsInHundredths)
{
    h.ui().Tab1->setCurrentIndex(2);
    presets({ "12.5", "5.0", "0.0" }, { "1.25", "0.50", "0.00" });
    clickSave();
    EXPECT_EQ(h.sent(), QStringList { QStringLiteral("PROM125125050050000000") });
    using Preset = VirtualSupply::Preset;
    EXPECT_EQ(h.supply->presets()[0], (Preset { 125, 125 }));
    EXPECT_EQ(h.supply->presets()[1], (Preset { 50, 50 }));
}

TEST_F(PresetsUi5810Test, SaveWritesTheThreePresetsInTenths)
{
    h.ui().Tab1->setCurrentIndex(2);
    presets({ "18.0", "5.0", "1.0" }, { "10.0", "2.5", "0.1" });
    clickSave();
    EXPECT_EQ(h.sent(), QStringList { QStringLiteral("PROM180100050025010001") });
}

// A value typed with a decimal comma and sent straight from the editor, as
// "Save To PS" and "Set" do, keeps its decimals.
TEST_F(PresetsUiTest, CommaTypedInAPresetIsSentWithItsDecimals)
{
    struct Case {
        int row, column;
        const char* typed;
        const char* button;
        QStringList sent;
    };
    const Case cases[] = {
        { 1, 2, "12,5", "CmdSS", { "PROM125100120200150150" } },
        { 2, 3, "1,25", "CmdRunStop", { "PROM050100120125150150", "RUNM0", "GETD" } },
    };
    h.ui().Tab1->setCurrentIndex(2);
    for (const Case& c : cases) {
        presets({ "5.0", "12.0", "15.0" }, { "1.00", "2.00", "1.50" });
        h.clearSent();
        const QRect cell = h.ui().FGridM->visualRect(ipm().index(c.row - 1, c.column));
        QTest::mouseClick(h.ui().FGridM->viewport(), Qt::LeftButton, {}, cell.center());
        ASSERT_TRUE(h.ui().TextM->isVisible());
        QTest::keyClicks(h.ui().TextM, QLatin1String(c.typed));
        QTest::mouseClick(button(c.button), Qt::LeftButton);
        h.tick();
        EXPECT_EQ(h.sent().mid(0, c.sent.size()), c.sent) << c.button;
    }
}

TEST_F(PresetsUiTest, SaveTriesFourTimesAndAlwaysRestartsThePoll)
{
    h.ui().Tab1->setCurrentIndex(2);
    h.setFaults(QStringLiteral("silent"));
    clickSave();
    EXPECT_EQ(h.sent().filter(QStringLiteral("PROM")).size(), 4);

    // On the other tabs it sends nothing and only takes the focus.
    h.clearSent();
    h.ui().Tab1->setCurrentIndex(1);
    clickSave();
    EXPECT_TRUE(h.sent().isEmpty());
    EXPECT_TRUE(button("CmdSS")->hasFocus());
}

TEST_F(PresetsUiTest, SaveClampsPresetsAboveTheLimits)
{
    h.ui().Tab1->setCurrentIndex(2);
    presets({ "99.0", "5.0", "12.0" }, { "1.00", "1.00", "1.00" });
    clickSave();
    EXPECT_EQ(h.sent(), QStringList { QStringLiteral("PROM360100050100120100") });
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("36.0"));
}

TEST_F(PresetsUiTest, SaveDuringAnExchangeWaitsForTheLine)
{
    h.ui().Tab1->setCurrentIndex(2);
    // Clicked while the poll's "GETD" waits for its reply.
    h.startTick();
    h.w().presetControls().saveClick();
    EXPECT_EQ(h.sent(), QStringList { QStringLiteral("GETD") });
    h.settle();
    EXPECT_EQ(h.sent(), QStringList({ "GETD", "PROM050100120200150150" }));
}

TEST_F(PresetsUiTest, ReadFroPsOnTheTimedProgramTabsSendsNothing)
{
    for (int tab : { 0, 1 }) {
        h.ui().Tab1->setCurrentIndex(tab);
        h.ui().CmdRS->setVisible(true);
        QTest::mouseClick(button("CmdRS"), Qt::LeftButton);
        h.tick();
        EXPECT_EQ(h.sent(), QStringList { QStringLiteral("GETD") }) << tab;
        h.clearSent();
    }
    h.ui().Tab1->setCurrentIndex(2);
    QTest::mouseClick(button("CmdRS"), Qt::LeftButton);
    h.tick();
    EXPECT_EQ(h.sent(), QStringList({ "GETM", "GETD" }));
}

TEST_F(PresetsUiTest, TwoFailedReadsEmptyThePresetTable)
{
    h.ui().Tab1->setCurrentIndex(2);
    ASSERT_EQ(ipm().dataRows(), 3);
    h.setFaults(QStringLiteral("garbage"));
    QTest::mouseClick(button("CmdRS"), Qt::LeftButton);
    h.tick();
    EXPECT_EQ(h.sent().filter(QStringLiteral("GETM")).size(), 2);
    EXPECT_EQ(ipm().dataRows(), 0);
    for (int k = 1; k <= 3; ++k)
        EXPECT_FALSE(option(k)->isVisible()) << k;
}

TEST_F(PresetsUiTest, SetWritesAndRecallsTheSelectedPreset)
{
    h.ui().Tab1->setCurrentIndex(2);
    QTest::mouseClick(option(2), Qt::LeftButton);
    EXPECT_TRUE(option(2)->isChecked());
    EXPECT_FALSE(option(1)->isChecked());
    EXPECT_EQ(ipm().selectedPreset(), 2);
    ASSERT_TRUE(button("CmdRunStop")->isEnabled());
    EXPECT_EQ(button("CmdRunStop")->text(), QStringLiteral("Set"));

    QTest::mouseClick(button("CmdRunStop"), Qt::LeftButton);
    EXPECT_TRUE(h.sent().isEmpty());
    h.tick();
    EXPECT_EQ(h.sent(), QStringList({ "PROM050100120200150150", "RUNM1", "GETD" }));
    EXPECT_EQ(h.p().setVoltText, QStringLiteral("12.0"));
    EXPECT_EQ(h.p().setCurrText, QStringLiteral("2.00"));
}

TEST_F(PresetsUiTest, SetWithoutASelectedPresetRecallsNone)
{
    h.ui().Tab1->setCurrentIndex(2);
    ipm().setSelectedPreset(0);
    const QString before = h.p().setVoltText;
    h.w().presetControls().setClick();
    h.tick();
    EXPECT_EQ(h.sent(), QStringList({ "PROM050100120200150150", "GETD" }));
    EXPECT_EQ(h.p().setVoltText, before);
}

TEST_F(PresetsUiTest, DoubleClickOnAPresetIsSet)
{
    h.ui().Tab1->setCurrentIndex(2);
    QTableView* grid = h.ui().FGridM;
    const QRect cell = grid->visualRect(ipm().index(2, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(ipm().selectedPreset(), 3);
    h.tick();
    EXPECT_TRUE(h.sent().filter(QStringLiteral("PROM")).isEmpty());

    // The second click lands on the editor now lying over the cell.
    QLineEdit* editor = h.ui().TextM;
    ASSERT_TRUE(editor->isVisible());
    ASSERT_TRUE(editor->geometry().contains(cell.center()));
    QTest::mouseDClick(editor, Qt::LeftButton, {}, editor->rect().center());
    h.tick();
    EXPECT_EQ(h.sent().filter(QStringLiteral("PROM")).size(), 1);

    // Over a value the double-click stays the editor's.
    h.clearSent();
    const QRect volts = grid->visualRect(ipm().index(0, 2));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, volts.center());
    QTest::mouseDClick(editor, Qt::LeftButton, {}, editor->rect().center());
    h.tick();
    EXPECT_TRUE(h.sent().filter(QStringLiteral("PROM")).isEmpty());
    EXPECT_TRUE(editor->isVisible());
}

TEST_F(PresetsUiTest, InvalidPresetCannotBeSelected)
{
    h.ui().Tab1->setCurrentIndex(2);
    presets({ "5.0", "0.5", "15.0" }, { "1.00", "1.00", "0.00" });
    EXPECT_TRUE(option(1)->isEnabled());
    EXPECT_FALSE(option(2)->isEnabled());
    EXPECT_FALSE(option(3)->isEnabled());
    EXPECT_EQ(ipm().colour(2, 2), CellColour::DarkRed);
    EXPECT_EQ(ipm().colour(3, 3), CellColour::DarkRed);
    EXPECT_EQ(ipm().colour(1, 2), CellColour::Green);
}

TEST_F(PresetsUiNoSupplyTest, SetWithoutASupplyDoesNothing)
{
    h.ui().Tab1->setCurrentIndex(2);
    EXPECT_EQ(ipm().dataRows(), 0);
    EXPECT_FALSE(button("CmdRunStop")->isEnabled());
    h.w().presetControls().setClick();
    h.tick();
    EXPECT_TRUE(h.sent().isEmpty());
}
