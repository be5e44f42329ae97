#include "app/ProgramTabs.h"

#include "app/FocusSelection.h"
#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/WindowState.h"
#include "core/Captions.h"
#include "programs/CellEditorRules.h"
#include "programs/PresetTransfer.h"
#include "programs/ProgramTable.h"
#include "programs/TableRules.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <cmath>

namespace {

constexpr int kOutputColumn = 5;
constexpr int kSelectColumn = 0;
constexpr int kSteps = 20;
constexpr int kPresets = 3;
constexpr int kTwipsPerPixel = 15;
constexpr int kIpmVoltage = 2;

constexpr std::size_t Index(TableKind kind)
{
    return static_cast<std::size_t>(kind);
}

constexpr std::array<TableKind, 3> kKindsInOrder { TableKind::Itp, TableKind::Etp, TableKind::Ipm };

int ToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

int ToPixels(int twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

QRect ToTwips(const QRect& r)
{
    return { ToTwips(r.x()), ToTwips(r.y()), ToTwips(r.width()), ToTwips(r.height()) };
}

QRect ToPixels(const QRect& r)
{
    return { ToPixels(r.x()), ToPixels(r.y()), ToPixels(r.width()), ToPixels(r.height()) };
}

// The name a focus rule goes by: the widget's own name, or that of the nearest
// named control holding it (a tool bar's buttons answer "Toolbar2").
QString FocusName(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        QString name = widget->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            return name;
    }
    return {};
}

// Focus that leaves with the window (another program, a menu) is not the user
// leaving the editor.
bool LeavesWithWindow(const QFocusEvent* event)
{
    return event->reason() == Qt::ActiveWindowFocusReason
        || event->reason() == Qt::PopupFocusReason;
}

bool IsEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Keys the grid would take from the editor and move its own current cell with;
// the editor moves by its key-release rule instead.
bool IsGridNavigationKey(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp
        || key == Qt::Key_PageDown;
}

} // namespace

ProgramTabs::ProgramTabs(MainFrm& window, MainFrmUi& ui_, WindowState& state)
    : m_window(window)
    , ui(ui_)
    , S(state)
{
    for (QRadioButton* option : ui.Option1)
        option->setAutoExclusive(false);
}

ProgramTabs::~ProgramTabs() = default;

TableLimits ProgramTabs::limits() const
{
    return { supply().uvl, supply().ucl, supply().currFormat, supply().currScale };
}

const SupplyState& ProgramTabs::supply() const
{
    return m_window.supply();
}

bool ProgramTabs::extProgramRunning() const
{
    return m_window.session().programRunning();
}

ProgramTable& ProgramTabs::tableOf(TableKind kind) const
{
    switch (kind) {
    case TableKind::Itp:
        return m_window.tableP();
    case TableKind::Etp:
        return m_window.tableE();
    case TableKind::Ipm:
        break;
    }
    return m_window.tableM();
}

QTableView* ProgramTabs::gridOf(TableKind kind) const
{
    switch (kind) {
    case TableKind::Itp:
        return ui.FGridP;
    case TableKind::Etp:
        return ui.FGridE;
    case TableKind::Ipm:
        break;
    }
    return ui.FGridM;
}

QLineEdit* ProgramTabs::editorOf(TableKind kind) const
{
    switch (kind) {
    case TableKind::Itp:
        return ui.TextP;
    case TableKind::Etp:
        return ui.TextE;
    case TableKind::Ipm:
        break;
    }
    return ui.TextM;
}

int ProgramTabs::visibleTab() const
{
    return ui.Tab1->currentIndex();
}

bool ProgramTabs::stopCaption() const
{
    // The shared button reads "Stop" on the two program tabs while a program runs.
    return extProgramRunning() && visibleTab() <= ExtProgramRunner::kProgramTab;
}

// ---------------------------------------------------------------- wiring

