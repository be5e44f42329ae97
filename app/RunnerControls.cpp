#include "app/RunnerControls.h"

#include "app/FocusSelection.h"
#include "app/StepGrid.h"
#include "core/Captions.h"
#include "programs/ProgramTable.h"
#include "programs/TableRules.h"
#include "session/SupplySession.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

RunnerControls::RunnerControls(SupplySession& session, StepGrid& steps,
    const ProgramTable& internalProgram, const Controls& controls, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_steps(steps)
    , m_internal(internalProgram)
    , m_controls(controls)
{
    for (QLineEdit* box : m_controls.cycles)
        box->installEventFilter(this);
    connect(m_controls.runStop, &QPushButton::clicked, this, &RunnerControls::runStopClick);
    connect(&m_session, &SupplySession::programEnded, this, &RunnerControls::programEnded);
    connect(&m_steps, &StepGrid::runAllowed, this, [this](bool allowed) {
        if (shownTab() == Tab::ExternalProgram)
            m_controls.runStop->setEnabled(allowed);
    });
}

Tab RunnerControls::shownTab() const
{
    return static_cast<Tab>(m_controls.tabs->currentIndex());
}

void RunnerControls::applyLanguage()
{
    m_controls.runStop->setText(Captions::English().run);
}

bool RunnerControls::eventFilter(QObject* watched, QEvent* event)
{
    for (QLineEdit* box : m_controls.cycles) {
        if (watched != box)
            continue;
        const auto normalise = [box] { box->setText(TableRules::NormaliseCycleText(box->text())); };
        if (event->type() == QEvent::FocusIn) {
            FocusSelection::SelectAllOnFocus(box, event);
        } else if (event->type() == QEvent::FocusOut) {
            // Focus that leaves with the window is not the user leaving the box.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                normalise();
        } else if (event->type() == QEvent::KeyRelease) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                normalise();
                box->end(false);
            }
        }
        return false;
    }
    return QObject::eventFilter(watched, event);
}

void RunnerControls::tabShown(Tab tab)
{
    m_controls.cycles[0]->setVisible(tab == Tab::InternalProgram);
    m_controls.cycles[1]->setVisible(tab == Tab::ExternalProgram);
    m_controls.cycleLabel->setVisible(IsProgramTab(tab));
    if (IsProgramTab(tab)) {
        const ProgramTable& table = tab == Tab::InternalProgram ? m_internal : m_steps.table();
        const Captions& c = Captions::English();
        m_controls.runStop->setText(m_running ? c.stop : c.run);
        const bool runnable = table.dataRows() > 0 && TableRules::RowSeconds(table, 1) > 0
            && m_session.state().connected;
        m_controls.runStop->setEnabled(runnable && (tab == Tab::ExternalProgram || !m_running));
    } else if (tab != Tab::Presets) {
        // The shared button acts only on the program and preset tabs.
        m_controls.runStop->setEnabled(false);
    }
    if (tab == Tab::ExternalProgram)
        m_controls.cycles[1]->setEnabled(!m_running);
}

void RunnerControls::runStopClick()
{
    if (shownTab() != Tab::ExternalProgram)
        return;
    ProgramTable& etp = m_steps.table();
    const QString cycleText = m_controls.cycles[1]->text();
    const bool willStart = m_session.state().connected && !m_running
        && TableRules::CycleCount(cycleText) >= 0 && etp.dataRows() > 0
        && TableRules::RowSeconds(etp, 1) > 0;
    if (willStart)
        m_steps.clampToLimits();

    // A stop is reported by the session's programEnded.
    const ExtProgramRunner::ClickResult result = m_session.runStopClick(etp, cycleText);
    switch (result.action) {
    case ExtProgramRunner::ClickAction::Nothing:
        return;
    case ExtProgramRunner::ClickAction::Started:
        m_steps.hideEditorQuietly();
        setRunning(true);
        return;
    case ExtProgramRunner::ClickAction::Stopped:
    case ExtProgramRunner::ClickAction::Refused:
        m_controls.runStop->setEnabled(result.runEnabled);
        return;
    }
}

void RunnerControls::programEnded(bool completed)
{
    if (completed) {
        QTableView* grid = m_steps.view();
        const QModelIndex current = grid->currentIndex();
        const int column = current.isValid() ? current.column() : 1;
        if (m_steps.table().dataRows() > 0)
            grid->setCurrentIndex(m_steps.table().index(0, column));
    }
    setRunning(false);
    if (!completed)
        m_steps.hideEditorQuietly();
}

void RunnerControls::setRunning(bool running)
{
    m_running = running;
    // The button is shared: on the other tabs it keeps their caption until
    // the tab switch sets it.
    if (IsProgramTab(shownTab()))
        m_controls.runStop->setText(running ? Captions::English().stop : Captions::English().run);
    const bool enabled = !running;
    m_steps.view()->setEnabled(enabled);
    m_controls.cycles[1]->setEnabled(enabled);
    for (QWidget* w : m_controls.lockedWhileRunning)
        w->setEnabled(enabled);
    m_steps.setOutputsEnabled(enabled);
    Q_EMIT runningChanged(running);
}
