#pragma once

#include "app/Tab.h"
#include "programs/CellEditorRules.h"
#include "programs/TableKind.h"
#include "programs/TableLimits.h"

#include <QObject>
#include <QPersistentModelIndex>
#include <QScopedValueRollback>
#include <QSet>

class ProgramTable;
class Prompts;
class QEvent;
class QLineEdit;
class QModelIndex;
class QTabWidget;
class QTableView;
class QWidget;
class SupplySession;

// One program table on its tab: the grid, its floating cell editor and what
// lies over its cells. The editor follows the current cell; a value is checked
// into the table when its cell is left. The rules live in programs/.
class TableGrid : public QObject {
    Q_OBJECT

public:
    struct Parts {
        QTableView* grid;
        QLineEdit* editor;
        ProgramTable& table;
        SupplySession& session;
        // The window's tabs: the grid works only while its own tab shows.
        QTabWidget* tabs;
        Prompts& prompts;
    };

    TableGrid(TableKind kind, const Parts& parts, QObject* parent);
    ~TableGrid() override;

    ProgramTable& table() const { return m_table; }
    QTableView* view() const { return m_grid; }
    QLineEdit* editor() const { return m_editor; }

    // Lays the editor over the current cell (or hides it where no value is typed).
    void showEditor();
    void hideEditorQuietly();
    // The grid's tab was switched to or from.
    void tabShown(Tab tab);
    // Checks the whole table and enables what depends on it.
    virtual void check() { }
    // Puts the boxes lying over the cells in their places.
    virtual void placeOverlay() { }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The editor's own events beyond the shared ones; true takes the event.
    virtual bool editorEvent(QEvent* /*event*/) { return false; }
    // A click on a cell; true when the click was taken (the editor stays).
    virtual bool cellClicked(const QModelIndex& /*index*/) { return false; }
    // Checks and stores the editor's text into a cell being left (rows from 1):
    // the table's rule, then its message and the editor's new text.
    void commitCell(int row, int column);
    // The table's rule for a cell being left; nothing for a table without one.
    virtual std::optional<CellEditorRules::CommitResult> commitRule(
        int /*row*/, int /*column*/, const QString& /*text*/)
    {
        return std::nullopt;
    }
    // The editor over current has lost the focus to focusName.
    virtual void editorLeft(const QModelIndex& /*current*/, const QString& /*focusName*/) { }
    // The overlay's states follow the table's.
    virtual void syncOverlay() { }

    Tab ownTab() const;
    Tab shownTab() const;
    TableLimits limits() const;
    SupplySession& session() const { return m_session; }
    // A cell message, in a box with the window's title.
    void tellAboutCell(const QString& text);
    // Writes a cell without the editor taking it as someone else's change.
    void writeCell(int row, int column, const QString& text);
    // While it lives, changes of the table's cells are the editor's own.
    [[nodiscard]] QScopedValueRollback<bool> ownWrites()
    {
        return QScopedValueRollback<bool>(m_ownWrite, true);
    }

private:
    void wire();
    void onCurrentChanged(const QModelIndex& current, const QModelIndex& previous);
    void leaveCell(int row, int column);
    void enterCell();
    void onGridClicked(const QModelIndex& index);
    void onScroll();
    void onCellsChanged(
        const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles);
    void beginTableChange();
    void endTableChange();
    // The grid scrolled or its cells moved under the editor: it is left as
    // when the grid takes the focus, with its value checked into the cell.
    void leaveEditorForGrid();
    void onEditorKeyReleased(int key);
    void onEditorFocusLost(QWidget* focusNow);
    void moveEditorByArrow(int key);

    TableKind m_kind;
    QTableView* m_grid;
    QLineEdit* m_editor;
    ProgramTable& m_table;
    SupplySession& m_session;
    QTabWidget* m_tabs;
    Prompts& m_prompts;

    // Set while a cell is being entered: a scroll that comes with it keeps the editor.
    bool m_cellEntered = false;
    // The cell the editor was last laid for.
    QPersistentModelIndex m_enteredCell;
    // Rows are being added or removed by someone else: no leave or enter then.
    int m_tableChanging = 0;
    bool m_ownWrite = false;
    bool m_quietFocus = false;
    // The keys the editor saw pressed and not yet released: only their
    // release mirrors the text and moves the editor.
    QSet<int> m_keysDown;
    bool m_showingMessage = false;
    bool m_redirecting = false;
};
