#pragma once

#include "programs/ProgramTable.h"
#include "programs/TableLimits.h"

#include <QString>
#include <optional>

// Runs the External Timed Program: the window's step timer calls ExtStepTick and
// sets the interval it returns; the poll tick sends the due step. Only the state
// lives here; the window enables and disables its controls from the results.
class ExtProgramRunner {
public:
    static constexpr int kMaxWaitMs = 60000;
    static constexpr int kProgramTab = 1;

    enum class ClickAction {
        Nothing, // another tab, or no supply connected
        Started, // caption "Stop", table and its controls disabled, step timer at intervalMs
        Stopped, // caption "Run", controls enabled again, step timer off, editor hidden
        Refused, // negative cycle count, or a table "Run" would not accept
    };
    struct ClickResult {
        ClickAction action = ClickAction::Nothing;
        bool runEnabled = false; // "Run" enabled after the table check
        int intervalMs = 0; // the step timer's first interval when started
    };
    // The click of "Run"/"Stop". Runs the table check (colouring etp) first.
    ClickResult RunStopClick(int tab, bool connected, const QString& cycleText, ProgramTable& etp,
        const TableLimits& limits);

    struct TickResult {
        bool runCompleted = false; // the passes are done: step timer off, grid back to row 1
        int intervalMs = 0; // otherwise the next wait, 1 to 60000 ms
    };
    TickResult ExtStepTick(const ProgramTable& etp);

    struct StepCommand {
        int row = 0;
        QString sevcParameter;
        QString voltText; // the front panel's set-points once acknowledged
        QString currText;
        bool outputOn = true;
    };
    // The step the poll must send now, when one is due.
    std::optional<StepCommand> PendingStep(
        const ProgramTable& etp, const TableLimits& limits) const;
    // The step went out, acknowledged or not: the next row is up.
    void StepSent();

    // User stop.
    void Stop();

    bool ExtProgramRunning() const { return m_running; }
    bool ExtStepDue() const { return m_stepDue; }
    int ExtRow() const { return m_row; }
    int ExtLastRow() const { return m_lastRow; }
    int ExtCycleNo() const { return m_cycleNo; }
    int ExtMinuteBlocks() const { return m_minuteBlocks; }
    int ExtRemainMs() const { return m_remainMs; }
    int CycleCount() const { return m_cycles; }

    // The row before the first row whose Minute and Second both read 0, or the
    // last row when none does.
    static int FindLastRow(const ProgramTable& etp);

private:
    bool m_running = false;
    bool m_stepDue = false;
    int m_row = 1;
    int m_lastRow = 0;
    int m_cycleNo = 1;
    int m_cycles = 0;
    int m_minuteBlocks = 0;
    int m_remainMs = 0;
    int m_runNumber = 0;
};
