#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/Printing.h"
#include "app/WindowState.h"
#include "datalog/ChartWidget.h"
#include "programs/ProgramTable.h"
#include "tests/app/MessageBoxes.h"
#include "tests/app/PanelHarness.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

namespace {

constexpr int kItpTab = 0;
constexpr int kEtpTab = 1;
constexpr int kIpmTab = 2;
constexpr int kLogTab = 3;
constexpr int kSettingTab = 4;
constexpr int kOutputColumn = 5;
constexpr int kSelectColumn = 0;

class TabsTest : public ::testing::Test {
protected:
    explicit TabsTest(bool withSupply = true)
        : h(withSupply)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(h.start()) << h.startError.toStdString();
        // Ticks are run by hand; the real timers would fire at random points.
        h.ui().TimerPVC->stop();
        h.w().show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&h.w()));
    }

    // The control of that name; a missing one fails the test with its name.
    template <typename T> T& named(const QString& name)
    {
        T* control = h.find<T>(name);
        if (!control)
            throw std::runtime_error("no control named " + name.toStdString());
        return *control;
    }
    QWidget& widget(const QString& name) { return named<QWidget>(name); }
    QAction& toolbarButton(int k)
    {
        return named<QAction>(QStringLiteral("Toolbar2.Buttons(%1)").arg(k));
    }
    QPushButton& runStop() { return named<QPushButton>(QStringLiteral("CmdRunStop")); }
    QTabBar& tabBar() { return *named<QTabWidget>(QStringLiteral("Tab1")).tabBar(); }
    int currentTab() { return named<QTabWidget>(QStringLiteral("Tab1")).currentIndex(); }

    void clickTab(int tab)
    {
        QTest::mouseClick(&tabBar(), Qt::LeftButton, {}, tabBar().tabRect(tab).center());
    }

    // Replaces the combo's whole text by typing, as a user does.
    static void typeName(QComboBox& box, const QString& text)
    {
        QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&box, text);
    }

    // The mouse comes onto the storage tool bar from elsewhere in the window.
    void moveOverToolbar()
    {
        QTest::mouseMove(&widget(QStringLiteral("CmbAddr")));
        QToolBar& bar = named<QToolBar>(QStringLiteral("Toolbar2"));
        QWidget* button = bar.widgetForAction(&toolbarButton(1));
        ASSERT_NE(nullptr, button);
        QTest::mouseMove(button);
    }

    ProgramTable& etp() { return h.w().tableE(); }
    ProgramTable& ipm() { return h.w().tableM(); }

    void setFirstStep(const QString& minute, const QString& second)
    {
        etp().setCell(1, 1, QStringLiteral("5.0"));
        etp().setCell(1, 2, QStringLiteral("1.00"));
        etp().setCell(1, 3, minute);
        etp().setCell(1, 4, second);
    }

    PanelHarness h;
};

// Each box shown lies over its own cell and inside the grid; a box whose cell
// is out of sight is hidden rather than drawn over other controls.
void ExpectOverCells(QTableView& grid, ProgramTable& table, const char* name, int count, int column)
{
    const QRect viewport = grid.viewport()->rect();
    for (int k = 1; k <= count; ++k) {
        SCOPED_TRACE(k);
        QWidget* box
            = grid.findChild<QWidget*>(QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(k));
        ASSERT_NE(nullptr, box);
        const QRect cell = grid.visualRect(table.index(k - 1, column));
        if (!box->isVisible()) {
            EXPECT_FALSE(viewport.contains(cell)) << "a box in full view is missing";
            continue;
        }
        EXPECT_EQ(grid.viewport(), box->parentWidget());
        EXPECT_TRUE(cell.contains(box->geometry().center()));
        EXPECT_TRUE(viewport.contains(box->geometry()));
    }
}

class TabsWithoutSupplyTest : public TabsTest {
protected:
    TabsWithoutSupplyTest()
        : TabsTest(false)
    {
    }
};

