#include "programs/PresetTransfer.h"

#include "core/Numbers.h"
#include "programs/TableRules.h"

namespace PresetTransfer {
namespace {

constexpr int kPresets = 3;

// A preset value as the front panel would compare it: its shortest text, read back.
double Shortest(float value)
{
    return Numbers::LeadingNumber(Numbers::ShortestForm(value));
}

} // namespace

std::optional<QString> PromParameter(const ProgramTable& ipm, const TableLimits& limits)
{
    if (ipm.dataRows() < kPresets)
        return std::nullopt;
    QString parameter;
    for (int k = 1; k <= kPresets; ++k) {
        const TableRules::Setting setting = TableRules::ClampToLimits(ipm.preset(k), limits);
        parameter += CommandSet::PresetCode(setting.volts, setting.amps, limits.currScale);
    }
    return parameter;
}

bool FillFromGetm(ProgramTable& ipm, const QString& reply, const QString& setVoltText,
    const QString& setCurrText, const TableLimits& limits)
{
    const auto codes = CommandSet::ParseGetm(reply);
    if (!codes)
        return false;
    const double setVolt = Numbers::LeadingNumber(Numbers::FutComma(setVoltText));
    const double setCurr = Numbers::LeadingNumber(Numbers::FutComma(setCurrText));
    std::vector<PresetRow> presets;
    int matching = 0;
    for (int k = 1; k <= kPresets; ++k) {
        const QString& code = (*codes)[static_cast<std::size_t>(k - 1)];
        const float volts = CommandSet::PresetVoltFromCode(code);
        const float amps = CommandSet::PresetCurrFromCode(code, limits.currScale);
        presets.push_back({ QString::number(k), Numbers::FormatSingle(volts, u"0.0"),
            Numbers::FormatSingle(amps, limits.currFormat) });
        if (setVolt == Shortest(volts) && setCurr == Shortest(amps))
            matching = k;
    }
    ipm.cutToHeader();
    ipm.setPresets(presets);
    if (matching > 0)
        ipm.setSelectedPreset(matching);
    return true;
}

ReadRequest ReadFroPsClick(int tab)
{
    if (tab == kPresetTab)
        return ReadRequest::RaiseReadPending;
    if (tab == 0 || tab == 1)
        return ReadRequest::FocusButton;
    return ReadRequest::Nothing;
}

bool SetRequestsUpload(bool connected, const ProgramTable& ipm)
{
    return connected && ipm.dataRows() > 0;
}

std::optional<QString> RecallParameter(const ProgramTable& ipm)
{
    const int k = ipm.selectedPreset();
    if (k < 1 || k > kPresets || k > ipm.dataRows())
        return std::nullopt;
    return CommandSet::RunmParameter(k - 1);
}

CommandSet::Setpoints RecalledSetpoints(
    const ProgramTable& ipm, int preset, const TableLimits& limits)
{
    const TableRules::Setting setting = TableRules::ClampToLimits(ipm.preset(preset), limits);
    return { Numbers::FormatNumber(setting.volts, u"0.0"),
        Numbers::FormatNumber(setting.amps, limits.currFormat) };
}

} // namespace PresetTransfer