void ProgramTabs::wire()
{
    if (m_wired)
        return;
    m_wired = true;

    // The floating check boxes and option buttons show these states.
    m_window.tableE().setCheckIndicatorsShown(false);
    m_window.tableM().setCheckIndicatorsShown(false);
    for (TableKind kind : kKindsInOrder)
        wireGrid(kind);

    for (QLineEdit* editor : { ui.TextP, ui.TextE, ui.TextM })
        editor->installEventFilter(this);
    for (QLineEdit* box : ui.TextCycle)
        box->installEventFilter(this);

    for (int k = 1; k <= kSteps; ++k) {
        connect(ui.OutputCK[static_cast<std::size_t>(k)], &QCheckBox::clicked, this,
            [this, k](bool checked) { m_window.tableE().setOutputOn(k, checked); });
    }
    for (int k = 1; k <= kPresets; ++k) {
        connect(ui.Option1[static_cast<std::size_t>(k)], &QRadioButton::clicked, this,
            [this, k] { Option1_Click(k); });
    }
    connect(ui.CmdRunStop, &QPushButton::clicked, this, &ProgramTabs::RunStopClick);
    connect(ui.CmdRS, &QPushButton::clicked, this, &ProgramTabs::CmdRS_Click);
    connect(ui.CmdSS, &QPushButton::clicked, this, &ProgramTabs::CmdSS_Click);
    connect(ui.CmdCT, &QPushButton::clicked, this, &ProgramTabs::CmdCT_Click);

    SupplySession& session = m_window.session();
    connect(&session, &SupplySession::programEnded, this, &ProgramTabs::ExtProgramEnded);
    connect(&session, &SupplySession::stepSent, this, [this](const SupplySession::SentStep& step) {
        if (step.acknowledged)
            m_window.ShowOutputState(step.outputOn);
    });
    connect(&session, &SupplySession::presetsRead, this, &ProgramTabs::PresetsRead);
    // The tick sends the presets as they are by then: brought within the limits first.
    connect(&session, &SupplySession::presetUploadStarting, this, [this] {
        if (clampPresetsToLimits())
            CheckIpmTable();
    });
}

void ProgramTabs::wireGrid(TableKind kind)
{
    QTableView* grid = gridOf(kind);
    ProgramTable& table = tableOf(kind);

    // Our model slots must run before the selection model's, so that a table
    // changed from outside hides its editor before the current cell moves.
    connect(&table, &QAbstractItemModel::rowsAboutToBeInserted, this,
        [this, kind] { beginTableChange(kind); });
    connect(&table, &QAbstractItemModel::rowsAboutToBeRemoved, this,
        [this, kind] { beginTableChange(kind); });
    connect(&table, &QAbstractItemModel::modelAboutToBeReset, this,
        [this, kind] { beginTableChange(kind); });
    connect(
        &table, &QAbstractItemModel::rowsInserted, this, [this, kind] { endTableChange(kind); });
    connect(&table, &QAbstractItemModel::rowsRemoved, this, [this, kind] { endTableChange(kind); });
    connect(&table, &QAbstractItemModel::modelReset, this, [this, kind] { endTableChange(kind); });
    connect(&table, &QAbstractItemModel::dataChanged, this,
        [this, kind](const QModelIndex& topLeft, const QModelIndex& bottomRight,
            const QList<int>& roles) { onCellsChanged(kind, topLeft, bottomRight, roles); });

    if (grid->model() != &table)
        grid->setModel(&table);
    QItemSelectionModel* previous = grid->selectionModel();
    grid->setSelectionModel(new QItemSelectionModel(&table, grid));
    if (previous)
        previous->deleteLater();

    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this, kind](const QModelIndex& current, const QModelIndex& before) {
            onCurrentChanged(kind, current, before);
        });
    connect(grid, &QAbstractItemView::clicked, this,
        [this, kind](const QModelIndex& index) { onGridClicked(kind, index); });
    if (kind == TableKind::Ipm) {
        connect(grid, &QAbstractItemView::doubleClicked, this, [this] {
            if (ui.CmdRunStop->isEnabled())
                RunStopClick();
        });
    }
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this,
        [this, kind] { onScroll(kind); });
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this,
        [this, kind] { onScroll(kind); });
    // Cells that move under the editor leave it over the wrong place.
    const auto relay = [this, kind] {
        if (!editorOf(kind)->isHidden())
            leaveEditorForGrid(kind);
        PlaceOutputChecks();
        PlacePresetSelectors();
    };
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, relay);
    connect(grid->verticalHeader(), &QHeaderView::sectionResized, this, relay);
    grid->viewport()->installEventFilter(this);
}

