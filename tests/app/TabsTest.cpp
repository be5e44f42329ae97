// Switching tabs by mouse and keyboard: what each tab shows, when "Run" and
// "Set" can be used, the focus order and the window's size.

#include "datalog/ChartWidget.h"
#include "tests/app/WindowFixture.h"

#include <QTabBar>

namespace {

constexpr int kEtpTab = 1;
constexpr int kIpmTab = 2;
constexpr int kLogTab = 3;
constexpr int kSettingTab = 4;

class TabsTest : public WindowFixture {
protected:
    QTabBar& tabBar() { return *h.ui().Tab1->tabBar(); }
    int currentTab() { return h.ui().Tab1->currentIndex(); }
    QPushButton* runStop() { return h.ui().CmdRunStop; }
    bool shown(const char* name) { return h.find<QWidget>(name)->isVisible(); }
    void clickTab(int tab)
    {
        QTest::mouseClick(&tabBar(), Qt::LeftButton, {}, tabBar().tabRect(tab).center());
    }
};

// The name of the control that has the focus: the nearest named one, so that
// the tab bar counts as "Tab1".
QString FocusedName()
{
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_"))
            return w->objectName();
    }
    return QStringLiteral("<none>");
}

} // namespace

TEST_F(TabsTest, EveryTabSwitchShowsThatTabsControls)
{
    // Named tables, so that "Save" and "Delete" are enabled wherever a name box shows.
    for (const int tab : { kEtpTab, kIpmTab, kLogTab }) {
        clickTab(tab);
        typeName(tab, QStringLiteral("Named %1").arg(tab));
    }
    // Shown per tab: grids E and M, cycle box, chart and range panel, name
    // panel, setting buttons.
    const char* const controls[]
        = { "FGridE", "FGridM", "TextCycle(1)", "PP", "Picture4", "Picture2", "CmdOK" };
    const char* const views[] = { "", "1010010", "0100010", "0001110", "0000001" };
    // Every tab is reached from every other one.
    for (const int tab : { 1, 2, 3, 4, 1, 3, 2, 4, 3, 1, 4, 2, 1 }) {
        SCOPED_TRACE(tab);
        clickTab(tab);
        ASSERT_EQ(currentTab(), tab);
        QString seen;
        for (const char* name : controls)
            seen += shown(name) ? u'1' : u'0';
        EXPECT_EQ(seen, QLatin1String(views[tab]));
        EXPECT_FALSE(shown("FGridP") || shown("TextCycle(0)"));
        for (QAction* button : h.ui().storageButtons())
            EXPECT_EQ(button->isEnabled(), tab != kSettingTab || button == h.ui().importButton);
        for (int t = 0; t < 4 && tab != kSettingTab; ++t) {
            const QString state = QStringLiteral("%1%2%3%4")
                                      .arg(combo(t)->isVisible())
                                      .arg(combo(t)->isEnabled())
                                      .arg(description(t)->isVisible())
                                      .arg(description(t)->isEnabled());
            EXPECT_EQ(state, t == tab ? "1111" : "0000") << t;
        }
    }
}

TEST_F(TabsTest, TheChartIsRedrawnWhenItsTabIsShown)
{
    // The chart has been seen once (and has its size); then samples arrive
    // while another tab shows, where they are not drawn.
    clickTab(kLogTab);
    clickTab(kEtpTab);
    recordLog(20, 12);
    h.w().DrawChart();
    const ChartTraces& traces = h.ui().PP->traces();
    ASSERT_TRUE(traces.empty());
    clickTab(kLogTab);
    EXPECT_FALSE(traces.volts.empty() || traces.amps.empty() || traces.watts.empty());
}

// "Run" follows the first step's time when the tab is shown again; the rules'
// own test has the rest ("0:0" and ":" are only here).
TEST_F(TabsTest, RunIsEnabledOnlyWhenTheFirstStepHasADuration)
{
    const struct {
        const char* minute;
        const char* second;
        bool runEnabled;
    } cases[]
        = { { "00", "00", false }, { "00", "05", true }, { "0", "0", false }, { "", "", false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.minute) + ":" + c.second);
        clickTab(kIpmTab);
        setEtpRow(1, "5.0", "1.00", c.minute, c.second, true);
        clickTab(kEtpTab);
        EXPECT_EQ(runStop()->text(), QStringLiteral("Run"));
        EXPECT_EQ(runStop()->isEnabled(), c.runEnabled);
    }
}

// "Set" follows the selected preset when the tab is shown again.
TEST_F(TabsTest, SetFollowsTheSelectedPresetsCheck)
{
    clickTab(kIpmTab);
    QTest::mouseClick(selector(2), Qt::LeftButton);
    ASSERT_TRUE(runStop()->isEnabled());
    clickTab(kLogTab);
    ipm().setCell(2, 2, QString::number(h.p().uvl + 1.0f, 'f', 1));
    clickTab(kIpmTab);
    EXPECT_EQ(runStop()->text(), QStringLiteral("Set"));
    EXPECT_FALSE(runStop()->isEnabled() || selector(2)->isEnabled());
    clickTab(kLogTab);
    ipm().cutToHeader();
    clickTab(kIpmTab);
    EXPECT_FALSE(runStop()->isEnabled() || selector(2)->isVisible());
}

