// The preset tab's buttons down to the lines the supply receives. The preset
// rules (selectors, Set, the PROM text) are the programs' own unit tests.

#include "tests/app/WindowFixture.h"

namespace {

class PresetsUiTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        showTab(2);
        h.clearSent();
    }
    void presets(const QStringList& rows)
    {
        for (int k = 1; k <= 3; ++k) {
            const QStringList vc = rows[k - 1].split(u'|');
            ipm().setCell(k, 2, vc[0]);
            ipm().setCell(k, 3, vc[1]);
        }
        h.w().presetGrid().check();
    }
    // Clicks a button; then the next tick, or only what the click sent.
    void click(QPushButton* button, bool tick = true)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        tick ? h.tick() : h.settle();
    }
};

} // namespace

TEST_F(PresetsUiTest, ConnectingReadsThePresetsAndSelectsTheSetPoint)
{
    ASSERT_EQ(ipm().dataRows(), 3);
    EXPECT_EQ(presetRows()[1], QStringLiteral("2|12.0|2.00"));
    // The supply starts at 5 V / 1 A, which is preset 1.
    for (int k = 1; k <= 3; ++k)
        EXPECT_TRUE(selector(k)->isVisible() && selector(k)->isEnabled()
            && selector(k)->isChecked() == (k == 1))
            << k;
    EXPECT_FALSE(selector(4)->isVisible());
    // A preset that fails its check cannot be selected.
    presets({ "5.0|1.00", "0.5|1.00", "15.0|0.00" });
    EXPECT_TRUE(selector(1)->isEnabled());
    EXPECT_FALSE(selector(2)->isEnabled() || selector(3)->isEnabled());
}

// Save sends the three presets; values above the limits go out clamped; on
// another tab it sends nothing and only takes the focus.
TEST_F(PresetsUiTest, SaveSendsTheThreePresetsWithinTheLimits)
{
    presets({ "12.5|1.25", "5.0|0.50", "0.0|0.00" });
    click(h.ui().CmdSS, false);
    EXPECT_EQ(h.sent(), QStringList { "PROM125125050050000000" });
    EXPECT_EQ(h.supply->presets()[0], (VirtualSupply::Preset { 125, 125 }));

    h.clearSent();
    presets({ "99.0|1.00", "5.0|1.00", "12.0|1.00" });
    click(h.ui().CmdSS, false);
    EXPECT_EQ(h.sent(), QStringList { "PROM360100050100120100" });
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("36.0"));

    h.clearSent();
    showTab(1);
    click(h.ui().CmdSS, false);
    EXPECT_TRUE(h.sent().isEmpty());
    EXPECT_TRUE(h.ui().CmdSS->hasFocus());
}

// A value typed with a decimal comma and sent straight from the editor, as
// "Save To PS" and "Set" do, keeps its decimals.
TEST_F(PresetsUiTest, CommaTypedInAPresetIsSentWithItsDecimals)
{
    const struct {
        int row, column;
        const char* typed;
        QPushButton* button;
        QStringList sent;
    } cases[] = {
        { 1, 2, "12,5", h.ui().CmdSS, { "PROM125100120200150150" } },
        { 2, 3, "1,25", h.ui().CmdRunStop, { "PROM050100120125150150", "RUNM0", "GETD" } },
    };
    for (const auto& c : cases) {
        presets({ "5.0|1.00", "12.0|2.00", "15.0|1.50" });
        h.clearSent();
        clickCell(h.ui().FGridM, c.row, c.column);
        ASSERT_TRUE(h.ui().TextM->isVisible());
        QTest::keyClicks(h.ui().TextM, QLatin1String(c.typed));
        click(c.button);
        EXPECT_EQ(h.sent().mid(0, c.sent.size()), c.sent) << c.typed;
    }
}

TEST_F(PresetsUiTest, SaveDuringAnExchangeWaitsForTheLine)
{
    // Clicked while the poll's "GETD" waits for its reply.
    h.startTick();
    h.w().presetControls().saveClick();
    EXPECT_EQ(h.sent(), QStringList { "GETD" });
    h.settle();
    EXPECT_EQ(h.sent(), QStringList({ "GETD", "PROM050100120200150150" }));
}

// "Read Fro PS" reads the presets on their own tab only; two failed reads
// empty the table.
TEST_F(PresetsUiTest, ReadFroPsReadsOnThePresetTabOnly)
{
    showTab(1);
    h.ui().CmdRS->setVisible(true);
    click(h.ui().CmdRS);
    EXPECT_EQ(h.sent(), QStringList { "GETD" });
    h.clearSent();
    showTab(2);
    click(h.ui().CmdRS);
    EXPECT_EQ(h.sent(), QStringList({ "GETM", "GETD" }));

    h.clearSent();
    h.setFaults("garbage");
    click(h.ui().CmdRS);
    EXPECT_EQ(h.sent().filter("GETM").size(), 2);
    EXPECT_EQ(ipm().dataRows(), 0);
    for (int k = 1; k <= 3; ++k)
        EXPECT_FALSE(selector(k)->isVisible()) << k;
}

TEST_F(PresetsUiTest, SetWritesAndRecallsTheSelectedPreset)
{
    QTest::mouseClick(selector(2), Qt::LeftButton);
    EXPECT_TRUE(selector(2)->isChecked() && !selector(1)->isChecked());
    EXPECT_EQ(ipm().selectedPreset(), 2);
    ASSERT_TRUE(h.ui().CmdRunStop->isEnabled());
    EXPECT_EQ(h.ui().CmdRunStop->text(), QStringLiteral("Set"));
    QTest::mouseClick(h.ui().CmdRunStop, Qt::LeftButton);
    EXPECT_TRUE(h.sent().isEmpty());
    h.tick();
    EXPECT_EQ(h.sent(), QStringList({ "PROM050100120200150150", "RUNM1", "GETD" }));
    EXPECT_EQ(h.p().setVoltText, QStringLiteral("12.0"));
    EXPECT_EQ(h.p().setCurrText, QStringLiteral("2.00"));

    // Without a selected preset nothing is recalled.
    h.clearSent();
    ipm().setSelectedPreset(0);
    h.w().presetControls().setClick();
    h.tick();
    EXPECT_EQ(h.sent(), QStringList({ "PROM050100120200150150", "GETD" }));
    EXPECT_EQ(h.p().setVoltText, QStringLiteral("12.0"));
}

TEST_F(PresetsUiTest, DoubleClickOnAPresetIsSet)
{
    QTableView* grid = h.ui().FGridM;
    const QRect cell = grid->visualRect(ipm().index(2, 1));
    clickCell(grid, 3, 1);
    EXPECT_EQ(ipm().selectedPreset(), 3);
    h.tick();
    EXPECT_TRUE(h.sent().filter("PROM").isEmpty());
    // The second click lands on the editor now lying over the cell.
    QLineEdit* editor = h.ui().TextM;
    ASSERT_TRUE(editor->isVisible());
    ASSERT_TRUE(editor->geometry().contains(cell.center()));
    QTest::mouseDClick(editor, Qt::LeftButton, {}, editor->rect().center());
    h.tick();
    EXPECT_EQ(h.sent().filter("PROM").size(), 1);

    // Over a value the double-click stays the editor's.
    h.clearSent();
    clickCell(grid, 1, 2);
    QTest::mouseDClick(editor, Qt::LeftButton, {}, editor->rect().center());
    h.tick();
    EXPECT_TRUE(h.sent().filter("PROM").isEmpty());
    EXPECT_TRUE(editor->isVisible());
}