bool ProgramTabs::eventFilter(QObject* watched, QEvent* event)
{
    for (TableKind kind : kKindsInOrder) {
        QLineEdit* editor = editorOf(kind);
        if (watched == editor) {
            if (event->type() == QEvent::FocusIn)
                m_keysDown.clear();
            if (event->type() == QEvent::KeyPress) {
                const int key = static_cast<QKeyEvent*>(event)->key();
                m_keysDown.insert(key);
                if (IsGridNavigationKey(key))
                    return true;
            }
            // Over the Select and Preset cells the editor takes no value; a
            // double-click there is the grid's.
            if (kind == TableKind::Ipm && event->type() == QEvent::MouseButtonDblClick
                && ui.FGridM->currentIndex().column() < kIpmVoltage) {
                if (ui.CmdRunStop->isEnabled())
                    RunStopClick();
                return true;
            }
            if (event->type() == QEvent::KeyRelease) {
                // A release whose press went elsewhere (the grid, which has
                // moved already, or a message box that Enter closed) is not
                // typing: it must not rewrite the cell that is current now.
                const int key = static_cast<QKeyEvent*>(event)->key();
                if (m_keysDown.remove(key))
                    onEditorKeyReleased(kind, key);
            } else if (event->type() == QEvent::FocusOut
                && !LeavesWithWindow(static_cast<QFocusEvent*>(event)))
                onEditorFocusLost(kind, QApplication::focusWidget());
            return false;
        }
        if (watched == gridOf(kind)->viewport() && event->type() == QEvent::Resize) {
            if (kind == TableKind::Etp)
                PlaceOutputChecks();
            else if (kind == TableKind::Ipm)
                PlacePresetSelectors();
            return false;
        }
    }
    for (int i = 0; i < static_cast<int>(ui.TextCycle.size()); ++i) {
        QLineEdit* box = ui.TextCycle[static_cast<std::size_t>(i)];
        if (watched != box)
            continue;
        if (event->type() == QEvent::FocusIn) {
            FocusSelection::SelectAllOnFocus(box, event);
        } else if (event->type() == QEvent::FocusOut
            && !LeavesWithWindow(static_cast<QFocusEvent*>(event))) {
            onCycleFocusLost(i);
        } else if (event->type() == QEvent::KeyRelease
            && IsEnterKey(static_cast<QKeyEvent*>(event)->key())) {
            onCycleFocusLost(i);
            box->end(false);
        }
        return false;
    }
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------- grid events

void ProgramTabs::onCurrentChanged(
    TableKind kind, const QModelIndex& current, const QModelIndex& previous)
{
    if (m_redirecting || m_tableChanging[Index(kind)] > 0)
        return;
    if (previous.isValid())
        leaveCell(kind, previous.row() + 1, previous.column());
    CellEntered = false;

    QModelIndex target = current;
    // The first column is fixed: a cell there is never current.
    if (target.isValid() && target.column() == 0) {
        target = target.sibling(target.row(), 1);
        QScopedValueRollback redirecting(m_redirecting, true);
        gridOf(kind)->selectionModel()->setCurrentIndex(
            target, QItemSelectionModel::ClearAndSelect);
    }
    if (target.isValid())
        enterCell(kind);
}

void ProgramTabs::leaveCell(TableKind kind, int row, int column)
{
    // Only an open editor holds text of this cell; a hidden one may hold text
    // of a table that was loaded or cleared since.
    if (gridOf(kind)->isHidden() || editorOf(kind)->isHidden())
        return;
    if (kind == TableKind::Etp)
        CommitEtpCell(row, column);
    else if (kind == TableKind::Ipm)
        CommitIpmCell(row, column);
}

void ProgramTabs::enterCell(TableKind kind)
{
    QScopedValueRollback entering(CellEntered, true);
    QTableView* grid = gridOf(kind);
    m_enteredCell[Index(kind)] = grid->currentIndex();
    if (!grid->isHidden())
        layEditor(kind);
    else
        editorOf(kind)->setText(
            tableOf(kind).cell(grid->currentIndex().row() + 1, grid->currentIndex().column()));
}

void ProgramTabs::onGridClicked(TableKind kind, const QModelIndex& index)
{
    if (kind == TableKind::Ipm) {
        const int row = index.row() + 1;
        const bool selectorEnabled
            = row >= 1 && row <= kPresets && ui.Option1[static_cast<std::size_t>(row)]->isEnabled();
        if (TableRules::GridClickSelectsPreset(tableOf(kind), index.column(), selectorEnabled)) {
            Option1_Click(row);
            return;
        }
    }
    layEditor(kind);
}

void ProgramTabs::onScroll(TableKind kind)
{
    // The view scrolls to a newly current cell before it is entered; that
    // scroll keeps the editor, the user's own scrolling hides it.
    const bool entering = CellEntered || gridOf(kind)->currentIndex() != m_enteredCell[Index(kind)];
    QLineEdit* editor = editorOf(kind);
    if (!entering && !editor->isHidden())
        leaveEditorForGrid(kind);
    if (kind == TableKind::Etp)
        PlaceOutputChecks();
    else if (kind == TableKind::Ipm)
        PlacePresetSelectors();
}

void ProgramTabs::onCellsChanged(TableKind kind, const QModelIndex& topLeft,
    const QModelIndex& bottomRight, const QList<int>& roles)
{
    if (roles.isEmpty() || roles.contains(Qt::CheckStateRole)) {
        if (kind == TableKind::Etp)
            syncOutputChecks();
        else if (kind == TableKind::Ipm)
            syncPresetSelectors();
    }
    if (m_ownWrite || !(roles.isEmpty() || roles.contains(Qt::DisplayRole)))
        return;
    // Someone else rewrote the cell under the open editor: its text is stale.
    const QModelIndex current = gridOf(kind)->currentIndex();
    if (!editorOf(kind)->isHidden() && current.isValid() && current.row() >= topLeft.row()
        && current.row() <= bottomRight.row() && current.column() >= topLeft.column()
        && current.column() <= bottomRight.column())
        hideEditorQuietly(kind);
}

void ProgramTabs::beginTableChange(TableKind kind)
{
    ++m_tableChanging[Index(kind)];
    hideEditorQuietly(kind);
}

void ProgramTabs::endTableChange(TableKind kind)
{
    if (m_tableChanging[Index(kind)] > 0)
        --m_tableChanging[Index(kind)];
    m_enteredCell[Index(kind)] = gridOf(kind)->currentIndex();
    if (kind == TableKind::Etp)
        syncOutputChecks();
}

// ---------------------------------------------------------------- editors

void ProgramTabs::layEditor(TableKind kind)
{
    QTableView* grid = gridOf(kind);
    QLineEdit* editor = editorOf(kind);
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid())
        return;
    const CellEditorRules::EditorLayout layout
        = CellEditorRules::LayEditor(tableOf(kind), stopCaption(), visibleTab(), current.row() + 1,
            current.column(), ToTwips(grid->visualRect(current)));
    if (layout.hide) {
        hideEditorQuietly(kind);
        return;
    }
    if (layout.text)
        editor->setText(*layout.text);
    if (layout.rectTwips)
        editor->setGeometry(ToPixels(*layout.rectTwips));
    if (layout.show) {
        editor->show();
        editor->raise();
        editor->setSelection(0, static_cast<int>(editor->text().size()));
        editor->setFocus(Qt::OtherFocusReason);
    }
}