// What one tab shows after it was clicked. An empty caption means the button
// keeps the caption the previous tab gave it; no value for "Read Fro PS" means
// the tab leaves it as it was.
struct TabView {
    int tab;
    const char* grid; // the visible program grid, or nullptr
    bool cycleBox;
    bool chart;
    bool rangePanel;
    bool namePanel;
    bool settingButtons;
    const char* runStopCaption;
    std::optional<bool> readFromPs;
    const char* nameLabel;
    const char* descriptionLabel;
};

const TabView kViews[] = {
    { kEtpTab, "FGridE", true, false, false, true, false, "Run", false,
        "Table Name:", "Table Description:" },
    { kIpmTab, "FGridM", false, false, false, true, false, "Set", true,
        "Table Name:", "Table Description:" },
    { kLogTab, nullptr, false, true, true, true, false, "", std::nullopt,
        "Log Name:", "Log Description:" },
    { kSettingTab, nullptr, false, false, false, false, true, "", std::nullopt, nullptr, nullptr },
};

const TabView& ViewOf(int tab)
{
    for (const TabView& view : kViews) {
        if (view.tab == tab)
            return view;
    }
    throw std::logic_error("no view for that tab");
}

TEST_F(TabsTest, EveryTabSwitchShowsThatTabsControls)
{
    // Named tables, so that "Save" and "Delete" are enabled wherever a name box shows.
    for (const int tab : { kEtpTab, kIpmTab, kLogTab }) {
        clickTab(tab);
        typeName(named<QComboBox>(QStringLiteral("CmbTableName(%1)").arg(tab)),
            QStringLiteral("Named %1").arg(tab));
    }
    // Every tab is reached from every other one.
    const int walk[] = { 1, 2, 3, 4, 1, 3, 2, 4, 3, 1, 4, 2, 1 };
    QString caption = runStop().text();
    for (const int tab : walk) {
        SCOPED_TRACE(tab);
        clickTab(tab);
        ASSERT_EQ(tab, currentTab());
        const TabView& v = ViewOf(tab);

        for (const char* grid : { "FGridP", "FGridE", "FGridM" })
            EXPECT_EQ(v.grid && QLatin1String(grid) == QLatin1String(v.grid),
                widget(QLatin1String(grid)).isVisible())
                << grid;
        EXPECT_FALSE(widget(QStringLiteral("TextCycle(0)")).isVisible());
        EXPECT_EQ(v.cycleBox, widget(QStringLiteral("TextCycle(1)")).isVisible());
        EXPECT_EQ(v.chart, widget(QStringLiteral("PP")).isVisible());
        EXPECT_EQ(v.rangePanel, widget(QStringLiteral("Picture4")).isVisible());
        EXPECT_EQ(v.namePanel, widget(QStringLiteral("Picture2")).isVisible());
        EXPECT_EQ(v.settingButtons, widget(QStringLiteral("CmdDefault")).isVisible());
        EXPECT_EQ(v.settingButtons, widget(QStringLiteral("CmdOK")).isVisible());

        if (*v.runStopCaption)
            caption = QLatin1String(v.runStopCaption);
        EXPECT_EQ(caption, runStop().text());
        if (v.readFromPs) {
            EXPECT_EQ(*v.readFromPs, widget(QStringLiteral("CmdRS")).isVisible());
        }

        int outputBoxes = 0;
        for (int k = 1; k <= 20; ++k)
            outputBoxes += widget(QStringLiteral("OutputCK(%1)").arg(k)).isVisible() ? 1 : 0;
        if (tab == kEtpTab) {
            EXPECT_GT(outputBoxes, 0);
            ExpectOverCells(
                named<QTableView>(QStringLiteral("FGridE")), etp(), "OutputCK", 20, kOutputColumn);
        } else {
            EXPECT_EQ(0, outputBoxes);
        }
        for (int k = 1; k <= 9; ++k)
            EXPECT_EQ(
                tab == kIpmTab && k <= 3, widget(QStringLiteral("Option1(%1)").arg(k)).isVisible())
                << k;

        EXPECT_EQ(tab != kSettingTab, toolbarButton(1).isEnabled());
        EXPECT_EQ(tab != kSettingTab, toolbarButton(2).isEnabled());
        EXPECT_TRUE(toolbarButton(3).isEnabled());
        EXPECT_EQ(tab != kSettingTab, toolbarButton(4).isEnabled());
        EXPECT_EQ(tab != kSettingTab, toolbarButton(5).isEnabled());

        if (v.namePanel) {
            for (int t = 0; t < 4; ++t) {
                QWidget& name = widget(QStringLiteral("CmbTableName(%1)").arg(t));
                QWidget& description = widget(QStringLiteral("TextTableD(%1)").arg(t));
                EXPECT_EQ(t == tab, name.isVisible()) << t;
                EXPECT_EQ(t == tab, name.isEnabled()) << t;
                EXPECT_EQ(t == tab, description.isVisible()) << t;
                EXPECT_EQ(t == tab, description.isEnabled()) << t;
            }
            EXPECT_EQ(
                QLatin1String(v.nameLabel), named<QLabel>(QStringLiteral("LabelTableName")).text());
            EXPECT_EQ(QLatin1String(v.descriptionLabel),
                named<QLabel>(QStringLiteral("LabelTableDescription")).text());
        }
    }
}

