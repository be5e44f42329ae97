#include "app/ProgramTabs.h"

#include "app/LinkDelayWaiter.h"
#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/WindowState.h"
#include "programs/PresetTransfer.h"
#include "programs/ProgramTable.h"
#include "programs/TableRules.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

namespace {
constexpr int kOutputColumn = 5;
constexpr int kSelectColumn = 0;
}  // namespace

ProgramTabs::ProgramTabs(MainFrm& window, MainFrmUi& ui_, WindowState& state)
    : m_window(window)
    , ui(ui_)
    , S(state)
{
    for (QRadioButton* option : ui.Option1)
        option->setAutoExclusive(false);
}

TableLimits ProgramTabs::limits() const
{
    return {S.UVL, S.UCL, S.CurrFormat, S.CurrScale};
}

Transact ProgramTabs::transact() const
{
    return [this](const QString& command, const QString& parameter) {
        S.LastReply = m_window.link().FutComm(command, parameter);
        return S.LastReply;
    };
}

void ProgramTabs::InitEtpTable()
{
    TableRules::InitEtpTable(m_window.tableE(), S.CurrFormat);
    PlaceOutputChecks();
    syncOutputChecks();
}

void ProgramTabs::syncOutputChecks()
{
    const ProgramTable& etp = m_window.tableE();
    for (int k = 1; k <= 20; ++k)
        ui.OutputCK[static_cast<std::size_t>(k)]->setChecked(etp.outputOn(k));
}

void ProgramTabs::PlaceOutputChecks()
{
    const ProgramTable& etp = m_window.tableE();
    const bool showing = ui.Tab1->currentIndex() == 1;
    QWidget* viewport = ui.FGridE->viewport();
    for (int k = 1; k <= 20; ++k) {
        QCheckBox* box = ui.OutputCK[static_cast<std::size_t>(k)];
        if (!showing || etp.dataRows() < k) {
            box->hide();
            continue;
        }
        const QRect cell = ui.FGridE->visualRect(etp.index(k - 1, kOutputColumn));
        const QSize hint = box->sizeHint();
        box->move(cell.center().x() - hint.width() / 2, cell.center().y() - hint.height() / 2);
        box->resize(hint);
        box->raise();
        box->setVisible(cell.isValid() && cell.top() >= 0
                        && cell.top() + hint.height() <= viewport->height());
    }
}

void ProgramTabs::PlacePresetSelectors()
{
    const ProgramTable& ipm = m_window.tableM();
    const bool showing = ui.Tab1->currentIndex() == 2;
    for (int k = 1; k <= 9; ++k) {
        QRadioButton* option = ui.Option1[static_cast<std::size_t>(k)];
        if (!showing || k > 3 || ipm.dataRows() < k) {
            option->hide();
            continue;
        }
        const QRect cell = ui.FGridM->visualRect(ipm.index(k - 1, kSelectColumn));
        const QSize hint = option->sizeHint();
        option->resize(hint);
        option->move(cell.center().x() - hint.width() / 2, cell.center().y() - hint.height() / 2);
        option->setChecked(ipm.selectedPreset() == k);
        option->raise();
        option->setVisible(cell.isValid());
    }
}

void ProgramTabs::CheckEtpTable()
{
    const bool runEnabled = TableRules::CheckEtpTable(m_window.tableE(), limits(), S.Connected);
    if (ui.Tab1->currentIndex() == 1)
        ui.CmdRunStop->setEnabled(runEnabled);
}

void ProgramTabs::CheckIpmTable()
{
    ProgramTable& ipm = m_window.tableM();
    const TableRules::IpmCheck check =
        TableRules::CheckIpmTable(ipm, limits(), m_runner.ExtProgramRunning(), S.Connected);
    for (int k = 1; k <= 3; ++k) {
        const bool enabled = static_cast<std::size_t>(k) < check.selectorEnabled.size()
                             && check.selectorEnabled[static_cast<std::size_t>(k)];
        ui.Option1[static_cast<std::size_t>(k)]->setEnabled(enabled);
    }
    if (check.setEnabled && ui.Tab1->currentIndex() == 2)
        ui.CmdRunStop->setEnabled(*check.setEnabled);
}

void ProgramTabs::ReadPresetMemory()
{
    ProgramTable& ipm = m_window.tableM();
    const bool read = PresetTransfer::ReadPresetMemory(ipm, transact(), S.SetVoltText,
                                                       S.SetCurrText, limits());
    if (read) {
        PlacePresetSelectors();
        const auto enabled = TableRules::EnablePresetSelectors(ipm);
        for (int k = 1; k <= 3; ++k)
            ui.Option1[static_cast<std::size_t>(k)]->setEnabled(enabled[static_cast<std::size_t>(k)]);
    } else {
        for (int k = 1; k <= 3; ++k)
            ui.Option1[static_cast<std::size_t>(k)]->hide();
    }
    CheckIpmTable();
}

void ProgramTabs::DispatchExtStep()
{
    LinkDelayWaiter waiter(m_window.link());
    const auto applied = m_runner.DispatchStep(m_window.tableE(), limits(), transact(), waiter);
    if (!applied)
        return;
    S.SetVoltText = applied->setVoltText;
    S.SetCurrText = applied->setCurrText;
    m_window.DrawSetpointDisplay(0, false);
    m_window.DrawSetpointDisplay(1, false);
    m_window.ShowOutputState(applied->outputOn);
}

void ProgramTabs::UploadAndRecallPresets()
{
    LinkDelayWaiter waiter(m_window.link());
    const auto recalled =
        PresetTransfer::UploadAndRecall(m_window.tableM(), limits(), transact(), waiter);
    if (recalled) {
        S.SetVoltText = recalled->volt;
        S.SetCurrText = recalled->curr;
    }
}