void ProgramTabs::ShowEtpEditor()
{
    layEditor(TableKind::Etp);
}

void ProgramTabs::ShowIpmEditor()
{
    layEditor(TableKind::Ipm);
}

void ProgramTabs::hideEditorQuietly(TableKind kind)
{
    QScopedValueRollback quiet(m_quietFocus, true);
    QLineEdit* editor = editorOf(kind);
    // The grid takes the focus as if clicked: a grid focused any other way
    // moves its current cell to the first one.
    if (editor->hasFocus())
        gridOf(kind)->setFocus(Qt::MouseFocusReason);
    editor->hide();
}

void ProgramTabs::leaveEditorForGrid(TableKind kind)
{
    // A value typed and not yet left would otherwise stay in the cell
    // unchecked (150 minutes, an unformatted voltage).
    if (kind != TableKind::Itp && editorOf(kind)->hasFocus() && !m_quietFocus) {
        onEditorFocusLost(kind, gridOf(kind));
        if (editorOf(kind)->isHidden())
            return;
    }
    hideEditorQuietly(kind);
}

void ProgramTabs::MoveEditorByArrow(QTableView* grid, int key)
{
    TableKind kind = TableKind::Itp;
    for (TableKind k : kKindsInOrder) {
        if (gridOf(k) == grid)
            kind = k;
    }
    ProgramTable& table = tableOf(kind);
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid())
        return;
    QStringList headers;
    for (int c = 0; c < table.columns(); ++c)
        headers << table.headerText(c);
    const std::optional<CellEditorRules::CellPos> to
        = CellEditorRules::MoveEditorByArrow(table.tab(), current.row() + 1, current.column(),
            table.rows(), table.columns(), headers, key);
    if (!to)
        return;
    grid->setCurrentIndex(table.index(to->row - 1, to->column));
    layEditor(kind);
}

