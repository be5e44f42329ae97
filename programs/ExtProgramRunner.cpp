#include "programs/ExtProgramRunner.h"

#include "core/Numbers.h"
#include "device/CommandSet.h"
#include "programs/TableRules.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kMinute = 3;
constexpr int kSecond = 4;

int DurationMs(const ProgramTable& etp, int row)
{
    const double ms = std::round(TableRules::CellNumber(etp, row, kMinute) * 60000.0
        + TableRules::CellNumber(etp, row, kSecond) * 1000.0);
    return static_cast<int>(
        std::clamp(ms, 0.0, static_cast<double>(std::numeric_limits<int>::max())));
}

} // namespace

int ExtProgramRunner::FindLastRow(const ProgramTable& etp)
{
    for (int row = 1; row < etp.rows(); ++row) {
        if (TableRules::CellNumber(etp, row, kMinute) == 0
            && TableRules::CellNumber(etp, row, kSecond) == 0)
            return row - 1;
    }
    return etp.dataRows();
}

ExtProgramRunner::ClickResult ExtProgramRunner::RunStopClick(
    int tab, bool connected, const QString& cycleText, ProgramTable& etp, const TableLimits& limits)
{
    ClickResult result;
    if (tab != kProgramTab || !connected)
        return result;
    result.runEnabled = TableRules::CheckEtpTable(etp, limits, connected);
    if (m_running) {
        Stop();
        result.action = ClickAction::Stopped;
        return result;
    }
    const int cycles = TableRules::CycleCount(cycleText);
    // A program whose first step has no duration would tick without pause.
    if (cycles < 0 || !result.runEnabled) {
        result.action = ClickAction::Refused;
        return result;
    }
    m_running = true;
    ++m_runNumber;
    m_stepDue = false;
    m_lastRow = FindLastRow(etp);
    m_cycles = cycles;
    m_row = 1;
    m_cycleNo = 1;
    // A stop in the middle of a long step must not make the new run wait out
    // the old step's remainder before step 1.
    m_minuteBlocks = 0;
    m_remainMs = 0;
    result.action = ClickAction::Started;
    result.intervalMs = 1;
    return result;
}

ExtProgramRunner::TickResult ExtProgramRunner::ExtStepTick(const ProgramTable& etp)
{
    TickResult result;
    if (!m_running) {
        result.runCompleted = true;
        return result;
    }
    // A pass ends only when a new step would begin: the last step's remaining
    // minute blocks are waited out first, so a long last step keeps its full time.
    if (m_minuteBlocks == 0 && m_row > m_lastRow) {
        if (m_cycles != 0) {
            ++m_cycleNo;
            if (m_cycles < m_cycleNo) {
                m_running = false;
                m_stepDue = false;
                m_minuteBlocks = 0;
                result.runCompleted = true;
                return result;
            }
        }
        m_row = 1;
    }
    if (m_minuteBlocks == 0)
        m_remainMs = DurationMs(etp, m_row);
    m_stepDue = m_minuteBlocks == 0;
    if (m_remainMs <= kMaxWaitMs) {
        // A timer set to 0 ms would never pace; the shortest wait is 1 ms.
        result.intervalMs = std::max(1, m_remainMs);
        if (m_minuteBlocks >= 1)
            m_minuteBlocks = 0;
    } else {
        m_remainMs -= kMaxWaitMs;
        result.intervalMs = kMaxWaitMs;
        ++m_minuteBlocks;
    }
    return result;
}

std::optional<ExtProgramRunner::StepCommand> ExtProgramRunner::PendingStep(
    const ProgramTable& etp, const TableLimits& limits) const
{
    if (!m_running || !m_stepDue)
        return std::nullopt;
    // The limits in force now hold: they may have been lowered during the run.
    const ProgramStep row = etp.step(m_row);
    const TableRules::Setting setting = TableRules::ClampToLimits(row, limits);
    StepCommand step;
    step.row = m_row;
    step.outputOn = row.output();
    step.sevcParameter
        = CommandSet::SevcParameter(setting.volts, setting.amps, limits.currScale, step.outputOn);
    step.voltText = Numbers::FormatNumber(setting.volts, u"0.0");
    step.currText = Numbers::FormatNumber(setting.amps, limits.currFormat);
    return step;
}

void ExtProgramRunner::StepSent()
{
    m_stepDue = false;
    ++m_row;
}

void ExtProgramRunner::Stop()
{
    m_running = false;
    m_stepDue = false;
}
