#pragma once

#include "app/TableGrid.h"

#include <array>

class QRadioButton;

// The Internal Preset Memory with its preset selectors.
class PresetGrid : public TableGrid {
    Q_OBJECT

public:
    PresetGrid(const Parts& parts, const std::array<QRadioButton*, 10>& selectors, QObject* parent);

    // "Set" can send the presets: three of them and a chosen one.
    bool complete() const;
    bool selectorEnabled(int preset) const;
    // The user picked preset k (1 to 3) with its selector or its Select cell.
    void selectPreset(int preset);
    void enableSelectors();
    void hideSelectors();
    // Shows the selectors of the rows there are, while the tab shows.
    void showSelectorsOfRows();
    // Empties the table to its default rows.
    void clear();
    // Brings the presets within the limits; true when one changed.
    bool clampToLimits();

    void check() override;
    void placeOverlay() override;

Q_SIGNALS:
    // "Set" may be used, or not.
    void setAllowed(bool allowed);
    // A double-click on a preset asks for "Set".
    void setRequested();

protected:
    bool editorEvent(QEvent* event) override;
    bool cellClicked(const QModelIndex& index) override;
    std::optional<CellEditorRules::CommitResult> commitRule(
        int row, int column, const QString& text) override;
    void editorLeft(const QModelIndex& current, const QString& focusName) override;
    void syncOverlay() override;

private:
    std::array<QRadioButton*, 10> m_selectors;
};