void ProgramTabs::onEditorKeyReleased(TableKind kind, int key)
{
    QLineEdit* editor = editorOf(kind);
    if (kind == TableKind::Ipm
        && CellEditorRules::IpmKeyReleaseHidesEditor(FocusName(QApplication::focusWidget()))) {
        hideEditorQuietly(kind);
        return;
    }
    QTableView* grid = gridOf(kind);
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid())
        return;
    ProgramTable& table = tableOf(kind);
    const std::optional<QString> mirrored
        = CellEditorRules::MirrorKeyRelease(kind, current.column(), editor->text(), supply().currFormat);
    if (mirrored) {
        QScopedValueRollback own(m_ownWrite, true);
        table.setCell(current.row() + 1, current.column(), *mirrored);
    }
    MoveEditorByArrow(grid, key);
}

void ProgramTabs::onEditorFocusLost(TableKind kind, QWidget* focusNow)
{
    if (m_quietFocus || m_showingMessage)
        return;
    QLineEdit* editor = editorOf(kind);
    const QModelIndex current = gridOf(kind)->currentIndex();
    const int row = current.row() + 1;
    const int column = current.column();
    const QString focusName = FocusName(focusNow);

    if (kind == TableKind::Etp) {
        const CellEditorRules::EtpFocusLoss loss
            = CellEditorRules::OnEtpEditorFocusLost(focusName, column, editor->text(), limits());
        hideEditorQuietly(kind);
        if (loss.cellText && current.isValid()) {
            QScopedValueRollback own(m_ownWrite, true);
            m_window.tableE().setCell(row, column, *loss.cellText);
        }
        if (loss.runCheck)
            CheckEtpTable();
    } else if (kind == TableKind::Ipm) {
        const CellEditorRules::IpmFocusLoss loss = CellEditorRules::OnIpmEditorFocusLost(
            focusName, m_window.tableM().cell(row, column), editor->text());
        if (loss == CellEditorRules::IpmFocusLoss::KeepEditor)
            return;
        // Hidden first: the check's re-lay must not take the focus back.
        hideEditorQuietly(kind);
        if (loss == CellEditorRules::IpmFocusLoss::CommitThenHide && current.isValid())
            CommitIpmCell(row, column);
    }
}

