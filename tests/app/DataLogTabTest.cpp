#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/WindowState.h"
#include "datalog/ChartWidget.h"
#include "tests/app/PanelHarness.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
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

    QComboBox* combo(const char* name) { return h.find<QComboBox>(QLatin1String(name)); }
    QString label(const char* name, int k)
    {
        return h.find<QLabel>(QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(k))->text();
    }

    // Selects the combo's whole text and types over it, as a user does.
    static void typeInto(QComboBox* box, const QString& text)
    {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
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
        const int row = box->findText(item);
        ASSERT_GE(row, 0) << item.toStdString();
        box->showPopup();
        QAbstractItemView* view = box->view();
        ASSERT_TRUE(view->isVisible());
        view->setCurrentIndex(view->model()->index(row, 0));
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_FALSE(view->isVisible());
    }

    // A live log of count samples, newest first, all at volts and amps.
    void fillLiveLog(int count, float volts, float amps)
    {
        h.s().LogSamples.markEmpty();
        for (int i = 0; i < count; ++i)
            h.s().LogSamples.shiftIn(volts, amps);
    }

    const ChartRanges& ranges() { return h.w().chartRanges(); }
    int windowLength() { return ranges().ChartTEnd - ranges().ChartTStart; }

    PanelHarness h;
};

struct TimeEntry {
    const char* typed;
    const char* shown;
    int seconds;
};

TEST_F(DataLogTabTest, TimeLengthTypedWithEnterIsNormalised)
{
    const TimeEntry cases[] = {
        { "2h", "7200S", 7200 },
        { "5m", "300S", 300 },
        { "5M", "300S", 300 },
        { "90", "90S", 90 },
        { "45.9", "45S", 45 },
        { "1,5h", "3600S", 3600 }, // a whole number of hours only
        { "0", "1S", 1 },
        { "-30", "30S", 30 },
        { "", "1S", 1 },
        { "abc", "1S", 1 },
        { "0.4m", "1S", 1 },
        { "99999999999h", "500000000S", 500000000 },
    };
    for (const TimeEntry& c : cases) {
        SCOPED_TRACE(c.typed);
        enter(combo("CmbTLen"), QString::fromUtf8(c.typed));
        EXPECT_EQ(QString::fromUtf8(c.shown), combo("CmbTLen")->currentText());
        EXPECT_EQ(c.seconds, windowLength());
        EXPECT_EQ(windowLength(), h.ui().PP->ranges().ChartTEnd - h.ui().PP->ranges().ChartTStart);
    }
}

TEST_F(DataLogTabTest, ATypedBeginningOfAListEntryStaysWhatWasTyped)
{
    enter(combo("CmbTLen"), QStringLiteral("1")); // the list holds 10S
    EXPECT_EQ(QStringLiteral("1S"), combo("CmbTLen")->currentText());
    EXPECT_EQ(1, windowLength());
    enter(combo("CmbTLen"), QStringLiteral("3")); // and 30S
    EXPECT_EQ(3, windowLength());
    enter(combo("CmbVMax"), QStringLiteral("1")); // and 10V
    EXPECT_EQ(QStringLiteral("1V"), combo("CmbVMax")->currentText());
    EXPECT_EQ(1.0f, ranges().ChartVMax);
}

TEST_F(DataLogTabTest, TimeStartTypedWithEnterMovesTheWindow)
{
    enter(combo("CmbTLen"), QStringLiteral("2m"));
    const TimeEntry cases[] = {
        { "1m", "60S", 60 },
        { "1h", "3600S", 3600 },
        { "15", "15S", 15 },
        { "abc", "0S", 0 },
        { "", "0S", 0 },
    };
    for (const TimeEntry& c : cases) {
        SCOPED_TRACE(c.typed);
        enter(combo("CmbTMin"), QString::fromUtf8(c.typed));
        EXPECT_EQ(QString::fromUtf8(c.shown), combo("CmbTMin")->currentText());
        EXPECT_EQ(c.seconds, ranges().ChartTStart);
        EXPECT_EQ(c.seconds + 120, ranges().ChartTEnd);
        EXPECT_EQ(QString::number(c.seconds) + u'S', label("PLabT", 0));
        EXPECT_EQ(QString::number(c.seconds + 120) + u'S', label("PLabT", 2));
    }
}

TEST_F(DataLogTabTest, TimeLabelsFollowTheWindow)
{
    enter(combo("CmbTMin"), QStringLiteral("10"));
    enter(combo("CmbTLen"), QStringLiteral("2h"));
    EXPECT_EQ(QStringLiteral("10S"), label("PLabT", 0));
    EXPECT_EQ(QStringLiteral("3610S"), label("PLabT", 1));
    EXPECT_EQ(QStringLiteral("7210S"), label("PLabT", 2));
}