TEST_F(TabsTest, StopStaysUsableDuringARunAndSetDoesNot)
{
    setEtpRow(1, "5.0", "1.00", "00", "05", true);
    h.w().stepGrid().check();
    clickTab(kEtpTab);
    QTest::mouseClick(runStop(), Qt::LeftButton);
    ASSERT_TRUE(h.w().session().programRunning());
    EXPECT_EQ(runStop()->text(), QStringLiteral("Stop"));
    clickTab(kIpmTab);
    EXPECT_EQ(runStop()->text(), QStringLiteral("Set"));
    EXPECT_FALSE(runStop()->isEnabled());
    clickTab(kLogTab);
    EXPECT_EQ(runStop()->text(), QStringLiteral("Set")) << "the chart tab leaves the button alone";
    clickTab(kEtpTab);
    EXPECT_EQ(runStop()->text(), QStringLiteral("Stop"));
    EXPECT_TRUE(runStop()->isEnabled());
    EXPECT_FALSE(h.ui().TextCycle[1]->isEnabled() || shown("CmdRS"));

    // The run ends while the preset tab shows: the button stays "Set".
    clickTab(kIpmTab);
    h.timers.runUntil([&] { return !h.w().session().programRunning(); });
    EXPECT_EQ(runStop()->text(), QStringLiteral("Set"));
    clickTab(kEtpTab);
    EXPECT_EQ(runStop()->text(), QStringLiteral("Run"));
    EXPECT_TRUE(h.ui().TextCycle[1]->isEnabled());
    clickTab(kIpmTab);
    EXPECT_TRUE(runStop()->isEnabled()) << "Set works again after the run";
}

TEST_F(TabsTest, TabZeroCannotBeReached)
{
    EXPECT_FALSE(tabBar().isTabEnabled(0));
    ASSERT_EQ(currentTab(), kEtpTab);
    clickTab(0);
    EXPECT_EQ(currentTab(), kEtpTab);
    // Nor by the keyboard: arrows on the tab bar, Ctrl+Tab round the tabs.
    tabBar().setFocus();
    QTest::keyClick(&tabBar(), Qt::Key_Left);
    EXPECT_EQ(currentTab(), kEtpTab);
    QTest::keyClick(h.ui().Tab1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(currentTab(), kSettingTab) << "backwards from tab 1 wraps past tab 0";
    QTest::keyClick(h.ui().Tab1, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(currentTab(), kEtpTab) << "forwards from the last tab wraps past tab 0";
    EXPECT_FALSE(shown("FGridP"));
}

TEST_F(TabsTest, TabWalksEachTabTopToBottomLeftToRight)
{
    EXPECT_EQ(FocusedName(), QStringLiteral("Tab1"))
        << "the first usable tab starts with the focus";
    // From the address box round to it again; on the program tabs the grid
    // hands the focus to its cell editor at once. "Read Fro PS" stays as tab 2
    // left it.
    const QString top = "CmbAddr TextLocation TextEngineryD TextSetVC(0) TextSetVC(1) "
                        "LcdPSetVC(0) LcdPSetVC(1) ImageOnOff ";
    const char* const stops[]
        = { "", "CmdSS CmdCT Tab1 TextE CmbTableName(1) TextCycle(1) TextTableD(1)",
              "CmdRS CmdSS CmdCT CmdRunStop Tab1 TextM Option1(1) Option1(2) Option1(3) "
              "CmbTableName(2) TextTableD(2)",
              "CmdRS CmdSS CmdCT Tab1 Option2(0) CmbTableName(3) TextTableD(3) CmbVMax CmbCMax "
              "CmbWMax CmbTMin CmbVMin CmbCMin CmbWMin CmbTLen",
              "CmdRS CmdSS CmdCT Tab1 CboPort CboAS TextUVL TextUCL CmdDefault CmdOK" };
    MessageBoxes boxes;
    for (const int tab : { kEtpTab, kIpmTab, kLogTab, kSettingTab }) {
        clickTab(tab);
        h.ui().CmbAddr->setFocus(Qt::TabFocusReason);
        QStringList seen { FocusedName() };
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (FocusedName() == seen.first())
                break;
            seen << FocusedName();
        }
        EXPECT_EQ(seen.join(u' '), top + QLatin1String(stops[tab])) << tab;
    }
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(u'|').toStdString();
}

// Smaller than its minimum the window does not get, and every tab caption
// stays readable.
TEST_F(TabsTest, TheWindowKeepsItsMinimumSize)
{
    const double scale = h.w().logicalDpiX() / 96.0;
    h.w().resize(1, 1);
    EXPECT_GE(h.w().width(), qRound(794 * scale));
    EXPECT_GE(h.w().height(), qRound(446 * scale));
    for (int t = 0; t < tabBar().count(); ++t)
        EXPECT_GE(tabBar().tabRect(t).width(),
            tabBar().fontMetrics().horizontalAdvance(tabBar().tabText(t)))
            << t;
}