void ProgramTabs::CommitEtpCell(int row, int column)
{
    std::optional<CellEditorRules::CommitResult> result;
    {
        QScopedValueRollback own(m_ownWrite, true);
        result = CellEditorRules::CommitEtpCell(
            m_window.tableE(), row, column, ui.TextE->text(), limits());
    }
    if (!result)
        return;
    if (!result->message.isEmpty())
        showMessage(result->message);
    if (result->editorText)
        ui.TextE->setText(*result->editorText);
    CheckEtpTable();
}

void ProgramTabs::CommitIpmCell(int row, int column)
{
    std::optional<CellEditorRules::CommitResult> result;
    {
        QScopedValueRollback own(m_ownWrite, true);
        result = CellEditorRules::CommitIpmCell(
            m_window.tableM(), row, column, ui.TextM->text(), limits());
    }
    if (!result)
        return;
    if (!result->message.isEmpty())
        showMessage(result->message);
    if (result->editorText)
        ui.TextM->setText(*result->editorText);
    CheckIpmTable();
}

void ProgramTabs::showMessage(const QString& text)
{
    // The box takes the focus for a while; that is not the user leaving a cell.
    QScopedValueRollback showing(m_showingMessage, true);
    QMessageBox box(QMessageBox::NoIcon, m_window.windowTitle(), text, QMessageBox::Ok, &m_window);
    box.setObjectName(QStringLiteral("ProgramTabsMessage"));
    box.exec();
}

// ---------------------------------------------------------------- table checks

void ProgramTabs::InitEtpTable()
{
    TableRules::InitEtpTable(m_window.tableE(), supply().currFormat);
    PlaceOutputChecks();
    syncOutputChecks();
}

void ProgramTabs::syncOutputChecks()
{
    const ProgramTable& etp = m_window.tableE();
    for (int k = 1; k <= kSteps; ++k)
        ui.OutputCK[static_cast<std::size_t>(k)]->setChecked(etp.outputOn(k));
}

void ProgramTabs::syncPresetSelectors()
{
    const int selected = m_window.tableM().selectedPreset();
    for (int k = 1; k <= kPresets; ++k)
        ui.Option1[static_cast<std::size_t>(k)]->setChecked(selected == k);
}

void ProgramTabs::PlaceOutputChecks()
{
    const ProgramTable& etp = m_window.tableE();
    const bool showing = visibleTab() == 1;
    QWidget* viewport = ui.FGridE->viewport();
    for (int k = 1; k <= kSteps; ++k) {
        QCheckBox* box = ui.OutputCK[static_cast<std::size_t>(k)];
        if (!showing || etp.dataRows() < k) {
            box->hide();
            continue;
        }
        const QRect cell = ui.FGridE->visualRect(etp.index(k - 1, kOutputColumn));
        const QSize hint = box->sizeHint();
        box->move(cell.center().x() - hint.width() / 2, cell.center().y() - hint.height() / 2);
        box->resize(hint);
        box->setChecked(etp.outputOn(k));
        box->raise();
        box->setVisible(
            cell.isValid() && cell.top() >= 0 && cell.top() + hint.height() <= viewport->height());
    }
}

void ProgramTabs::PlacePresetSelectors()
{
    const ProgramTable& ipm = m_window.tableM();
    const bool showing = visibleTab() == 2;
    QWidget* viewport = ui.FGridM->viewport();
    for (int k = 1; k < static_cast<int>(ui.Option1.size()); ++k) {
        QRadioButton* option = ui.Option1[static_cast<std::size_t>(k)];
        if (!showing || k > kPresets || ipm.dataRows() < k) {
            option->hide();
            continue;
        }
        const QRect cell = ui.FGridM->visualRect(ipm.index(k - 1, kSelectColumn));
        const QSize hint = option->sizeHint();
        option->resize(hint);
        option->move(cell.center().x() - hint.width() / 2, cell.center().y() - hint.height() / 2);
        option->setChecked(ipm.selectedPreset() == k);
        option->raise();
        option->setVisible(
            cell.isValid() && cell.top() >= 0 && cell.top() + hint.height() <= viewport->height());
    }
}