TEST_F(DataLogTabTest, TypedEntryIsCommittedWhenTheFocusLeaves)
{
    h.w().show();
    QApplication::setActiveWindow(&h.w());
    QComboBox* tLen = combo("CmbTLen");
    tLen->setFocus();
    ASSERT_TRUE(tLen->hasFocus());
    typeInto(tLen, QStringLiteral("3h"));
    EXPECT_EQ(120, windowLength()) << "nothing happens while typing";
    combo("CmbVMax")->setFocus();
    EXPECT_EQ(QStringLiteral("10800S"), tLen->currentText());
    EXPECT_EQ(10800, windowLength());

    // Without Enter a typed 0 still never leaves an empty window.
    tLen->setFocus();
    typeInto(tLen, QStringLiteral("0"));
    combo("CmbVMax")->setFocus();
    EXPECT_EQ(QStringLiteral("1S"), tLen->currentText());
    EXPECT_EQ(1, windowLength());

    QComboBox* vMax = combo("CmbVMax");
    typeInto(vMax, QStringLiteral("12.6"));
    combo("CmbVMin")->setFocus();
    EXPECT_EQ(QStringLiteral("13V"), vMax->currentText());
    EXPECT_EQ(13.0f, ranges().ChartVMax);
}

TEST_F(DataLogTabTest, VoltageMaximumAtOrBelowTheMinimumIsRaised)
{
    enter(combo("CmbVMin"), QStringLiteral("20"));
    EXPECT_EQ(QStringLiteral("20V"), combo("CmbVMin")->currentText());
    enter(combo("CmbVMax"), QStringLiteral("10"));
    EXPECT_EQ(QStringLiteral("21V"), combo("CmbVMax")->currentText());
    EXPECT_EQ(21.0f, ranges().ChartVMax);
    EXPECT_EQ(20.0f, ranges().ChartVMin);
    EXPECT_EQ(QStringLiteral("21.0V"), label("PLabV", 2));
    EXPECT_EQ(QStringLiteral("20.5V"), label("PLabV", 1));
    EXPECT_EQ(QStringLiteral("20.0V"), label("PLabV", 0));
}

TEST_F(DataLogTabTest, ChoosingFromTheListRunsTheSameRule)
{
    choose(combo("CmbVMin"), QStringLiteral("20V"));
    EXPECT_EQ(20.0f, ranges().ChartVMin);
    choose(combo("CmbVMax"), QStringLiteral("10V"));
    EXPECT_EQ(QStringLiteral("21V"), combo("CmbVMax")->currentText());
    EXPECT_EQ(21.0f, ranges().ChartVMax);

    choose(combo("CmbTLen"), QStringLiteral("3600S"));
    EXPECT_EQ(3600, windowLength());
    EXPECT_EQ(3600, h.ui().PP->ranges().ChartTEnd - h.ui().PP->ranges().ChartTStart);
    EXPECT_EQ(QStringLiteral("3600S"), label("PLabT", 2));

    choose(combo("CmbWMin"), QStringLiteral("100W"));
    choose(combo("CmbWMax"), QStringLiteral("50W"));
    EXPECT_EQ(QStringLiteral("101W"), combo("CmbWMax")->currentText());
    EXPECT_EQ(QStringLiteral("101.0W"), label("PLabW", 2));
}

TEST_F(DataLogTabTest, CurrentRangeTakesDecimalCommaAndKeepsAboveMinimum)
{
    enter(combo("CmbCMin"), QStringLiteral("0"));
    enter(combo("CmbCMax"), QStringLiteral("2,5"));
    EXPECT_EQ(QStringLiteral("2.5A"), combo("CmbCMax")->currentText());
    EXPECT_EQ(2.5f, ranges().ChartCMax);
    EXPECT_EQ(QStringLiteral("2.50A"), label("PLabC", 2));
    EXPECT_EQ(QStringLiteral("1.25A"), label("PLabC", 1));

    enter(combo("CmbCMin"), QStringLiteral("3"));
    EXPECT_EQ(QStringLiteral("2.4A"), combo("CmbCMin")->currentText());
    EXPECT_EQ(QStringLiteral("2.40A"), label("PLabC", 0));
}

struct BadEntry {
    const char* combo;
    const char* typed;
};

