#pragma once

#include "programs/ExtProgramRunner.h"
#include "programs/TableKind.h"
#include "programs/TableLimits.h"

#include <QObject>
#include <QPersistentModelIndex>
#include <QSet>
#include <array>

class MainFrm;
class ProgramTable;
class QEvent;
class QLineEdit;
class QModelIndex;
class QTableView;
class QWidget;
struct MainFrmUi;
struct SupplyState;
struct WindowState;

// The three program tables on their tabs: the grids with their floating cell
// editors, output check boxes and preset selectors, the table buttons, and the
// controls of the timed program and the preset transfers, which the supply
// session runs. The window forwards the events; the rules live in programs/.
class ProgramTabs : public QObject {
    Q_OBJECT

public:
    ProgramTabs(MainFrm& window, MainFrmUi& ui, WindowState& state);
    ~ProgramTabs() override;

    // Connects the controls' events; calling it again does nothing.
    void wire();

    TableLimits limits() const;
    bool extProgramRunning() const;

    void InitEtpTable();
    void PlaceOutputChecks();
    void PlacePresetSelectors();
    void CheckEtpTable();
    void CheckIpmTable();
    void EnablePresetSelectors();
    // The session has read the supply's presets into the preset table.
    void PresetsRead(bool read);

    // Control events.
    void RunStopClick();
    // "Set" can send the presets: three of them and a chosen one.
    bool presetsComplete() const;
    // The program stopped (by "Stop", a new connection or the end of the
    // session) or ran all its cycles.
    void ExtProgramEnded(bool completed);
    void CmdRS_Click();
    void CmdSS_Click();
    void CmdCT_Click();
    void Option1_Click(int preset);

    // The floating editors.
    void ShowEtpEditor();
    void ShowIpmEditor();
    void MoveEditorByArrow(QTableView* grid, int key);
    // Check and store the editor's text into a cell being left (table rows from 1).
    void CommitEtpCell(int row, int column);
    void CommitIpmCell(int row, int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kKinds = 3;

    ProgramTable& tableOf(TableKind kind) const;
    QTableView* gridOf(TableKind kind) const;
    QLineEdit* editorOf(TableKind kind) const;
    int visibleTab() const;
    bool stopCaption() const;

    void wireGrid(TableKind kind);
    void onCurrentChanged(TableKind kind, const QModelIndex& current, const QModelIndex& previous);
    void leaveCell(TableKind kind, int row, int column);
    void enterCell(TableKind kind);
    void onGridClicked(TableKind kind, const QModelIndex& index);
    void onScroll(TableKind kind);
    void onCellsChanged(TableKind kind, const QModelIndex& topLeft, const QModelIndex& bottomRight,
        const QList<int>& roles);
    void beginTableChange(TableKind kind);
    void endTableChange(TableKind kind);

    void layEditor(TableKind kind);
    void hideEditorQuietly(TableKind kind);
    // The grid scrolled or its cells moved under the editor: it is left as
    // when the grid takes the focus, with its value checked into the cell.
    void leaveEditorForGrid(TableKind kind);
    void onEditorKeyReleased(TableKind kind, int key);
    void onEditorFocusLost(TableKind kind, QWidget* focusNow);
    void onCycleFocusLost(int index);

    void setRunControlsEnabled(bool enabled);
    void setRunCaption(bool running);
    void clampProgramToLimits();
    bool clampPresetsToLimits();
    void syncOutputChecks();
    void syncPresetSelectors();
    void showMessage(const QString& text);
    const SupplyState& supply() const;

    MainFrm& m_window;
    MainFrmUi& ui;
    WindowState& S;

    bool m_wired = false;
    // Set while a cell is being entered: a scroll that comes with it keeps the editor.
    bool CellEntered = false;
    // The cell each grid's editor was last laid for.
    std::array<QPersistentModelIndex, kKinds> m_enteredCell;
    // Rows are being added or removed by someone else: no leave or enter then.
    std::array<int, kKinds> m_tableChanging {};
    bool m_ownWrite = false;
    bool m_quietFocus = false;
    // The keys the editor saw pressed and not yet released: only their
    // release mirrors the text and moves the editor.
    QSet<int> m_keysDown;
    bool m_showingMessage = false;
    bool m_redirecting = false;
};