void ProgramTabs::CheckEtpTable()
{
    const bool runEnabled = TableRules::CheckEtpTable(m_window.tableE(), limits(), supply().connected);
    if (!ui.TextE->isHidden())
        ShowEtpEditor();
    if (visibleTab() == 1)
        ui.CmdRunStop->setEnabled(runEnabled);
}

void ProgramTabs::CheckIpmTable()
{
    ProgramTable& ipm = m_window.tableM();
    const TableRules::IpmCheck check
        = TableRules::CheckIpmTable(ipm, limits(), extProgramRunning(), supply().connected);
    for (int k = 1; k <= kPresets; ++k) {
        const bool enabled = static_cast<std::size_t>(k) < check.selectorEnabled.size()
            && check.selectorEnabled[static_cast<std::size_t>(k)];
        ui.Option1[static_cast<std::size_t>(k)]->setEnabled(enabled);
    }
    if (!ui.TextM->isHidden())
        ShowIpmEditor();
    if (visibleTab() != 2)
        return;
    // A failed import can leave fewer rows: "Set" would then do nothing at all.
    if (!presetsComplete())
        ui.CmdRunStop->setEnabled(false);
    else if (check.setEnabled)
        ui.CmdRunStop->setEnabled(*check.setEnabled);
}

void ProgramTabs::EnablePresetSelectors()
{
    const auto enabled = TableRules::EnablePresetSelectors(m_window.tableM());
    for (int k = 1; k <= kPresets; ++k)
        ui.Option1[static_cast<std::size_t>(k)]->setEnabled(enabled[static_cast<std::size_t>(k)]);
}

// ---------------------------------------------------------------- small controls

void ProgramTabs::Option1_Click(int preset)
{
    const bool setEnabled = TableRules::SelectPreset(
        m_window.tableM(), preset, supply().uvl, extProgramRunning(), supply().connected);
    syncPresetSelectors();
    if (visibleTab() == 2)
        ui.CmdRunStop->setEnabled(setEnabled && presetsComplete());
}

bool ProgramTabs::presetsComplete() const
{
    const ProgramTable& ipm = m_window.tableM();
    const int selected = ipm.selectedPreset();
    return ipm.dataRows() >= kPresets && selected >= 1 && selected <= kPresets;
}

void ProgramTabs::CmdCT_Click()
{
    const int tab = visibleTab();
    if (tab < 0 || tab >= static_cast<int>(ui.CmbTableName.size()))
        return;
    if (tab == 1) {
        TableRules::ClearTable(m_window.tableE(), supply().currFormat);
        syncOutputChecks();
        CheckEtpTable();
    } else if (tab == 2) {
        TableRules::ClearTable(m_window.tableM(), supply().currFormat);
        CheckIpmTable();
    }
    ui.CmbTableName[static_cast<std::size_t>(tab)]->setEditText(TableRules::kUntitled);
    ui.TextTableD[static_cast<std::size_t>(tab)]->clear();
    m_window.UpdateStorageButtons();
}

void ProgramTabs::onCycleFocusLost(int index)
{
    QLineEdit* box = ui.TextCycle[static_cast<std::size_t>(index)];
    box->setText(TableRules::NormaliseCycleText(box->text()));
}

// ---------------------------------------------------------------- runner

void ProgramTabs::setRunCaption(bool running)
{
    // The button is shared: on the other tabs it keeps their caption until
    // the tab switch sets it.
    const int tab = visibleTab();
    if (tab == 0 || tab == 1)
        ui.CmdRunStop->setText(running ? Captions::English().stop : Captions::English().run);
}

void ProgramTabs::setRunControlsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*> {
             ui.FGridE, ui.CmdRS, ui.CmdSS, ui.CmdCT, ui.CmbTableName[1], ui.TextCycle[1] })
        w->setEnabled(enabled);
    for (int k = 1; k <= kSteps; ++k)
        ui.OutputCK[static_cast<std::size_t>(k)]->setEnabled(enabled);
    m_window.UpdateStorageButtons();
}

