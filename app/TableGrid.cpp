#include "app/TableGrid.h"

#include "app/Prompts.h"
#include "programs/CellEditorRules.h"
#include "programs/ProgramTable.h"
#include "session/SupplySession.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <cmath>

namespace {

constexpr int kTwipsPerPixel = 15;

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

// Keys the grid would take from the editor and move its own current cell with;
// the editor moves by its key-release rule instead.
bool IsGridNavigationKey(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp
        || key == Qt::Key_PageDown;
}

} // namespace

TableGrid::TableGrid(TableKind kind, const Parts& parts, QObject* parent)
    : QObject(parent)
    , m_kind(kind)
    , m_grid(parts.grid)
    , m_editor(parts.editor)
    , m_table(parts.table)
    , m_session(parts.session)
    , m_tabs(parts.tabs)
    , m_prompts(parts.prompts)
{
    wire();
}

TableGrid::~TableGrid() = default;

Tab TableGrid::ownTab() const
{
    switch (m_kind) {
    case TableKind::Itp:
        return Tab::InternalProgram;
    case TableKind::Etp:
        return Tab::ExternalProgram;
    case TableKind::Ipm:
        break;
    }
    return Tab::Presets;
}

Tab TableGrid::shownTab() const
{
    return static_cast<Tab>(m_tabs->currentIndex());
}

TableLimits TableGrid::limits() const
{
    const SupplyState& supply = m_session.state();
    return { supply.uvl, supply.ucl, supply.currFormat, supply.currScale };
}

void TableGrid::tellAboutCell(const QString& text)
{
    // The box takes the focus for a while; that is not the user leaving a cell.
    QScopedValueRollback showing(m_showingMessage, true);
    m_prompts.tell(text, Prompts::Title::Window);
}

void TableGrid::writeCell(int row, int column, const QString& text)
{
    const auto own = ownWrites();
    m_table.setCell(row, column, text);
}

void TableGrid::tabShown(Tab tab)
{
    m_grid->setVisible(tab == ownTab());
    placeOverlay();
}

// ---------------------------------------------------------------- wiring

void TableGrid::wire()
{
    // Our model slots must run before the selection model's, so that a table
    // changed from outside hides its editor before the current cell moves.
    connect(
        &m_table, &QAbstractItemModel::rowsAboutToBeInserted, this, &TableGrid::beginTableChange);
    connect(
        &m_table, &QAbstractItemModel::rowsAboutToBeRemoved, this, &TableGrid::beginTableChange);
    connect(&m_table, &QAbstractItemModel::modelAboutToBeReset, this, &TableGrid::beginTableChange);
    connect(&m_table, &QAbstractItemModel::rowsInserted, this, &TableGrid::endTableChange);
    connect(&m_table, &QAbstractItemModel::rowsRemoved, this, &TableGrid::endTableChange);
    connect(&m_table, &QAbstractItemModel::modelReset, this, &TableGrid::endTableChange);
    connect(&m_table, &QAbstractItemModel::dataChanged, this, &TableGrid::onCellsChanged);

    if (m_grid->model() != &m_table)
        m_grid->setModel(&m_table);
    QItemSelectionModel* previous = m_grid->selectionModel();
    m_grid->setSelectionModel(new QItemSelectionModel(&m_table, m_grid));
    if (previous)
        previous->deleteLater();

    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
        &TableGrid::onCurrentChanged);
    connect(m_grid, &QAbstractItemView::clicked, this, &TableGrid::onGridClicked);
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &TableGrid::onScroll);
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, &TableGrid::onScroll);
    // Cells that move under the editor leave it over the wrong place.
    const auto relay = [this] {
        if (!m_editor->isHidden())
            leaveEditorForGrid();
        placeOverlay();
    };
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this, relay);
    connect(m_grid->verticalHeader(), &QHeaderView::sectionResized, this, relay);
    m_grid->viewport()->installEventFilter(this);
    m_editor->installEventFilter(this);
}

bool TableGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editor) {
        if (event->type() == QEvent::FocusIn)
            m_keysDown.clear();
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            m_keysDown.insert(key);
            if (IsGridNavigationKey(key))
                return true;
        }
        if (editorEvent(event))
            return true;
        if (event->type() == QEvent::KeyRelease) {
            // A release whose press went elsewhere (the grid, which has
            // moved already, or a message box that Enter closed) is not
            // typing: it must not rewrite the cell that is current now.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (m_keysDown.remove(key))
                onEditorKeyReleased(key);
        } else if (event->type() == QEvent::FocusOut
            && !LeavesWithWindow(static_cast<QFocusEvent*>(event)))
            onEditorFocusLost(QApplication::focusWidget());
        return false;
    }
    if (watched == m_grid->viewport() && event->type() == QEvent::Resize)
        placeOverlay();
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------- grid events

void TableGrid::onCurrentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (m_redirecting || m_tableChanging > 0)
        return;
    if (previous.isValid())
        leaveCell(previous.row() + 1, previous.column());
    m_cellEntered = false;

    QModelIndex target = current;
    // The first column is fixed: a cell there is never current.
    if (target.isValid() && target.column() == 0) {
        target = target.sibling(target.row(), 1);
        QScopedValueRollback redirecting(m_redirecting, true);
        m_grid->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    }
    if (target.isValid())
        enterCell();
}

