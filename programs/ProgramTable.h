#pragma once

#include "core/Captions.h"
#include "programs/PresetRow.h"
#include "programs/ProgramStep.h"
#include "programs/TableKind.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <vector>

// Text colour of one cell.
enum class CellColour {
    Normal,
    Green, // a valid value
    DarkRed, // an invalid value
};

// One program table: rows of cell texts with row 0 the header, a fixed column
// count, a text colour per cell, and the controls that live beside the cells
// (the per-step output flag of the external program and the selected preset).
//
// As a Qt model it shows the data rows (table row r is model row r - 1) and the
// header row as the horizontal header, centred and coloured.
class ProgramTable : public QAbstractTableModel {
    Q_OBJECT
public:
    static inline const QColor kGreen { 0, 128, 0 };
    static inline const QColor kDarkRed { 192, 0, 0 };

    explicit ProgramTable(
        TableKind kind, const Captions& captions = Captions::English(), QObject* parent = nullptr);

    TableKind kind() const { return m_kind; }
    int tab() const { return static_cast<int>(m_kind); }
    int columns() const { return static_cast<int>(m_widths.size()); }
    // Rows including the header row.
    int rows() const { return static_cast<int>(m_cells.size()); }
    int dataRows() const { return rows() - 1; }
    int columnWidthTwips(int column) const;
    QString headerText(int column) const { return cell(0, column); }

    // Cells outside the table read "" and are not written.
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);

    CellColour colour(int row, int column) const;
    void setColour(int row, int column, CellColour colour);

    void cutToHeader() { setRowCount(1); }
    // Missing cells are left empty, surplus ones dropped.
    void addRow(const QStringList& cells);
    // Rows including the header; never below 1. New rows are empty.
    void setRowCount(int rowsWithHeader);

    // The rows of a timed program table as steps, step k in row k.
    ProgramStep step(int row) const;
    std::vector<ProgramStep> steps() const;
    // The table then holds exactly these steps: rows past them go, missing ones
    // are added, and the cells are written in place. A step whose output is
    // unset leaves that step's flag as it was.
    void setSteps(const std::vector<ProgramStep>& steps);

    // The rows of the preset table, preset k in row k; the selection is
    // selectedPreset(). Setting them works as setSteps.
    PresetRow preset(int row) const;
    std::vector<PresetRow> presets() const;
    void setPresets(const std::vector<PresetRow>& presets);

    // The output flag of step k (k from 1). Like the check boxes beside the grid,
    // the flags outlive the rows: cutting the table does not reset them.
    bool outputOn(int row) const;
    void setOutputOn(int row, bool on);
    void setAllOutputsOn();

    // The selected preset, 0 for none or 1 to 3. Like an option button, the
    // selection stays when the rows go.
    int selectedPreset() const { return m_selectedPreset; }
    void setSelectedPreset(int preset);

    // Whether the model paints check indicators in the Output On and Select
    // columns. A window that floats its own check boxes and option buttons over
    // those cells turns them off, so each state shows once.
    bool checkIndicatorsShown() const { return m_checkIndicators; }
    void setCheckIndicatorsShown(bool shown);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool contains(int row, int column) const;
    bool isOutputColumn(int column) const;
    bool isSelectColumn(int column) const;
    void emitCellChanged(int row, int column, const QList<int>& roles);

    TableKind m_kind;
    std::vector<int> m_widths;
    std::vector<QStringList> m_cells;
    std::vector<std::vector<CellColour>> m_colours;
    std::vector<bool> m_outputs; // index = step; grows, never shrinks
    int m_selectedPreset = 0;
    bool m_checkIndicators = true;
};
