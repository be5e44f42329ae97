#pragma once

#include "core/Captions.h"
#include "programs/ProgramTable.h"
#include "programs/TableLimits.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

// The floating cell editor's rules, without the editor: what each key release
// writes into the cell, where the arrow keys move, what leaving a cell or the
// editor stores, and where the editor is laid.
namespace CellEditorRules {

// Key release: the text the current cell takes at once, unchecked; nothing for
// columns that the mirror does not write.
std::optional<QString> MirrorKeyRelease(
    TableKind kind, int column, const QString& editorText, const QString& currFormat);

struct CellPos {
    int row = 0;
    int column = 0;
    friend bool operator==(const CellPos&, const CellPos&) = default;
};
// Arrow keys (Qt::Key_Left, Key_Up, Key_Right, Key_Down) from the current cell of
// a table on the given tab; the new cell, or nothing when the editor stays put.
// headers are the table's header texts, to find the Voltage column.
std::optional<CellPos> MoveEditorByArrow(int tab, int row, int column, int rowCount,
    int columnCount, const QStringList& headers, int key,
    const Captions& captions = Captions::English());

struct CommitResult {
    QString message; // show it in an OK-only box when not empty
    std::optional<QString> editorText; // the editor's replacement text
    QString cellText; // what the cell now holds (already written)
    bool relayEditor = false; // lay the editor over the cell again
};
// Leaving a cell: checks the editor text by the column's header, writes the cell
// and says what the user is told. Nothing for columns without a check or cells
// outside the table. The caller then runs the table's check.
std::optional<CommitResult> CommitEtpCell(ProgramTable& etp, int row, int column,
    const QString& editorText, const TableLimits& limits,
    const Captions& captions = Captions::English());
std::optional<CommitResult> CommitIpmCell(ProgramTable& ipm, int row, int column,
    const QString& editorText, const TableLimits& limits,
    const Captions& captions = Captions::English());

struct EtpFocusLoss {
    std::optional<QString> cellText; // write the clamped value into the cell
    bool runCheck = false; // then run the table check
};
// The External Timed Program editor lost the focus to the control named
// focusName. The editor is hidden in every case; moving to "Run" or the storage
// tool bar stores nothing beyond the key-release mirror, anywhere else the value
// is clamped silently into range.
EtpFocusLoss OnEtpEditorFocusLost(
    const QString& focusName, int column, const QString& editorText, const TableLimits& limits);

// The preset editor: a key release while one of the three action buttons is the
// active control only hides the editor.
bool IpmKeyReleaseHidesEditor(const QString& activeName);

enum class IpmFocusLoss {
    HideOnly, // focus went to an action button, or the cell already holds the text
    CommitThenHide, // run CommitIpmCell, then hide
    KeepEditor, // the focus is still on the editor
};
IpmFocusLoss OnIpmEditorFocusLost(
    const QString& focusName, const QString& cellText, const QString& editorText);

struct EditorLayout {
    bool hide = false; // hide the editor (and nothing else)
    std::optional<QString> text; // the editor's text
    std::optional<QRect> rectTwips; // relative to the grid
    bool show = false; // show, select all, give it the focus
};
// Laying the table's editor over the current cell, given the cell rectangle in
// twips relative to the grid. Nothing opens while an external program runs.
EditorLayout LayEditor(const ProgramTable& table, bool programRunning, int visibleTab, int row,
    int column, const QRect& cellTwips);

} // namespace CellEditorRules