// Whatever is typed, every combo ends with a number and its unit, every maximum
// stays above its minimum and the window is at least a second long.
TEST_F(DataLogTabTest, BadEntriesLeaveUsableRanges)
{
    const BadEntry cases[] = {
        { "CmbVMax", "" },
        { "CmbVMax", "abc" },
        { "CmbVMax", "-50" },
        { "CmbVMax", "1e30" },
        { "CmbVMin", "1e30" },
        { "CmbVMin", "xyz" },
        { "CmbVMin", "-1e30" },
        { "CmbCMax", "" },
        { "CmbCMax", "-3" },
        { "CmbCMax", "9e99" },
        { "CmbCMin", "9e99" },
        { "CmbCMin", "A" },
        { "CmbWMax", "nan" },
        { "CmbWMax", "inf" },
        { "CmbWMin", "1e30" },
        { "CmbWMin", "--" },
        { "CmbTMin", "-1h" },
        { "CmbTMin", "9e99h" },
        { "CmbTLen", "-0" },
        { "CmbTLen", "9e99m" },
        { "CmbTLen", "nanS" },
        { "CmbTMin", "\xC3\xA9h" },
    };
    for (const BadEntry& c : cases) {
        SCOPED_TRACE(std::string(c.combo) + " <- " + c.typed);
        QComboBox* box = combo(c.combo);
        enter(box, QString::fromUtf8(c.typed));
        const QString unit = box->currentText().right(1);
        EXPECT_TRUE(QStringLiteral("VAWS").contains(unit)) << box->currentText().toStdString();
        const ChartRanges& r = ranges();
        EXPECT_GT(r.ChartVMax, r.ChartVMin);
        EXPECT_GT(r.ChartCMax, r.ChartCMin);
        EXPECT_GT(r.ChartWMax, r.ChartWMin);
        EXPECT_GT(r.ChartTEnd, r.ChartTStart);
        EXPECT_EQ(r.ChartTEnd, h.ui().PP->ranges().ChartTEnd);
    }
}

TEST_F(DataLogTabTest, PowerLabelsFollowTheCombos)
{
    enter(combo("CmbWMin"), QStringLiteral("50"));
    enter(combo("CmbWMax"), QStringLiteral("150.4"));
    EXPECT_EQ(QStringLiteral("150W"), combo("CmbWMax")->currentText());
    EXPECT_EQ(QStringLiteral("50.0W"), label("PLabW", 0));
    EXPECT_EQ(QStringLiteral("100.0W"), label("PLabW", 1));
    EXPECT_EQ(QStringLiteral("150.0W"), label("PLabW", 2));
}

TEST_F(DataLogTabTest, LiveLogIsDrawnOnlyWhileTheDataLogTabShows)
{
    fillLiveLog(20, 12.0f, 1.0f);
    h.w().DrawChart();
    EXPECT_FALSE(h.ui().PP->traces().empty());
    EXPECT_EQ(19u, h.ui().PP->traces().volts.size());

    h.ui().Tab1->setCurrentIndex(1);
    h.w().DrawChart();
    EXPECT_TRUE(h.ui().PP->traces().empty());

    h.ui().Tab1->setCurrentIndex(kLogTab);
    EXPECT_EQ(19u, h.ui().PP->traces().volts.size()) << "choosing the tab redraws";
}

TEST_F(DataLogTabTest, ShorterWindowDrawsFewerSegments)
{
    fillLiveLog(100, 5.0f, 0.5f); // 3-s samples, newest first
    h.w().DrawChart();
    const std::size_t full = h.ui().PP->traces().volts.size();
    enter(combo("CmbTLen"), QStringLiteral("30"));
    const std::size_t shorter = h.ui().PP->traces().volts.size();
    EXPECT_LT(shorter, full);
    EXPECT_EQ(11u, shorter); // samples 0 to 10 start a segment within 30 s
}

TEST_F(DataLogTabTest, ResizingTheChartRedrawsIt)
{
    h.w().show();
    ChartWidget* chart = h.ui().PP;
    fillLiveLog(10, 12.0f, 1.0f); // recorded without a redraw
    ASSERT_TRUE(chart->traces().empty());
    chart->resize(chart->width() + 40, chart->height() + 30);
    EXPECT_EQ(9u, chart->traces().volts.size());
}

TEST_F(DataLogTabTest, ChoosingTheStoredLogShowsIt)
{
    fillLiveLog(10, 12.0f, 1.0f);
    h.s().StoredLog.markEmpty();
    for (int i = 0; i < 30; ++i)
        h.s().StoredLog.shiftIn(3.0f, 0.2f);
    h.s().StoredLogSampling = 1;
    h.w().DrawChart();
    ASSERT_EQ(9u, h.ui().PP->traces().volts.size());

    h.w().show();
    QRadioButton* stored = h.find<QRadioButton>(QStringLiteral("Option2(1)"));
    stored->setEnabled(true); // as loading a stored log leaves it
    QTest::mouseClick(stored, Qt::LeftButton);
    ASSERT_TRUE(stored->isChecked());
    EXPECT_EQ(29u, h.ui().PP->traces().volts.size());
    EXPECT_EQ(QStringLiteral("Log Sampling : 1S"),
        h.find<QLabel>(QStringLiteral("StatusBar1.Panels(6)"))->text());

    QTest::mouseClick(h.find<QRadioButton>(QStringLiteral("Option2(0)")), Qt::LeftButton);
    EXPECT_EQ(9u, h.ui().PP->traces().volts.size());
}

} // namespace
