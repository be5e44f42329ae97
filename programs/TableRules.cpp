#include "programs/TableRules.h"

#include "core/Numbers.h"
#include "programs/CellEditorRules.h"

#include <algorithm>
#include <cmath>

namespace TableRules {
namespace {

constexpr int kVoltage = 1;
constexpr int kCurrent = 2;
constexpr int kMinute = 3;
constexpr int kSecond = 4;
constexpr int kPresetVoltage = 2;
constexpr int kPresetCurrent = 3;
constexpr int kDefaultSteps = 20;

CellColour ValidColour(bool valid)
{
    return valid ? CellColour::Green : CellColour::DarkRed;
}

// Limits are single precision: compare in single precision so that a value
// typed as the limit itself (36.1) is not taken as above it.
bool AtMost(double value, float limit)
{
    return static_cast<float>(value) <= limit;
}

double ClampToLimit(const QString& text, float limit)
{
    return std::clamp(TextNumber(text), 0.0, std::max(0.0, static_cast<double>(limit)));
}

} // namespace

double TextNumber(const QString& text)
{
    return Numbers::LeadingNumber(Numbers::FutComma(text));
}

double CellNumber(const ProgramTable& table, int row, int column)
{
    return TextNumber(table.cell(row, column));
}

double RowSeconds(const ProgramTable& table, int row)
{
    return CellNumber(table, row, kMinute) * 60.0 + CellNumber(table, row, kSecond);
}

bool CheckEtpTable(ProgramTable& etp, const TableLimits& limits, bool connected)
{
    int row = 1;
    for (; row < etp.rows(); ++row) {
        const double minute = CellNumber(etp, row, kMinute);
        const double second = CellNumber(etp, row, kSecond);
        if (minute + second <= 0)
            break;
        const double volts = CellNumber(etp, row, kVoltage);
        const double amps = CellNumber(etp, row, kCurrent);
        etp.setColour(row, kVoltage, ValidColour(WithinLimit(volts, limits.uvl)));
        etp.setColour(row, kCurrent, ValidColour(amps > 0 && AtMost(amps, limits.ucl)));
        etp.setColour(row, kMinute, ValidColour(minute >= 0 && minute <= 99));
        etp.setColour(row, kSecond, ValidColour(second >= 0 && second <= 59));
    }
    for (; row < etp.rows(); ++row) {
        for (int column = kVoltage; column <= kSecond; ++column)
            etp.setColour(row, column, CellColour::Normal);
    }
    return etp.dataRows() > 0 && RowSeconds(etp, 1) > 0 && connected;
}

IpmCheck CheckIpmTable(
    ProgramTable& ipm, const TableLimits& limits, bool extProgramRunning, bool connected)
{
    IpmCheck check;
    check.selectorEnabled.assign(static_cast<std::size_t>(ipm.rows()), false);
    for (int k = 1; k < ipm.rows(); ++k) {
        const double volts = CellNumber(ipm, k, kPresetVoltage);
        const double amps = CellNumber(ipm, k, kPresetCurrent);
        const bool voltOk = volts >= 1 && AtMost(volts, limits.uvl);
        const bool currOk = amps > 0 && AtMost(amps, limits.ucl);
        ipm.setColour(k, kPresetVoltage, ValidColour(voltOk));
        ipm.setColour(k, kPresetCurrent, ValidColour(currOk));
        check.selectorEnabled[static_cast<std::size_t>(k)] = voltOk && currOk;
        if (ipm.selectedPreset() == k)
            check.setEnabled = voltOk && currOk && !extProgramRunning && connected;
    }
    return check;
}

std::array<bool, 4> EnablePresetSelectors(const ProgramTable& ipm)
{
    std::array<bool, 4> enabled {};
    for (int k = 1; k <= 3; ++k)
        enabled[static_cast<std::size_t>(k)]
            = k < ipm.rows() && CellNumber(ipm, k, kPresetCurrent) > 0;
    return enabled;
}

bool SelectPreset(ProgramTable& ipm, int preset, float uvl, bool extProgramRunning, bool connected)
{
    if (preset < 1 || preset >= ipm.rows())
        return false;
    ipm.setSelectedPreset(preset);
    return AtMost(CellNumber(ipm, preset, kPresetVoltage), uvl) && !extProgramRunning && connected;
}

bool GridClickSelectsPreset(
    const ProgramTable& ipm, int column, bool selectorEnabled, const Captions& captions)
{
    return selectorEnabled && ipm.headerText(column).trimmed() == captions.preset;
}

bool WithinLimit(double value, float limit)
{
    return value >= 0 && AtMost(value, limit);
}

Setting ClampToLimits(const ProgramStep& step, const TableLimits& limits)
{
    return { ClampToLimit(step.voltage, limits.uvl), ClampToLimit(step.current, limits.ucl) };
}

Setting ClampToLimits(const PresetRow& preset, const TableLimits& limits)
{
    return { ClampToLimit(preset.voltage, limits.uvl), ClampToLimit(preset.current, limits.ucl) };
}

void ClampStepsToLimits(ProgramTable& etp, int lastRow, const TableLimits& limits)
{
    for (int row = 1; row <= lastRow; ++row) {
        for (int column = kVoltage; column <= kSecond; ++column) {
            const double x = CellNumber(etp, row, column);
            const bool within = column == kVoltage ? WithinLimit(x, limits.uvl)
                : column == kCurrent               ? WithinLimit(x, limits.ucl)
                                                   : x >= 0 && x <= (column == kMinute ? 99 : 59);
            if (within)
                continue;
            const CellEditorRules::EtpFocusLoss clamp = CellEditorRules::OnEtpEditorFocusLost(
                QString(), column, etp.cell(row, column), limits);
            if (clamp.cellText)
                etp.setCell(row, column, *clamp.cellText);
        }
    }
}

bool ClampPresetsToLimits(ProgramTable& ipm, const TableLimits& limits)
{
    bool changed = false;
    for (int k = 1; k <= 3 && k <= ipm.dataRows(); ++k) {
        if (static_cast<float>(CellNumber(ipm, k, kPresetVoltage)) > limits.uvl) {
            ipm.setCell(k, kPresetVoltage, Numbers::FormatSingle(limits.uvl, u"00.0"));
            changed = true;
        }
        if (static_cast<float>(CellNumber(ipm, k, kPresetCurrent)) > limits.ucl) {
            ipm.setCell(k, kPresetCurrent, Numbers::FormatSingle(limits.ucl, limits.currFormat));
            changed = true;
        }
    }
    return changed;
}

void InitEtpTable(ProgramTable& etp, const QString& currFormat)
{
    std::vector<ProgramStep> steps;
    for (int k = 1; k <= kDefaultSteps; ++k) {
        steps.push_back({ QString::number(k), QStringLiteral("0.0"), currFormat,
            QStringLiteral("00"), QStringLiteral("00"), true });
    }
    etp.cutToHeader();
    etp.setSteps(steps);
}

void ClearTable(ProgramTable& table, const QString& currFormat)
{
    switch (table.kind()) {
    case TableKind::Itp:
        return;
    case TableKind::Etp:
        for (int row = 1; row < table.rows(); ++row) {
            table.setCell(row, kVoltage, QStringLiteral("00.0"));
            table.setCell(row, kCurrent, currFormat);
            table.setCell(row, kMinute, QStringLiteral("00"));
            table.setCell(row, kSecond, QStringLiteral("00"));
            table.setOutputOn(row, true);
        }
        return;
    case TableKind::Ipm:
        for (int row = 1; row < table.rows(); ++row) {
            table.setCell(row, kPresetVoltage, QStringLiteral("00.0"));
            table.setCell(row, kPresetCurrent, currFormat);
        }
        return;
    }
}

QString NormaliseCycleText(const QString& text)
{
    const double n = Numbers::LeadingNumber(text);
    if (n > 999)
        return QStringLiteral("999");
    return Numbers::FormatNumber(n, u"0");
}

int CycleCount(const QString& text)
{
    const double n = std::round(Numbers::LeadingNumber(text));
    if (n > 999)
        return 999;
    if (n < -999)
        return -999;
    return static_cast<int>(n);
}

} // namespace TableRules
