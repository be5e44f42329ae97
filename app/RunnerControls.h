#pragma once

#include "app/Tab.h"

#include <QList>
#include <QObject>
#include <array>

class ProgramTable;
class QEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;
class StepGrid;
class SupplySession;

// The timed program's controls: "Run"/"Stop" on the two program tabs and the
// cycle counts. The session runs the External Timed Program; this class starts
// and stops it and locks the controls that would change it meanwhile.
class RunnerControls : public QObject {
    Q_OBJECT

public:
    struct Controls {
        QTabWidget* tabs;
        // Shared with the preset tab, where it reads "Set".
        QPushButton* runStop;
        // The cycle counts of the Internal and the External Timed Program.
        std::array<QLineEdit*, 2> cycles;
        QLabel* cycleLabel;
        // Locked while a program runs, besides the grid and its cycle count.
        QList<QWidget*> lockedWhileRunning;
    };

    RunnerControls(SupplySession& session, StepGrid& steps, const ProgramTable& internalProgram,
        const Controls& controls, QObject* parent);

    bool running() const { return m_running; }
    // The click of "Run"/"Stop" (on the External Timed Program's tab).
    void runStopClick();
    void tabShown(Tab tab);
    void applyLanguage();

Q_SIGNALS:
    // A program started or ended.
    void runningChanged(bool running);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The program stopped (by "Stop", a new connection or the end of the
    // session) or ran all its cycles.
    void programEnded(bool completed);
    void setRunning(bool running);
    Tab shownTab() const;

    SupplySession& m_session;
    StepGrid& m_steps;
    const ProgramTable& m_internal;
    Controls m_controls;
    bool m_running = false;
};
