#pragma once

#include "programs/ExtProgramRunner.h"
#include "programs/TableLimits.h"

class MainFrm;
class ProgramTable;
struct MainFrmUi;
struct WindowState;

// The three program tables on their tabs: the grids with their output check
// boxes and preset selectors, the timed program runner and the preset
// transfers. The window forwards the events; the rules live in programs/.
class ProgramTabs {
public:
    ProgramTabs(MainFrm& window, MainFrmUi& ui, WindowState& state);

    TableLimits limits() const;
    bool extProgramRunning() const { return m_runner.ExtProgramRunning(); }
    bool extStepDue() const { return m_runner.ExtStepDue(); }
    const ExtProgramRunner& runner() const { return m_runner; }

    void InitEtpTable();
    void PlaceOutputChecks();
    void PlacePresetSelectors();
    void CheckEtpTable();
    void CheckIpmTable();
    void ReadPresetMemory();

    // Served by the polling tick.
    void DispatchExtStep();
    void UploadAndRecallPresets();

private:
    void syncOutputChecks();
    Transact transact() const;

    MainFrm& m_window;
    MainFrmUi& ui;
    WindowState& S;
    ExtProgramRunner m_runner;
};
