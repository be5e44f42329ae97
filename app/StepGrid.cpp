#include "app/StepGrid.h"

#include "programs/CellEditorRules.h"
#include "programs/ExtProgramRunner.h"
#include "programs/ProgramTable.h"
#include "programs/TableRules.h"
#include "session/SupplySession.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTableView>

namespace {

constexpr int kOutputColumn = 5;
constexpr int kSteps = 20;

} // namespace

StepGrid::StepGrid(const Parts& parts, const std::array<QCheckBox*, 21>& outputs, QObject* parent)
    : TableGrid(TableKind::Etp, parts, parent)
    , m_outputs(outputs)
{
    // The floating check boxes show these states.
    table().setCheckIndicatorsShown(false);
    for (int k = 1; k <= kSteps; ++k) {
        connect(m_outputs[static_cast<std::size_t>(k)], &QCheckBox::clicked, this,
            [this, k](bool checked) { table().setOutputOn(k, checked); });
    }
}

void StepGrid::initTable()
{
    TableRules::InitEtpTable(table(), session().state().currFormat);
    placeOverlay();
    syncOverlay();
}

void StepGrid::clear()
{
    TableRules::ClearTable(table(), session().state().currFormat);
    syncOverlay();
    check();
}

void StepGrid::tableReplaced()
{
    check();
    placeOverlay();
}

void StepGrid::clampToLimits()
{
    // Cells hold whatever was typed or loaded; the grid is to show what is sent.
    const auto own = ownWrites();
    TableRules::ClampStepsToLimits(table(), ExtProgramRunner::FindLastRow(table()), limits());
}

void StepGrid::setOutputsEnabled(bool enabled)
{
    for (int k = 1; k <= kSteps; ++k)
        m_outputs[static_cast<std::size_t>(k)]->setEnabled(enabled);
}

void StepGrid::check()
{
    const bool runEnabled
        = TableRules::CheckEtpTable(table(), limits(), session().state().connected);
    if (!editor()->isHidden())
        showEditor();
    Q_EMIT runAllowed(runEnabled);
}

void StepGrid::syncOverlay()
{
    for (int k = 1; k <= kSteps; ++k)
        m_outputs[static_cast<std::size_t>(k)]->setChecked(table().outputOn(k));
}

void StepGrid::placeOverlay()
{
    const ProgramTable& etp = table();
    const bool showing = shownTab() == Tab::ExternalProgram;
    QWidget* viewport = view()->viewport();
    for (int k = 1; k <= kSteps; ++k) {
        QCheckBox* box = m_outputs[static_cast<std::size_t>(k)];
        if (!showing || etp.dataRows() < k) {
            box->hide();
            continue;
        }
        const QRect cell = view()->visualRect(etp.index(k - 1, kOutputColumn));
        const QSize hint = box->sizeHint();
        box->move(cell.center().x() - hint.width() / 2, cell.center().y() - hint.height() / 2);
        box->resize(hint);
        box->setChecked(etp.outputOn(k));
        box->raise();
        box->setVisible(
            cell.isValid() && cell.top() >= 0 && cell.top() + hint.height() <= viewport->height());
    }
}

std::optional<CellEditorRules::CommitResult> StepGrid::commitRule(
    int row, int column, const QString& text)
{
    return CellEditorRules::CommitEtpCell(table(), row, column, text, limits());
}

void StepGrid::editorLeft(const QModelIndex& current, const QString& focusName)
{
    const CellEditorRules::EtpFocusLoss loss = CellEditorRules::OnEtpEditorFocusLost(
        focusName, current.column(), editor()->text(), limits());
    hideEditorQuietly();
    if (loss.cellText && current.isValid())
        writeCell(current.row() + 1, current.column(), *loss.cellText);
    if (loss.runCheck)
        check();
}
