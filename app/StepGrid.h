#pragma once

#include "app/TableGrid.h"

#include <array>

class QCheckBox;

// The External Timed Program's steps with their Output On boxes.
class StepGrid : public TableGrid {
    Q_OBJECT

public:
    StepGrid(const Parts& parts, const std::array<QCheckBox*, 21>& outputs, QObject* parent);

    // The default steps for a supply just connected.
    void initTable();
    // Empties the table to its default steps.
    void clear();
    // The table was loaded or imported from outside.
    void tableReplaced();
    // Brings the steps within the limits (the grid is to show what is sent).
    void clampToLimits();
    void setOutputsEnabled(bool enabled);

    void check() override;
    void placeOverlay() override;

Q_SIGNALS:
    // The check found the program runnable, or not.
    void runAllowed(bool allowed);

protected:
    std::optional<CellEditorRules::CommitResult> commitRule(
        int row, int column, const QString& text) override;
    void editorLeft(const QModelIndex& current, const QString& focusName) override;
    void syncOverlay() override;

private:
    std::array<QCheckBox*, 21> m_outputs;
};