void ProgramTabs::clampProgramToLimits()
{
    // Cells hold whatever was typed or loaded; the grid is to show what is sent.
    ProgramTable& etp = m_window.tableE();
    QScopedValueRollback own(m_ownWrite, true);
    TableRules::ClampStepsToLimits(etp, ExtProgramRunner::FindLastRow(etp), limits());
}

void ProgramTabs::RunStopClick()
{
    const int tab = visibleTab();
    if (tab == PresetTransfer::kPresetTab) {
        if (PresetTransfer::SetRequestsUpload(supply().connected, m_window.tableM()))
            m_window.session().requestPresetUpload(m_window.tableM());
        return;
    }
    if (tab != ExtProgramRunner::kProgramTab)
        return;

    ProgramTable& etp = m_window.tableE();
    const QString cycleText = ui.TextCycle[1]->text();
    const bool willStart = supply().connected && !extProgramRunning()
        && TableRules::CycleCount(cycleText) >= 0 && etp.dataRows() > 0
        && TableRules::RowSeconds(etp, 1) > 0;
    if (willStart)
        clampProgramToLimits();

    // A stop is reported by the session's programEnded.
    const ExtProgramRunner::ClickResult result = m_window.session().runStopClick(etp, cycleText);
    switch (result.action) {
    case ExtProgramRunner::ClickAction::Nothing:
        return;
    case ExtProgramRunner::ClickAction::Started:
        hideEditorQuietly(TableKind::Etp);
        setRunCaption(true);
        setRunControlsEnabled(false);
        return;
    case ExtProgramRunner::ClickAction::Stopped:
    case ExtProgramRunner::ClickAction::Refused:
        ui.CmdRunStop->setEnabled(result.runEnabled);
        return;
    }
}

void ProgramTabs::ExtProgramEnded(bool completed)
{
    if (completed) {
        const QModelIndex current = ui.FGridE->currentIndex();
        const int column = current.isValid() ? current.column() : 1;
        if (m_window.tableE().dataRows() > 0)
            ui.FGridE->setCurrentIndex(m_window.tableE().index(0, column));
    }
    setRunCaption(false);
    setRunControlsEnabled(true);
    if (!completed)
        hideEditorQuietly(TableKind::Etp);
}

// ---------------------------------------------------------------- presets

bool ProgramTabs::clampPresetsToLimits()
{
    // Presets above the limits would be stored in the supply as they are.
    QScopedValueRollback own(m_ownWrite, true);
    return TableRules::ClampPresetsToLimits(m_window.tableM(), limits());
}

void ProgramTabs::PresetsRead(bool read)
{
    if (read) {
        PlacePresetSelectors();
        EnablePresetSelectors();
    } else {
        for (int k = 1; k <= kPresets; ++k)
            ui.Option1[static_cast<std::size_t>(k)]->hide();
    }
    CheckIpmTable();
}

void ProgramTabs::CmdRS_Click()
{
    switch (PresetTransfer::ReadFroPsClick(visibleTab())) {
    case PresetTransfer::ReadRequest::RaiseReadPending:
        m_window.session().requestPresetRead();
        hideEditorQuietly(TableKind::Ipm);
        return;
    case PresetTransfer::ReadRequest::FocusButton:
        ui.CmdRS->setFocus(Qt::OtherFocusReason);
        return;
    case PresetTransfer::ReadRequest::Nothing:
        return;
    }
}

void ProgramTabs::CmdSS_Click()
{
    const int tab = visibleTab();
    if (tab == PresetTransfer::kPresetTab) {
        // Presets above the limits would be stored in the supply as they are.
        clampPresetsToLimits();
        m_window.session().savePresets(m_window.tableM(), [this](bool) { CheckIpmTable(); });
        return;
    }
    CheckIpmTable();
    if (tab == 0 || tab == 1)
        ui.CmdSS->setFocus(Qt::OtherFocusReason);
}