TEST_F(TabsTest, TheChartIsRedrawnWhenItsTabIsShown)
{
    // The chart has been seen once (and has its size); then samples arrive
    // while another tab shows, where they are not drawn.
    clickTab(kLogTab);
    clickTab(kEtpTab);
    h.s().LogSamples.markEmpty();
    for (int i = 0; i < 20; ++i)
        h.s().LogSamples.shiftIn(12.0f, 1.5f);
    h.w().DrawChart();
    const ChartTraces& traces = named<ChartWidget>(QStringLiteral("PP")).traces();
    ASSERT_TRUE(traces.empty());

    clickTab(kLogTab);
    EXPECT_FALSE(traces.volts.empty());
    EXPECT_FALSE(traces.amps.empty());
    EXPECT_FALSE(traces.watts.empty());
}

struct FirstStepCase {
    const char* minute;
    const char* second;
    bool runEnabled;
};

TEST_F(TabsTest, RunIsEnabledOnlyWhenTheFirstStepHasADuration)
{
    const FirstStepCase cases[] = {
        { "00", "00", false },
        { "00", "05", true },
        { "01", "00", true },
        { "0", "0", false },
        { "", "", false },
        { "00", "59", true },
    };
    for (const FirstStepCase& c : cases) {
        SCOPED_TRACE(std::string(c.minute) + ":" + c.second);
        clickTab(kIpmTab);
        setFirstStep(QLatin1String(c.minute), QLatin1String(c.second));
        clickTab(kEtpTab);
        EXPECT_EQ(QStringLiteral("Run"), runStop().text());
        EXPECT_EQ(c.runEnabled, runStop().isEnabled());
        EXPECT_TRUE(widget(QStringLiteral("TextCycle(1)")).isEnabled());
    }
}

TEST_F(TabsTest, EmptyProgramTableLeavesRunDisabled)
{
    setFirstStep(QStringLiteral("00"), QStringLiteral("10"));
    clickTab(kIpmTab);
    etp().cutToHeader();
    clickTab(kEtpTab);
    EXPECT_EQ(QStringLiteral("Run"), runStop().text());
    EXPECT_FALSE(runStop().isEnabled());
}

struct PresetCase {
    const char* what;
    int selected; // 0 for none
    bool aboveLimit; // the selected preset's voltage lies above UVL
    bool emptyTable;
    bool setEnabled;
};

