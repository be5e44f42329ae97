#pragma once

#include "programs/ProgramTable.h"
#include "programs/TableLimits.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

// The checks and small controls of the program tables: colouring valid and
// invalid cells, what enables "Run" and "Set", the default steps, "Clear Table",
// the cycle box and the preset selectors.
namespace TableRules {

// The table-name box text that means "no name".
inline const QString kUntitled = QStringLiteral("(Untitle)");

// A cell's text read as a number; voltage and current texts may carry a decimal comma.
double TextNumber(const QString& text);
double CellNumber(const ProgramTable& table, int row, int column);
// Minute × 60 + Second of a timed-program row, in seconds.
double RowSeconds(const ProgramTable& table, int row);

// Colours the External Timed Program cells up to the first row without a
// duration; that row and the rest get the normal colour. Returns whether "Run"
// is enabled: rows exist, row 1 has a duration, a supply is connected.
bool CheckEtpTable(ProgramTable& etp, const TableLimits& limits, bool connected);

struct IpmCheck {
    // selectorEnabled[k] for preset row k (index 0 unused).
    std::vector<bool> selectorEnabled;
    // "Set" enabled, decided only when the selected preset has a row.
    std::optional<bool> setEnabled;
};
// Colours the preset cells (voltage valid from 1, current above 0) and decides
// each selector and the "Set" button.
IpmCheck CheckIpmTable(
    ProgramTable& ipm, const TableLimits& limits, bool extProgramRunning, bool connected);

// Selector k (1 to 3) enabled when preset k's current is above 0; missing rows false.
std::array<bool, 4> EnablePresetSelectors(const ProgramTable& ipm);

// A click on selector k selects it; returns whether "Set" is then enabled.
// Nothing happens for a preset without a row (returns false).
bool SelectPreset(ProgramTable& ipm, int preset, float uvl, bool extProgramRunning, bool connected);

// A click on the preset grid selects the row's preset, rather than opening the
// editor, when it lands in the "Preset" column and that row's selector is enabled.
bool GridClickSelectsPreset(const ProgramTable& ipm, int column, bool selectorEnabled,
    const Captions& captions = Captions::English());

// The limit rule, the same for every step and preset that goes to the supply.
// A value is within its limit when it is not below 0 and, compared in single
// precision as the supply reports its limits, not above it: a value typed as
// the limit itself (36.1) is within it.
bool WithinLimit(double value, float limit);

// The volts and amperes a step or a preset sends: a negative value goes out as
// 0, as the supply's fields carry no sign; one above the limit in force as that
// limit, which may have been lowered since the value was typed.
struct Setting {
    double volts = 0.0;
    double amps = 0.0;
};
Setting ClampToLimits(const ProgramStep& step, const TableLimits& limits);
Setting ClampToLimits(const PresetRow& preset, const TableLimits& limits);

// Before a run the grid is made to show what will be sent: in steps 1 to
// lastRow a value outside its range gets the text the cell editor gives it (0
// for a negative value, the limit, 99 minutes, 59 seconds).
void ClampStepsToLimits(ProgramTable& etp, int lastRow, const TableLimits& limits);
// Before an upload presets above the limits get the limit's text (a negative
// one keeps its text and goes out as 0). Returns whether a cell changed.
bool ClampPresetsToLimits(ProgramTable& ipm, const TableLimits& limits);

// The 20 default steps: "k", "0.0", the current format, "00", "00"; all outputs on.
void InitEtpTable(ProgramTable& etp, const QString& currFormat);

// "Clear Table": timed program rows to "00.0", the current format, "00", "00"
// with the output on; preset rows to "00.0" and the current format. The row count
// and step numbers stay; the Internal Timed Program is left alone. The caller
// runs the table's check and resets the tab's name box to kUntitled and its
// description to "".
void ClearTable(ProgramTable& table, const QString& currFormat);

// The cycle box on leaving it: the number as a whole number ("12.7" -> "13"),
// above 999 "999". A negative count keeps its sign so that "Run" refuses it.
QString NormaliseCycleText(const QString& text);
// The number of passes the cycle box asks for: 0 means without end.
int CycleCount(const QString& text);

} // namespace TableRules
