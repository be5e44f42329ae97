#include "app/DataLogTab.h"

#include "app/MainFrmUi.h"
#include "app/WindowState.h"
#include "datalog/ChartGeometry.h"
#include "datalog/ChartRangeRules.h"
#include "datalog/ChartWidget.h"
#include "datalog/LogPacing.h"
#include "datalog/SamplingStatus.h"
#include "session/SupplySession.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <array>

namespace {

using PairRule = QString (ChartRangeRules::*)(const QString&, const QString&);

// A range combo, the two combos its rules read (maximum and minimum, or start
// and length of time) and its rules for a click and for a finished entry. The
// length of time has no pair rule for a finished entry: its rule also needs
// to know whether Enter finished it.
struct RangeCombo {
    QComboBox* combo;
    QComboBox* first;
    QComboBox* second;
    PairRule click;
    PairRule commit;
};

std::array<RangeCombo, 8> RangeCombos(const MainFrmUi& ui)
{
    using Rules = ChartRangeRules;
    return { {
        { ui.CmbVMax, ui.CmbVMax, ui.CmbVMin, &Rules::clickVMax, &Rules::commitVMax },
        { ui.CmbVMin, ui.CmbVMax, ui.CmbVMin, &Rules::clickVMin, &Rules::commitVMin },
        { ui.CmbCMax, ui.CmbCMax, ui.CmbCMin, &Rules::clickCMax, &Rules::commitCMax },
        { ui.CmbCMin, ui.CmbCMax, ui.CmbCMin, &Rules::clickCMin, &Rules::commitCMin },
        { ui.CmbWMax, ui.CmbWMax, ui.CmbWMin, &Rules::clickWMax, &Rules::commitWMax },
        { ui.CmbWMin, ui.CmbWMax, ui.CmbWMin, &Rules::clickWMin, &Rules::commitWMin },
        { ui.CmbTMin, ui.CmbTMin, ui.CmbTLen, &Rules::clickTMin, &Rules::commitTMin },
        { ui.CmbTLen, ui.CmbTMin, ui.CmbTLen, &Rules::clickTLen, nullptr },
    } };
}

} // namespace

DataLogTab::DataLogTab(MainFrmUi& ui_, WindowState& state, const Parts& parts, QObject* parent)
    : QObject(parent)
    , ui(ui_)
    , S(state)
    , m_session(parts.session)
    , m_rules(parts.rules)
    , m_pacing(parts.pacing)
{
}

void DataLogTab::wire()
{
    for (const RangeCombo& range : RangeCombos(ui)) {
        QComboBox* combo = range.combo;
        connect(combo, &QComboBox::activated, this,
            [this, combo](int) { RangeCombo_Event(combo, RangeComboEvent::Click); });
        combo->installEventFilter(this);
    }
    for (QRadioButton* option : ui.Option2) {
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                draw();
        });
    }
    ui.PP->installEventFilter(this);
    connect(ui.TimerPVC, &QTimer::timeout, this, &DataLogTab::liveLogTick);
}

bool DataLogTab::isRangeCombo(QObject* object) const
{
    const std::array<RangeCombo, 8> combos = RangeCombos(ui);
    return std::any_of(combos.begin(), combos.end(),
        [object](const RangeCombo& range) { return range.combo == object; });
}

bool DataLogTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui.PP && event->type() == QEvent::Resize) {
        draw();
    } else if (isRangeCombo(watched)) {
        auto* combo = static_cast<QComboBox*>(watched);
        if (event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                && !key->isAutoRepeat())
                RangeCombo_Event(combo, RangeComboEvent::EnterReleased);
        } else if (event->type() == QEvent::FocusOut) {
            // Opening the combo's own list moves the focus to the list; the
            // entry is not finished then.
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
                RangeCombo_Event(combo, RangeComboEvent::FocusLost);
        }
    }
    return QObject::eventFilter(watched, event);
}

void DataLogTab::RangeCombo_Event(QComboBox* combo, RangeComboEvent event)
{
    const std::array<RangeCombo, 8> combos = RangeCombos(ui);
    const auto found = std::find_if(combos.begin(), combos.end(),
        [combo](const RangeCombo& range) { return range.combo == combo; });
    if (found == combos.end())
        return;
    ChartRangeRules& rules = m_rules;
    const QString first = found->first->currentText();
    const QString second = found->second->currentText();
    QString text;
    if (event == RangeComboEvent::Click)
        text = (rules.*found->click)(first, second);
    else if (found->commit)
        text = (rules.*found->commit)(first, second);
    else
        text = rules.commitTLen(first, second, event == RangeComboEvent::EnterReleased);
    combo->setEditText(text);
    showLabels();
    draw();
}

void DataLogTab::showLabels()
{
    ui.showChartLabels(m_rules.labels());
}

void DataLogTab::resetRanges(bool connected, const SupplyState& supply)
{
    const RangeComboTexts texts = connected
        ? m_rules.resetForConnection(true, supply.maxVolt, supply.maxCurr, supply.currFormat)
        : m_rules.resetForConnection(false, 0, 0, supply.currFormat);
    ui.CmbVMax->setEditText(texts.CmbVMax);
    ui.CmbVMin->setEditText(texts.CmbVMin);
    ui.CmbCMax->setEditText(texts.CmbCMax);
    ui.CmbCMin->setEditText(texts.CmbCMin);
    ui.CmbWMax->setEditText(texts.CmbWMax);
    ui.CmbWMin->setEditText(texts.CmbWMin);
    ui.CmbTMin->setEditText(texts.CmbTMin);
    ui.CmbTLen->setEditText(texts.CmbTLen);
    showLabels();
}

void DataLogTab::startLiveLog()
{
    m_pacing.restart();
    ui.TimerPVC->start(S.SampleTime * 1000);
}

void DataLogTab::liveLogTick()
{
    const SupplyState& P = m_session.state();
    if (P.connected) {
        S.LogSamples.record(P.voltReading, P.currReading);
        if (ui.Option2[0]->isChecked())
            draw();
    }
    ui.TimerPVC->start(m_pacing.nextIntervalMs(S.SampleTime));
}

void DataLogTab::draw()
{
    const ChartRanges& ranges = m_rules.ranges();
    LogSource source = LogSource::None;
    if (ui.Option2[0]->isChecked())
        source = LogSource::Live;
    else if (ui.Option2[1]->isChecked())
        source = LogSource::Stored;
    ChartTraces traces;
    const bool showing = ui.currentTab() == Tab::DataLog;
    if (source == LogSource::Live)
        traces = ChartGeometry::TraceSegments(S.LogSamples, S.SampleTime, ranges, showing);
    else if (source == LogSource::Stored)
        traces = ChartGeometry::TraceSegments(S.StoredLog, S.StoredLogSampling, ranges, showing);
    ui.PP->setChart(ChartGeometry::GridLines(ranges), traces, ranges);
    if (const auto text = SamplingStatus::Text(source, S.SampleTime, S.StoredLogSampling))
        ui.setPanel(StatusField::Sampling, *text);
}
