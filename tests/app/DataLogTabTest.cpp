// The Data Log tab's combos wired to the chart; the range rules themselves are
// ChartRangeRules' (tests/datalog).

#include "datalog/ChartWidget.h"
#include "tests/app/PanelHarness.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int kLogTab = 3;

class DataLogTabTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(h.start()) << h.startError.toStdString();
        h.ui().Tab1->setCurrentIndex(kLogTab);
    }

    QComboBox* combo(const char* name) { return h.find<QComboBox>(name); }
    QString label(const char* name, int k)
    {
        return h.find<QLabel>(QStringLiteral("%1(%2)").arg(name).arg(k))->text();
    }
    const ChartRanges& ranges() { return h.w().chartRanges(); }
    int windowLength() { return ranges().ChartTEnd - ranges().ChartTStart; }
    std::size_t segments() { return h.ui().PP->traces().volts.size(); }

    // Selects the combo's whole text and types over it, as a user does.
    static void typeInto(QComboBox* box, const QString& text)
    {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(box, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    static void enter(QComboBox* box, const QString& text)
    {
        typeInto(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    // Opens the combo's list, moves to the item and takes it with Enter.
    static void choose(QComboBox* box, const QString& item)
    {
        box->showPopup();
        QAbstractItemView* view = box->view();
        ASSERT_TRUE(view->isVisible());
        view->setCurrentIndex(view->model()->index(box->findText(item), 0));
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_FALSE(view->isVisible());
    }
    // A live log of count samples, newest first.
    void fillLiveLog(int count)
    {
        h.s().LogSamples.markEmpty();
        for (int i = 0; i < count; ++i)
            h.s().LogSamples.shiftIn(12.0f, 1.0f);
    }

    PanelHarness h;
};

// Enter takes the typed text through the rule into the combo, the chart and
// its labels. A typed beginning of a list entry stays what was typed.
TEST_F(DataLogTabTest, TypedEntriesSetTheChartAndItsLabels)
{
    const struct {
        const char *combo, *typed, *shown, *label;
        int k;
        const char* labelText;
    } cases[] = {
        { "CmbTLen", "2h", "7200S", "PLabT", 2, "7200S" },
        { "CmbTLen", "1", "1S", "PLabT", 2, "1S" }, // the list holds 10S
        { "CmbTLen", "1,5h", "3600S", "PLabT", 2, "3600S" }, // whole hours only
        { "CmbTLen", "2m", "120S", "PLabT", 2, "120S" },
        { "CmbTMin", "1m", "60S", "PLabT", 2, "180S" },
        { "CmbVMax", "1", "1V", "PLabV", 2, "1.0V" }, // the list holds 10V
        { "CmbVMin", "20", "0V", "PLabV", 1, "0.5V" }, // kept below the maximum
        { "CmbCMax", "2,5", "2.5A", "PLabC", 1, "1.25A" },
        { "CmbCMin", "3", "2.4A", "PLabC", 0, "2.40A" },
        { "CmbWMax", "150.4", "150W", "PLabW", 2, "150.0W" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.combo) + " <- " + c.typed);
        enter(combo(c.combo), c.typed);
        EXPECT_EQ(combo(c.combo)->currentText(), c.shown);
        EXPECT_EQ(label(c.label, c.k), c.labelText);
        EXPECT_EQ(h.ui().PP->ranges().ChartTEnd, ranges().ChartTEnd);
        EXPECT_EQ(h.ui().PP->ranges().ChartVMax, ranges().ChartVMax);
    }
}

// Texts no rule case has: every combo ends with a number and its unit, every
// maximum stays above its minimum and the window is at least a second long.
TEST_F(DataLogTabTest, BadEntriesLeaveUsableRanges)
{
    const std::pair<const char*, const char*> cases[] = { { "CmbVMax", "1e30" },
        { "CmbVMin", "-1e30" }, { "CmbCMax", "9e99" }, { "CmbCMin", "9e99" }, { "CmbWMax", "nan" },
        { "CmbWMax", "inf" }, { "CmbWMin", "--" }, { "CmbTMin", "9e99h" }, { "CmbTLen", "-0" },
        { "CmbTLen", "nanS" }, { "CmbTMin", "\xC3\xA9h" } };
    for (const auto& [name, typed] : cases) {
        SCOPED_TRACE(std::string(name) + " <- " + typed);
        enter(combo(name), QString::fromUtf8(typed));
        EXPECT_TRUE(QStringLiteral("VAWS").contains(combo(name)->currentText().right(1)))
            << combo(name)->currentText().toStdString();
        const ChartRanges& r = ranges();
        EXPECT_GT(r.ChartVMax, r.ChartVMin);
        EXPECT_GT(r.ChartCMax, r.ChartCMin);
        EXPECT_GT(r.ChartWMax, r.ChartWMin);
        EXPECT_GT(r.ChartTEnd, r.ChartTStart);
        EXPECT_EQ(r.ChartTEnd, h.ui().PP->ranges().ChartTEnd);
    }
}

TEST_F(DataLogTabTest, ChoosingFromTheListRunsTheSameRule)
{
    choose(combo("CmbVMin"), QStringLiteral("20V"));
    choose(combo("CmbVMax"), QStringLiteral("10V"));
    EXPECT_EQ(combo("CmbVMax")->currentText(), QStringLiteral("21V"));
    EXPECT_EQ(ranges().ChartVMax, 21.0f);
    choose(combo("CmbTLen"), QStringLiteral("3600S"));
    EXPECT_EQ(h.ui().PP->ranges().ChartTEnd, 3600);
    EXPECT_EQ(label("PLabT", 2), QStringLiteral("3600S"));
}

TEST_F(DataLogTabTest, TypedEntryIsCommittedWhenTheFocusLeaves)
{
    h.w().show();
    QApplication::setActiveWindow(&h.w());
    QComboBox* tLen = combo("CmbTLen");
    for (const auto& [typed, shown, seconds] :
        { std::tuple { "3h", "10800S", 10800 }, std::tuple { "0", "1S", 1 } }) {
        tLen->setFocus();
        ASSERT_TRUE(tLen->hasFocus());
        typeInto(tLen, typed);
        EXPECT_NE(windowLength(), seconds) << "nothing happens while typing";
        combo("CmbVMax")->setFocus();
        EXPECT_EQ(tLen->currentText(), shown);
        EXPECT_EQ(windowLength(), seconds);
    }
}

TEST_F(DataLogTabTest, TheLiveLogIsDrawnWhileTheTabShowsAndItsWindowAllows)
{
    fillLiveLog(20);
    h.w().DrawChart();
    EXPECT_EQ(segments(), 19u);
    h.ui().Tab1->setCurrentIndex(1);
    h.w().DrawChart();
    EXPECT_TRUE(h.ui().PP->traces().empty());
    h.ui().Tab1->setCurrentIndex(kLogTab);
    EXPECT_EQ(segments(), 19u) << "choosing the tab redraws";
    enter(combo("CmbTLen"), QStringLiteral("30"));
    EXPECT_EQ(segments(), 11u) << "samples 0 to 10 start a segment within 30 s";
}

TEST_F(DataLogTabTest, ResizingTheChartRedrawsIt)
{
    h.w().show();
    ChartWidget* chart = h.ui().PP;
    fillLiveLog(10); // recorded without a redraw
    ASSERT_TRUE(chart->traces().empty());
    chart->resize(chart->width() + 40, chart->height() + 30);
    EXPECT_EQ(chart->traces().volts.size(), 9u);
}

TEST_F(DataLogTabTest, ChoosingTheStoredLogShowsIt)
{
    fillLiveLog(10);
    h.s().StoredLog.markEmpty();
    for (int i = 0; i < 30; ++i)
        h.s().StoredLog.shiftIn(3.0f, 0.2f);
    h.s().StoredLogSampling = 1;
    h.w().show();
    QRadioButton* stored = h.find<QRadioButton>(QStringLiteral("Option2(1)"));
    stored->setEnabled(true); // as loading a stored log leaves it
    QTest::mouseClick(stored, Qt::LeftButton);
    ASSERT_TRUE(stored->isChecked());
    EXPECT_EQ(segments(), 29u);
    EXPECT_EQ(h.find<QLabel>(QStringLiteral("StatusBar1.Panels(6)"))->text(),
        QStringLiteral("Log Sampling : 1S"));
    QTest::mouseClick(h.find<QRadioButton>(QStringLiteral("Option2(0)")), Qt::LeftButton);
    EXPECT_EQ(segments(), 9u);
}

} // namespace
