// The preset tab's buttons down to the lines the supply receives.

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
    // The three presets as "V|C" each, checked; nothing sent yet.
    void presets(const QStringList& rows)
    {
        for (int k = 1; k <= 3; ++k) {
            ipm().setCell(k, 2, rows[k - 1].section(u'|', 0, 0));
            ipm().setCell(k, 3, rows[k - 1].section(u'|', 1, 1));
        }
        h.w().presetGrid().check();
        h.clearSent();
    }
    // Clicks a button; the lines sent until the next tick's end (or only what the click sent).
    QStringList click(QWidget* button, bool tick = true)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        tick ? h.tick() : h.settle();
        return h.sent();
    }
};

} // namespace

// Clamped, on this tab only, after the line's current exchange; 5 V / 1 A is preset 1.
TEST_F(PresetsUiTest, SaveSendsTheThreePresetsWithinTheLimits)
{
    presets({ "5.0|1.00", "0.5|1.00", "15.0|0.00" });
    EXPECT_FALSE(selector(2)->isEnabled() || selector(3)->isEnabled());
    presets({ "99.0|1.00", "5.0|1.00", "12.0|1.00" });
    EXPECT_EQ(click(h.ui().CmdSS, false), QStringList { "PROM360100050100120100" });
    EXPECT_EQ(ipm().cell(1, 2), QStringLiteral("36.0"));
    EXPECT_EQ(h.supply->presets()[0], (VirtualSupply::Preset { 360, 100 }));
    showTab(1);
    h.clearSent();
    EXPECT_EQ(click(h.ui().CmdSS, false), QStringList());
    EXPECT_TRUE(h.ui().CmdSS->hasFocus());
    showTab(2);
    presets({ "5.0|1.00", "12.0|2.00", "15.0|1.50" });
    h.startTick(); // the poll's "GETD" waits for its reply
    h.w().presetControls().saveClick();
    EXPECT_EQ(h.sent(), QStringList { "GETD" });
    h.settle();
    EXPECT_EQ(h.sent(), QStringList({ "GETD", "PROM050100120200150150" }));
}

// By button (a comma typed in the open editor sent with its decimals) or double click on a
// selector cell; "Read Fro PS" failing twice empties the table.
TEST_F(PresetsUiTest, SetRecallsTheSelectedPreset)
{
    QTest::mouseClick(selector(2), Qt::LeftButton);
    EXPECT_EQ(ipm().selectedPreset(), 2);
    clickCell(h.ui().FGridM, 2, 3);
    QTest::keyClicks(h.ui().TextM, "1,25");
    EXPECT_EQ(click(h.ui().CmdRunStop), QStringList({ "PROM050100120125150150", "RUNM1", "GETD" }));
    EXPECT_EQ(h.p().setVoltText + h.p().setCurrText, QStringLiteral("12.01.25"));
    h.clearSent();
    ipm().setSelectedPreset(0);
    h.w().presetControls().setClick();
    h.tick();
    EXPECT_EQ(h.sent(), QStringList({ "PROM050100120125150150", "GETD" }));

    QLineEdit* editor = h.ui().TextM;
    for (const int column : { 1, 2 }) {
        clickCell(h.ui().FGridM, 3, column);
        h.tick();
        h.clearSent();
        // The second click lands on the editor now lying over the cell.
        QTest::mouseDClick(editor, Qt::LeftButton, {}, editor->rect().center());
        h.tick();
        EXPECT_EQ(h.sent().filter("PROM").size(), column == 1 ? 1 : 0) << column;
    }
    EXPECT_TRUE(editor->isVisible());
    h.clearSent();
    h.setFaults("garbage");
    EXPECT_EQ(click(h.ui().CmdRS).filter("GETM").size(), 2);
    EXPECT_EQ(ipm().dataRows(), 0);
    EXPECT_FALSE(selector(1)->isVisible());
}