void TableGrid::leaveCell(int row, int column)
{
    // Only an open editor holds text of this cell; a hidden one may hold text
    // of a table that was loaded or cleared since.
    if (m_grid->isHidden() || m_editor->isHidden())
        return;
    commitCell(row, column);
}

void TableGrid::commitCell(int row, int column)
{
    std::optional<CellEditorRules::CommitResult> result;
    {
        const auto own = ownWrites();
        result = commitRule(row, column, m_editor->text());
    }
    if (!result)
        return;
    if (!result->message.isEmpty())
        tellAboutCell(result->message);
    if (result->editorText)
        m_editor->setText(*result->editorText);
    check();
}

void TableGrid::enterCell()
{
    QScopedValueRollback entering(m_cellEntered, true);
    m_enteredCell = m_grid->currentIndex();
    if (!m_grid->isHidden())
        showEditor();
    else
        m_editor->setText(
            m_table.cell(m_grid->currentIndex().row() + 1, m_grid->currentIndex().column()));
}

void TableGrid::onGridClicked(const QModelIndex& index)
{
    if (!cellClicked(index))
        showEditor();
}

void TableGrid::onScroll()
{
    // The view scrolls to a newly current cell before it is entered; that
    // scroll keeps the editor, the user's own scrolling hides it.
    const bool entering = m_cellEntered || m_grid->currentIndex() != m_enteredCell;
    if (!entering && !m_editor->isHidden())
        leaveEditorForGrid();
    placeOverlay();
}

void TableGrid::onCellsChanged(
    const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    if (roles.isEmpty() || roles.contains(Qt::CheckStateRole))
        syncOverlay();
    if (m_ownWrite || !(roles.isEmpty() || roles.contains(Qt::DisplayRole)))
        return;
    // Someone else rewrote the cell under the open editor: its text is stale.
    const QModelIndex current = m_grid->currentIndex();
    if (!m_editor->isHidden() && current.isValid() && current.row() >= topLeft.row()
        && current.row() <= bottomRight.row() && current.column() >= topLeft.column()
        && current.column() <= bottomRight.column())
        hideEditorQuietly();
}

void TableGrid::beginTableChange()
{
    ++m_tableChanging;
    hideEditorQuietly();
}

void TableGrid::endTableChange()
{
    if (m_tableChanging > 0)
        --m_tableChanging;
    m_enteredCell = m_grid->currentIndex();
    syncOverlay();
}

// ---------------------------------------------------------------- the editor

void TableGrid::showEditor()
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    // The shared button reads "Stop" on the two program tabs while a program runs.
    const bool stopCaption = m_session.programRunning() && IsProgramTab(shownTab());
    const CellEditorRules::EditorLayout layout
        = CellEditorRules::LayEditor(m_table, stopCaption, TabIndex(shownTab()), current.row() + 1,
            current.column(), ToTwips(m_grid->visualRect(current)));
    if (layout.hide) {
        hideEditorQuietly();
        return;
    }
    if (layout.text)
        m_editor->setText(*layout.text);
    if (layout.rectTwips)
        m_editor->setGeometry(ToPixels(*layout.rectTwips));
    if (layout.show) {
        m_editor->show();
        m_editor->raise();
        m_editor->setSelection(0, static_cast<int>(m_editor->text().size()));
        m_editor->setFocus(Qt::OtherFocusReason);
    }
}

void TableGrid::hideEditorQuietly()
{
    QScopedValueRollback quiet(m_quietFocus, true);
    // The grid takes the focus as if clicked: a grid focused any other way
    // moves its current cell to the first one.
    if (m_editor->hasFocus())
        m_grid->setFocus(Qt::MouseFocusReason);
    m_editor->hide();
}

void TableGrid::leaveEditorForGrid()
{
    // A value typed and not yet left would otherwise stay in the cell
    // unchecked (150 minutes, an unformatted voltage).
    if (m_kind != TableKind::Itp && m_editor->hasFocus() && !m_quietFocus) {
        onEditorFocusLost(m_grid);
        if (m_editor->isHidden())
            return;
    }
    hideEditorQuietly();
}

void TableGrid::moveEditorByArrow(int key)
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    QStringList headers;
    for (int c = 0; c < m_table.columns(); ++c)
        headers << m_table.headerText(c);
    const std::optional<CellEditorRules::CellPos> to
        = CellEditorRules::MoveEditorByArrow(m_table.tab(), current.row() + 1, current.column(),
            m_table.rows(), m_table.columns(), headers, key);
    if (!to)
        return;
    m_grid->setCurrentIndex(m_table.index(to->row - 1, to->column));
    showEditor();
}

void TableGrid::onEditorKeyReleased(int key)
{
    if (m_kind == TableKind::Ipm
        && CellEditorRules::IpmKeyReleaseHidesEditor(FocusName(QApplication::focusWidget()))) {
        hideEditorQuietly();
        return;
    }
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    const std::optional<QString> mirrored = CellEditorRules::MirrorKeyRelease(
        m_kind, current.column(), m_editor->text(), m_session.state().currFormat);
    if (mirrored)
        writeCell(current.row() + 1, current.column(), *mirrored);
    moveEditorByArrow(key);
}

void TableGrid::onEditorFocusLost(QWidget* focusNow)
{
    if (m_quietFocus || m_showingMessage)
        return;
    editorLeft(m_grid->currentIndex(), FocusName(focusNow));
}
