#pragma once

#include <QObject>
#include <QString>

class QEvent;
struct MainFrmUi;

// What the keyboard needs beyond the controls' own keys: tool-tips that name
// the keys of the storage tool bar, the output switch and the set-point
// displays; Space on a step of the External Timed Program, in its grid or its
// cell editor, for that step's Output On box (the boxes are no Tab stops); and
// the focus on the tabs when the window first shows.
class KeyboardAccess : public QObject {
    Q_OBJECT

public:
    explicit KeyboardAccess(MainFrmUi& ui, QObject* parent = nullptr);

    // Installs the filters; call it after the other controllers' wiring, so
    // that Space reaches this class before the cell editor's handlers.
    void wire();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The tool-tip of watched with its keys, or nothing when it has none.
    QString toolTipWithKeys(const QObject* watched) const;
    // Clicks the Output On box of the grid's current step; false without one.
    bool toggleOutputOfCurrentStep();

    MainFrmUi& ui;
    bool m_shown = false;
};
