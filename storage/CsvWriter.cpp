#include "storage/CsvWriter.h"

#include "core/Captions.h"
#include "core/Numbers.h"
#include "storage/WesternCodePage.h"

#include <QList>

#include <array>
#include <cmath>
#include <optional>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

// The description stays on its own line: a line break in it would otherwise
// start rows of its own when the file is read back.
QString DescriptionLine(const QString& description)
{
    QString text = description;
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("Description:") + text + kLineEnd;
}

std::optional<double> GridNumber(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool BreaksLayout(const QString& text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r')
            || c == QLatin1Char('\n'))
            return true;
    }
    return false;
}

QString NotANumber(const QString& what, const QString& text, int row)
{
    return QStringLiteral("The %1 '%2' of row %3 is not a number; nothing was written.")
        .arg(what, text)
        .arg(row);
}

QString BadText(const QString& what, const QString& text, int row)
{
    return QStringLiteral(
        "The %1 '%2' of row %3 holds a comma, quote or line break; nothing was written.")
        .arg(what, text)
        .arg(row);
}

// A grid row's voltage and current in thousandths, or the message naming the
// first of them that is not a number.
struct GridSetting {
    QString volts;
    QString amps;
};

Outcome<GridSetting> ReadGridSetting(const QString& voltage, const QString& current, int row)
{
    const Captions& captions = Captions::English();
    const std::optional<double> volts = GridNumber(voltage);
    if (!volts)
        return Failure { NotANumber(captions.voltage, voltage, row) };
    const std::optional<double> amps = GridNumber(current);
    if (!amps)
        return Failure { NotANumber(captions.current, current, row) };
    return GridSetting { CsvWriter::GridThousandths(*volts), CsvWriter::GridThousandths(*amps) };
}

} // namespace

QString CsvWriter::GridThousandths(double value)
{
    return Numbers::ShortestForm(value * 1000.0, 15);
}

QString CsvWriter::LogThousandths(float value)
{
    return Numbers::ShortestForm(value * 1000.0f);
}

Outcome<QByteArray> CsvWriter::EtpFile(
    const QString& description, const std::vector<ProgramStep>& steps)
{
    const Captions& captions = Captions::English();
    QString text = QStringLiteral("Type:ETP") + kLineEnd + DescriptionLine(description)
        + QStringLiteral("Preset,Voltage(mV),Current(mA),Minute(M),Second(S),Output") + kLineEnd;
    for (std::size_t r = 0; r < steps.size(); ++r) {
        const ProgramStep& step = steps[r];
        const int number = static_cast<int>(r) + 1;
        const std::array<std::pair<const QString&, const QString&>, 5> texts { {
            { captions.step, step.step },
            { captions.voltage, step.voltage },
            { captions.current, step.current },
            { captions.minute, step.minute },
            { captions.second, step.second },
        } };
        for (const auto& [what, cell] : texts) {
            if (BreaksLayout(cell))
                return Failure { BadText(what, cell, number) };
        }
        const Outcome<GridSetting> setting = ReadGridSetting(step.voltage, step.current, number);
        if (!setting)
            return Failure { setting.error() };
        text += step.step + QLatin1Char(',') + setting->volts + QLatin1Char(',') + setting->amps
            + QLatin1Char(',') + step.minute + QLatin1Char(',') + step.second + QLatin1Char(',')
            + (step.output() ? u'1' : u'0') + kLineEnd;
    }
    return WesternCodePage::Encode(text);
}

Outcome<QByteArray> CsvWriter::IpmFile(
    const QString& description, const std::vector<PresetRow>& presets, int selected)
{
    const Captions& captions = Captions::English();
    QString text = QStringLiteral("Type:IPM") + kLineEnd + DescriptionLine(description)
        + QStringLiteral("Preset,Select,Voltage(mV),Current(mA)") + kLineEnd;
    for (std::size_t r = 0; r < presets.size(); ++r) {
        const PresetRow& preset = presets[r];
        const int number = static_cast<int>(r) + 1;
        if (BreaksLayout(preset.preset))
            return Failure { BadText(captions.preset, preset.preset, number) };
        const Outcome<GridSetting> setting
            = ReadGridSetting(preset.voltage, preset.current, number);
        if (!setting)
            return Failure { setting.error() };
        text += preset.preset + QLatin1Char(',')
            + (number == selected ? QStringLiteral("True") : QStringLiteral("False"))
            + QLatin1Char(',') + setting->volts + QLatin1Char(',') + setting->amps + kLineEnd;
    }
    return WesternCodePage::Encode(text);
}

QByteArray CsvWriter::LogFile(
    const QString& description, const LogSamples& samples, qint64 intervalSeconds)
{
    QString text = QStringLiteral("Type:LOG") + kLineEnd + DescriptionLine(description)
        + QStringLiteral("Time(S),Voltage(mV),Current(mA)") + kLineEnd;
    for (std::size_t i = 0; i < LogSamples::kCount; ++i) {
        if (LogSamples::isEndMark(samples.volts[i]))
            break;
        text += QString::number(static_cast<qint64>(i) * intervalSeconds) + QLatin1Char(',')
            + LogThousandths(samples.volts[i]) + QLatin1Char(',') + LogThousandths(samples.amps[i])
            + kLineEnd;
    }
    return WesternCodePage::Encode(text);
}
