#pragma once

#include "device/CommandSet.h"
#include "programs/ProgramTable.h"
#include "programs/TableLimits.h"

#include <QString>
#include <functional>
#include <optional>


// Moving the three presets between the preset table and the supply. The poll
// serves reading and "Set"; "Save To PS" talks to the supply in the click.
namespace PresetTransfer {

constexpr int kPresetTab = 2;

// The eighteen-digit "PROM" parameter from rows 1 to 3; nothing unless all three
// rows exist (a shorter line would overwrite the supply's presets with garbage).
// The values keep to the limit rule (TableRules::ClampToLimits).
std::optional<QString> PromParameter(const ProgramTable& ipm, const TableLimits& limits);

// Fills the table from a "GETM" reply: rows "", "k", volts "0.0", amperes in the
// current format, and selects the last preset equal to the front panel's
// set-points. Returns false, leaving the table untouched, when the reply is not
// acknowledged.
bool FillFromGetm(ProgramTable& ipm, const QString& reply, const QString& setVoltText,
    const QString& setCurrText, const TableLimits& limits);

enum class ReadRequest {
    RaiseReadPending, // set the read flag, hide the preset editor
    FocusButton, // tabs 0 and 1: the button only takes the focus
    Nothing,
};
// "Read Fro PS" by tab.
ReadRequest ReadFroPsClick(int tab);

// "Set" on the preset tab: raise the upload-and-recall request?
bool SetRequestsUpload(bool connected, const ProgramTable& ipm);

// The "RUNM" parameter for the selected preset, when one with a row is selected.
std::optional<QString> RecallParameter(const ProgramTable& ipm);
// The front panel's set-point texts after preset k was recalled.
CommandSet::Setpoints RecalledSetpoints(
    const ProgramTable& ipm, int preset, const TableLimits& limits);

} // namespace PresetTransfer