TEST_F(TabsTest, SetIsEnabledForAnUsableSelectedPreset)
{
    const PresetCase cases[] = {
        { "nothing selected", 0, false, false, false },
        { "preset 2 selected", 2, false, false, true },
        { "preset 3 selected", 3, false, false, true },
        { "selected preset above the limit", 2, true, false, false },
        { "no presets at all", 1, false, true, false },
    };
    const QString highVolts = QString::number(h.p().uvl + 1.0f, 'f', 1);
    for (const PresetCase& c : cases) {
        SCOPED_TRACE(c.what);
        // Three usable presets, none selected, shown afresh.
        clickTab(kLogTab);
        ipm().setRowCount(4);
        for (int k = 1; k <= 3; ++k)
            ipm().setCell(k, 2, QStringLiteral("05.0"));
        ipm().setSelectedPreset(0);
        clickTab(kIpmTab);
        if (c.selected > 0)
            QTest::mouseClick(
                &widget(QStringLiteral("Option1(%1)").arg(c.selected)), Qt::LeftButton);
        ASSERT_EQ(c.selected, ipm().selectedPreset());
        clickTab(kLogTab);
        if (c.aboveLimit)
            ipm().setCell(c.selected, 2, highVolts);
        if (c.emptyTable)
            ipm().cutToHeader();
        clickTab(kIpmTab);
        EXPECT_EQ(QStringLiteral("Set"), runStop().text());
        EXPECT_EQ(c.setEnabled, runStop().isEnabled());
        if (c.selected > 0 && !c.emptyTable) {
            EXPECT_EQ(
                !c.aboveLimit, widget(QStringLiteral("Option1(%1)").arg(c.selected)).isEnabled());
        }
        if (c.emptyTable) {
            for (int k = 1; k <= 3; ++k)
                EXPECT_FALSE(widget(QStringLiteral("Option1(%1)").arg(k)).isVisible()) << k;
        }
    }
}

TEST_F(TabsTest, StopStaysUsableDuringARunAndSetDoesNot)
{
    setFirstStep(QStringLiteral("00"), QStringLiteral("05"));
    clickTab(kIpmTab);
    QTest::mouseClick(&widget(QStringLiteral("Option1(1)")), Qt::LeftButton);
    ASSERT_TRUE(runStop().isEnabled()) << "Set works while nothing runs";

    clickTab(kEtpTab);
    ASSERT_EQ(QStringLiteral("Run"), runStop().text());
    ASSERT_TRUE(runStop().isEnabled());
    QTest::mouseClick(&runStop(), Qt::LeftButton);
    ASSERT_TRUE(h.w().session().programRunning());
    EXPECT_EQ(QStringLiteral("Stop"), runStop().text());

    clickTab(kIpmTab);
    EXPECT_EQ(QStringLiteral("Set"), runStop().text());
    EXPECT_FALSE(runStop().isEnabled());
    clickTab(kLogTab);
    EXPECT_EQ(QStringLiteral("Set"), runStop().text()) << "the chart tab leaves the button alone";

    clickTab(kEtpTab);
    EXPECT_EQ(QStringLiteral("Stop"), runStop().text());
    EXPECT_TRUE(runStop().isEnabled());
    EXPECT_FALSE(widget(QStringLiteral("TextCycle(1)")).isEnabled());
    EXPECT_FALSE(widget(QStringLiteral("CmdRS")).isVisible());

    QTest::mouseClick(&runStop(), Qt::LeftButton);
    EXPECT_FALSE(h.w().session().programRunning());
    EXPECT_EQ(QStringLiteral("Run"), runStop().text());
    EXPECT_TRUE(widget(QStringLiteral("TextCycle(1)")).isEnabled());
    clickTab(kIpmTab);
    EXPECT_TRUE(runStop().isEnabled()) << "Set works again after the run";
}

