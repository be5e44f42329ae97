#include "app/DataLogTab.h"

#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "datalog/ChartWidget.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>

// The shared state is reached through the window's rules and DrawChart.
DataLogTab::DataLogTab(MainFrm& window, MainFrmUi& ui_, WindowState& /*state*/)
    : m_window(window)
    , ui(ui_)
{
}

void DataLogTab::wire()
{
    for (QComboBox* combo : { ui.CmbVMax, ui.CmbVMin, ui.CmbCMax, ui.CmbCMin, ui.CmbWMax,
             ui.CmbWMin, ui.CmbTMin, ui.CmbTLen }) {
        connect(combo, &QComboBox::activated, this,
            [this, combo](int) { RangeCombo_Event(combo, RangeComboEvent::Click); });
        combo->installEventFilter(this);
    }
    // The window already redraws when either source option is chosen; a resize
    // of the chart picture is the one redraw left to this tab.
    ui.PP->installEventFilter(this);
}

bool DataLogTab::isRangeCombo(QObject* object) const
{
    return object == ui.CmbVMax || object == ui.CmbVMin || object == ui.CmbCMax
        || object == ui.CmbCMin || object == ui.CmbWMax || object == ui.CmbWMin
        || object == ui.CmbTMin || object == ui.CmbTLen;
}

bool DataLogTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui.PP && event->type() == QEvent::Resize) {
        redraw();
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
    ChartRangeRules& rules = m_window.chart();
    const bool commit = event != RangeComboEvent::Click;
    const QString vMax = ui.CmbVMax->currentText();
    const QString vMin = ui.CmbVMin->currentText();
    const QString cMax = ui.CmbCMax->currentText();
    const QString cMin = ui.CmbCMin->currentText();
    const QString wMax = ui.CmbWMax->currentText();
    const QString wMin = ui.CmbWMin->currentText();
    const QString tMin = ui.CmbTMin->currentText();
    const QString tLen = ui.CmbTLen->currentText();
    QString text;
    if (combo == ui.CmbVMax)
        text = commit ? rules.commitVMax(vMax, vMin) : rules.clickVMax(vMax, vMin);
    else if (combo == ui.CmbVMin)
        text = commit ? rules.commitVMin(vMax, vMin) : rules.clickVMin(vMax, vMin);
    else if (combo == ui.CmbCMax)
        text = commit ? rules.commitCMax(cMax, cMin) : rules.clickCMax(cMax, cMin);
    else if (combo == ui.CmbCMin)
        text = commit ? rules.commitCMin(cMax, cMin) : rules.clickCMin(cMax, cMin);
    else if (combo == ui.CmbWMax)
        text = commit ? rules.commitWMax(wMax, wMin) : rules.clickWMax(wMax, wMin);
    else if (combo == ui.CmbWMin)
        text = commit ? rules.commitWMin(wMax, wMin) : rules.clickWMin(wMax, wMin);
    else if (combo == ui.CmbTMin)
        text = commit ? rules.commitTMin(tMin, tLen) : rules.clickTMin(tMin, tLen);
    else if (combo == ui.CmbTLen)
        text = commit ? rules.commitTLen(tMin, tLen, event == RangeComboEvent::EnterReleased)
                      : rules.clickTLen(tMin, tLen);
    else
        return;
    combo->setEditText(text);
    showLabels();
    redraw();
}

void DataLogTab::showLabels()
{
    const ChartLabels& labels = m_window.chart().labels();
    for (std::size_t k = 0; k < 3; ++k) {
        ui.PLabV[k]->setText(labels.PLabV[k]);
        ui.PLabC[k]->setText(labels.PLabC[k]);
        ui.PLabW[k]->setText(labels.PLabW[k]);
        ui.PLabT[k]->setText(labels.PLabT[k]);
    }
}

void DataLogTab::redraw()
{
    m_window.DrawChart();
}
