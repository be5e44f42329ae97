#include "app/PresetGrid.h"

#include "programs/CellEditorRules.h"
#include "programs/ProgramTable.h"
#include "programs/TableRules.h"
#include "session/SupplySession.h"

#include <QEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>

namespace {

constexpr int kSelectColumn = 0;
constexpr int kIpmVoltage = 2;
constexpr int kPresets = 3;

} // namespace

PresetGrid::PresetGrid(
    const Parts& parts, const std::array<QRadioButton*, 10>& selectors, QObject* parent)
    : TableGrid(TableKind::Ipm, parts, parent)
    , m_selectors(selectors)
{
    // The floating option buttons show these states.
    table().setCheckIndicatorsShown(false);
    for (QRadioButton* option : m_selectors)
        option->setAutoExclusive(false);
    for (int k = 1; k <= kPresets; ++k) {
        connect(m_selectors[static_cast<std::size_t>(k)], &QRadioButton::clicked, this,
            [this, k] { selectPreset(k); });
    }
    connect(view(), &QAbstractItemView::doubleClicked, this, &PresetGrid::setRequested);
}

bool PresetGrid::complete() const
{
    const int selected = table().selectedPreset();
    return table().dataRows() >= kPresets && selected >= 1 && selected <= kPresets;
}

bool PresetGrid::selectorEnabled(int preset) const
{
    return preset >= 0 && preset < static_cast<int>(m_selectors.size())
        && m_selectors[static_cast<std::size_t>(preset)]->isEnabled();
}

void PresetGrid::selectPreset(int preset)
{
    const SupplyState& supply = session().state();
    const bool setEnabled = TableRules::SelectPreset(
        table(), preset, supply.uvl, session().programRunning(), supply.connected);
    syncOverlay();
    Q_EMIT setAllowed(setEnabled && complete());
}

void PresetGrid::enableSelectors()
{
    const auto enabled = TableRules::EnablePresetSelectors(table());
    for (int k = 1; k <= kPresets; ++k)
        m_selectors[static_cast<std::size_t>(k)]->setEnabled(enabled[static_cast<std::size_t>(k)]);
}

void PresetGrid::hideSelectors()
{
    for (std::size_t k = 1; k < m_selectors.size(); ++k)
        m_selectors[k]->hide();
}

void PresetGrid::showSelectorsOfRows()
{
    for (int k = 1; k < static_cast<int>(m_selectors.size()); ++k)
        m_selectors[static_cast<std::size_t>(k)]->setVisible(
            k <= kPresets && table().dataRows() >= k && shownTab() == Tab::Presets);
}

void PresetGrid::clear()
{
    TableRules::ClearTable(table(), session().state().currFormat);
    check();
}

bool PresetGrid::clampToLimits()
{
    // Presets above the limits would be stored in the supply as they are.
    const auto own = ownWrites();
    return TableRules::ClampPresetsToLimits(table(), limits());
}

void PresetGrid::check()
{
    const TableRules::IpmCheck check = TableRules::CheckIpmTable(
        table(), limits(), session().programRunning(), session().state().connected);
    for (int k = 1; k <= kPresets; ++k) {
        const bool enabled = static_cast<std::size_t>(k) < check.selectorEnabled.size()
            && check.selectorEnabled[static_cast<std::size_t>(k)];
        m_selectors[static_cast<std::size_t>(k)]->setEnabled(enabled);
    }
    if (!editor()->isHidden())
        showEditor();
    // A failed import can leave fewer rows: "Set" would then do nothing at all.
    if (!complete())
        Q_EMIT setAllowed(false);
    else if (check.setEnabled)
        Q_EMIT setAllowed(*check.setEnabled);
}

void PresetGrid::syncOverlay()
{
    const int selected = table().selectedPreset();
    for (int k = 1; k <= kPresets; ++k)
        m_selectors[static_cast<std::size_t>(k)]->setChecked(selected == k);
}

void PresetGrid::placeOverlay()
{
    const ProgramTable& ipm = table();
    const bool showing = shownTab() == Tab::Presets;
    QWidget* viewport = view()->viewport();
    for (int k = 1; k < static_cast<int>(m_selectors.size()); ++k) {
        QRadioButton* option = m_selectors[static_cast<std::size_t>(k)];
        if (!showing || k > kPresets || ipm.dataRows() < k) {
            option->hide();
            continue;
        }
        const QRect cell = view()->visualRect(ipm.index(k - 1, kSelectColumn));
        const QSize hint = option->sizeHint();
        option->resize(hint);
        option->move(cell.center().x() - hint.width() / 2, cell.center().y() - hint.height() / 2);
        option->setChecked(ipm.selectedPreset() == k);
        option->raise();
        option->setVisible(
            cell.isValid() && cell.top() >= 0 && cell.top() + hint.height() <= viewport->height());
    }
}

bool PresetGrid::editorEvent(QEvent* event)
{
    // Over the Select and Preset cells the editor takes no value; a
    // double-click there is the grid's.
    if (event->type() == QEvent::MouseButtonDblClick
        && view()->currentIndex().column() < kIpmVoltage) {
        Q_EMIT setRequested();
        return true;
    }
    return false;
}

bool PresetGrid::cellClicked(const QModelIndex& index)
{
    const int row = index.row() + 1;
    const bool selectorEnabled
        = row >= 1 && row <= kPresets && m_selectors[static_cast<std::size_t>(row)]->isEnabled();
    if (!TableRules::GridClickSelectsPreset(table(), index.column(), selectorEnabled))
        return false;
    selectPreset(row);
    return true;
}

std::optional<CellEditorRules::CommitResult> PresetGrid::commitRule(
    int row, int column, const QString& text)
{
    return CellEditorRules::CommitIpmCell(table(), row, column, text, limits());
}

void PresetGrid::editorLeft(const QModelIndex& current, const QString& focusName)
{
    const CellEditorRules::IpmFocusLoss loss = CellEditorRules::OnIpmEditorFocusLost(
        focusName, table().cell(current.row() + 1, current.column()), editor()->text());
    if (loss == CellEditorRules::IpmFocusLoss::KeepEditor)
        return;
    // Hidden first: the check's re-lay must not take the focus back.
    hideEditorQuietly();
    if (loss == CellEditorRules::IpmFocusLoss::CommitThenHide && current.isValid())
        commitCell(current.row() + 1, current.column());
}