TEST_F(TabsTest, TabZeroCannotBeReached)
{
    EXPECT_FALSE(tabBar().isTabEnabled(kItpTab));
    ASSERT_EQ(kEtpTab, currentTab());

    clickTab(kItpTab);
    EXPECT_EQ(kEtpTab, currentTab());
    EXPECT_FALSE(widget(QStringLiteral("FGridP")).isVisible());

    // Nor by the keyboard: arrows on the tab bar, Ctrl+Tab round the tabs.
    tabBar().setFocus();
    QTest::keyClick(&tabBar(), Qt::Key_Left);
    EXPECT_EQ(kEtpTab, currentTab());
    QWidget& tabs = widget(QStringLiteral("Tab1"));
    QTest::keyClick(&tabs, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(kSettingTab, currentTab()) << "backwards from tab 1 wraps past tab 0";
    QTest::keyClick(&tabs, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(kEtpTab, currentTab()) << "forwards from the last tab wraps past tab 0";
    EXPECT_FALSE(widget(QStringLiteral("FGridP")).isVisible());
}

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

TEST_F(TabsTest, TabWalksEachTabTopToBottomLeftToRight)
{
    EXPECT_EQ(QStringLiteral("Tab1"), FocusedName())
        << "the first usable tab starts with the focus";
    EXPECT_EQ(kEtpTab, currentTab());

    // From the address box round to it again; on the program tabs the grid
    // hands the focus to its cell editor at once. "Read Fro PS" stays as tab 2
    // left it.
    const char* top = "CmbAddr TextLocation TextEngineryD TextSetVC(0) TextSetVC(1) "
                      "LcdPSetVC(0) LcdPSetVC(1) ImageOnOff ";
    const struct {
        int tab;
        const char* stops;
    } cases[] = {
        { kEtpTab, "CmdSS CmdCT Tab1 TextE CmbTableName(1) TextCycle(1) TextTableD(1)" },
        { kIpmTab,
            "CmdRS CmdSS CmdCT CmdRunStop Tab1 TextM Option1(1) Option1(2) Option1(3) "
            "CmbTableName(2) TextTableD(2)" },
        { kLogTab,
            "CmdRS CmdSS CmdCT Tab1 Option2(0) CmbTableName(3) TextTableD(3) CmbVMax CmbCMax "
            "CmbWMax CmbTMin CmbVMin CmbCMin CmbWMin CmbTLen" },
        { kSettingTab, "CmdRS CmdSS CmdCT Tab1 CboPort CboAS TextUVL TextUCL CmdDefault CmdOK" },
    };
    MessageBoxes boxes;
    for (const auto& c : cases) {
        clickTab(c.tab);
        widget(QStringLiteral("CmbAddr")).setFocus(Qt::TabFocusReason);
        QStringList stops { FocusedName() };
        for (int i = 0; i < 60; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (FocusedName() == stops.first())
                break;
            stops << FocusedName();
        }
        EXPECT_EQ(QLatin1String(top) + QLatin1String(c.stops), stops.join(u' ')) << c.tab;
    }
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(u'|').toStdString();
}

struct TipStep {
    int tab;
    const char* save;
    const char* remove;
    const char* print;
};

TEST_F(TabsTest, ToolbarToolTipsFollowTheTabWhenTheMouseComes)
{
    const TipStep steps[] = {
        // The program tab keeps whatever the tool bar showed before.
        { kEtpTab, "Save to data of Ovolta", "Delete for data of Ovolta", "Print" },
        { kIpmTab, "Save Table", "Delete Table", "Print Table" },
        { kLogTab, "Save Log", "Delete Log", "Print Log" },
        { kEtpTab, "Save Log", "Delete Log", "Print Log" },
        { kIpmTab, "Save Table", "Delete Table", "Print Table" },
        { kEtpTab, "Save Table", "Delete Table", "Print Table" },
        { kLogTab, "Save Log", "Delete Log", "Print Log" },
    };
    for (const TipStep& s : steps) {
        SCOPED_TRACE(s.tab);
        const QString before = toolbarButton(1).toolTip();
        clickTab(s.tab);
        EXPECT_EQ(before, toolbarButton(1).toolTip()) << "only the mouse changes the tips";
        moveOverToolbar();
        EXPECT_EQ(QLatin1String(s.save), toolbarButton(1).toolTip());
        EXPECT_EQ(QLatin1String(s.remove), toolbarButton(4).toolTip());
        EXPECT_EQ(QLatin1String(s.print), toolbarButton(5).toolTip());
        EXPECT_EQ(QStringLiteral("Save a file of csv type"), toolbarButton(2).toolTip());
        EXPECT_EQ(QStringLiteral("Open a file of csv type"), toolbarButton(3).toolTip());
    }
}

struct SizeCase {
    int width;
    int height;
};

TEST_F(TabsTest, WindowNeverGetsSmallerThanItsMinimum)
{
    // 11910 x 6690 twips, 15 twips a pixel at 96 dpi.
    const double scale = h.w().logicalDpiX() / 96.0;
    const int minWidth = qRound(794 * scale);
    const int minHeight = qRound(446 * scale);
    const SizeCase cases[] = {
        { 300, 200 },
        { 794, 443 }, // between the two heights the old layout used
        { 793, 900 },
        { 1400, 300 },
        { 1, 1 },
        { 1400, 900 },
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(c.width).arg(c.height).toStdString());
        h.w().resize(c.width, c.height);
        const QSize size = h.w().size();
        EXPECT_GE(size.width(), minWidth);
        EXPECT_GE(size.height(), minHeight);
        // A side large enough is taken as asked.
        if (c.width >= h.w().minimumWidth()) {
            EXPECT_EQ(c.width, size.width());
        }
        if (c.height >= h.w().minimumHeight()) {
            EXPECT_EQ(c.height, size.height());
        }
        // Every tab caption stays readable.
        for (int t = 0; t < tabBar().count(); ++t)
            EXPECT_GE(tabBar().tabRect(t).width(),
                tabBar().fontMetrics().horizontalAdvance(tabBar().tabText(t)))
                << t;
    }
}

TEST_F(TabsTest, TablesAndChartStretchWithTheWindow)
{
    h.w().resize(800, 450);
    const QSize smallGrid = widget(QStringLiteral("FGridE")).size();
    clickTab(kLogTab);
    const QSize smallChart = widget(QStringLiteral("PP")).size();

    h.w().resize(1400, 900);
    EXPECT_GT(widget(QStringLiteral("PP")).width(), smallChart.width());
    EXPECT_GT(widget(QStringLiteral("PP")).height(), smallChart.height());
    clickTab(kEtpTab);
    const QRect grid = widget(QStringLiteral("FGridE")).geometry();
    EXPECT_GT(grid.width(), smallGrid.width());
    EXPECT_GT(grid.height(), smallGrid.height());
    clickTab(kIpmTab);
    EXPECT_EQ(grid, widget(QStringLiteral("FGridM")).geometry()) << "the tables share one place";
}

TEST_F(TabsTest, OutputBoxesAndPresetSelectorsStayOverTheirCellsAfterAResize)
{
    const SizeCase sizes[] = { { 1400, 900 }, { 300, 200 }, { 1000, 700 }, { 1600, 1000 } };
    for (const SizeCase& s : sizes) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(s.width).arg(s.height).toStdString());
        clickTab(kEtpTab);
        h.w().resize(s.width, s.height);
        ExpectOverCells(
            named<QTableView>(QStringLiteral("FGridE")), etp(), "OutputCK", 20, kOutputColumn);
        clickTab(kIpmTab);
        h.w().resize(s.width + 10, s.height + 10);
        ExpectOverCells(
            named<QTableView>(QStringLiteral("FGridM")), ipm(), "Option1", 3, kSelectColumn);
    }
    // The large window shows every step and its box.
    clickTab(kEtpTab);
    h.w().resize(1600, 1000);
    int shown = 0;
    for (int k = 1; k <= 20; ++k)
        shown += widget(QStringLiteral("OutputCK(%1)").arg(k)).isVisible() ? 1 : 0;
    const QRect last = h.ui().FGridE->visualRect(etp().index(19, kOutputColumn));
    ASSERT_TRUE(h.ui().FGridE->viewport()->rect().contains(last)) << "the grid shows all steps";
    EXPECT_EQ(20, shown);
}

TEST_F(TabsWithoutSupplyTest, WithoutASupplyNothingCanRunOrBeSet)
{
    // Rows loaded from a file or the database, but no supply to send them to.
    etp().addRow({ QStringLiteral("1"), QStringLiteral("5.0"), QStringLiteral("1.0"),
        QStringLiteral("00"), QStringLiteral("10") });
    ipm().setRowCount(4);
    ipm().setSelectedPreset(1);
    for (const int tab : { kIpmTab, kEtpTab, kLogTab, kIpmTab, kEtpTab }) {
        SCOPED_TRACE(tab);
        clickTab(tab);
        if (tab == kEtpTab) {
            EXPECT_EQ(QStringLiteral("Run"), runStop().text());
        }
        if (tab == kIpmTab) {
            EXPECT_EQ(QStringLiteral("Set"), runStop().text());
            for (int k = 1; k <= 3; ++k)
                EXPECT_FALSE(widget(QStringLiteral("Option1(%1)").arg(k)).isEnabled()) << k;
        }
        EXPECT_FALSE(runStop().isEnabled());
    }
}

} // namespace
