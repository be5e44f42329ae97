#include "storage/CsvImporter.h"

#include "core/Numbers.h"
#include "storage/CsvFieldReader.h"
#include "storage/StorageMessages.h"

#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr qsizetype kDescriptionStart = 12; // length of "Description:"

QString DescriptionOf(const QString& field)
{
    return field.size() <= kDescriptionStart ? QString() : field.mid(kDescriptionStart);
}

std::optional<double> FieldNumber(const QString& field)
{
    bool ok = false;
    const double value = field.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A problem found on a line: the import gives nothing but this message.
Failure Failed(int line, const QString& problem)
{
    return Failure { QStringLiteral("Line %1: %2").arg(line).arg(problem) };
}

QString EndsEarly(const QString& what)
{
    return QStringLiteral("the file ends in the middle of %1: fields are missing.").arg(what);
}

QString NotANumber(const QString& title, const QString& field, const QString& where)
{
    return QStringLiteral("the %1 field '%2' of %3 is not a number.").arg(title, field, where);
}

const QString kEmptyFile = QStringLiteral("The file is empty.");

// Reads the kind tag, which must be there and this kind's. The rest of the
// tag's line means nothing.
Outcome<void> ReadTag(CsvFieldReader& reader, const QString& tag, StoredKind kind)
{
    if (reader.atEnd())
        return Failure { kEmptyFile };
    if (reader.next() != tag)
        return Failure { StorageMessages::NotKindFile(kind) };
    if (!reader.atLineStart())
        reader.nextLine();
    return {};
}

// The tag and the description line; gives the description.
Outcome<QString> ReadHead(CsvFieldReader& reader, const QString& tag, StoredKind kind)
{
    if (const Outcome<void> tagged = ReadTag(reader, tag, kind); !tagged)
        return Failure { tagged.error() };
    if (reader.atEnd())
        return Failure { QStringLiteral("The file ends after its first line.") };
    return DescriptionOf(reader.nextLine());
}

// The fields after a row's first one; false when the file ends before them.
template <std::size_t N>
bool ReadFields(CsvFieldReader& reader, std::array<QString, N>& fields, std::array<int, N>& lines)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (reader.atEnd())
            return false;
        fields[i] = reader.next();
        lines[i] = reader.line();
    }
    return true;
}

} // namespace

Outcome<CsvImporter::EtpFile> CsvImporter::ImportEtp(const QByteArray& bytes)
{
    CsvFieldReader reader(CsvFieldReader::Decode(bytes));
    Outcome<QString> description
        = ReadHead(reader, QStringLiteral("Type:ETP"), StoredKind::ExternalProgram);
    if (!description)
        return Failure { description.error() };
    EtpFile file;
    file.description = std::move(description).value();
    while (!reader.atEnd()) {
        const QString step = reader.next();
        const int line = reader.line();
        const double number = Numbers::LeadingNumber(step);
        if (number <= 0)
            continue; // titles and anything that is no step number
        const QString where = QStringLiteral("step ") + step;
        if (number > kMaxEtpSteps) {
            return Failed(line,
                QStringLiteral("step %1 is above %2: the table has %2 steps.")
                    .arg(step)
                    .arg(kMaxEtpSteps));
        }
        if (file.steps.size() >= static_cast<std::size_t>(kMaxEtpSteps))
            return Failed(
                line, QStringLiteral("the file holds more than %1 steps.").arg(kMaxEtpSteps));
        std::array<QString, 5> fields;
        std::array<int, 5> lines {};
        if (!ReadFields(reader, fields, lines))
            return Failed(line, EndsEarly(where));
        if (fields[4].isEmpty()) {
            file.steps.push_back({ step, {}, {}, {}, {}, std::nullopt });
            continue;
        }
        const std::optional<double> millivolts = FieldNumber(fields[0]);
        if (!millivolts)
            return Failed(lines[0], NotANumber(QStringLiteral("Voltage(mV)"), fields[0], where));
        const std::optional<double> milliamps = FieldNumber(fields[1]);
        if (!milliamps)
            return Failed(lines[1], NotANumber(QStringLiteral("Current(mA)"), fields[1], where));
        file.steps.push_back({ step, Numbers::FormatNumber(*millivolts / 1000.0, u"00.0"),
            Numbers::FormatNumber(*milliamps / 1000.0, u"0.00"), fields[2], fields[3],
            Numbers::LeadingNumber(fields[4]) == 1.0 });
    }
    return file;
}

Outcome<CsvImporter::IpmFile> CsvImporter::ImportIpm(
    const QByteArray& bytes, QStringView currFormat)
{
    CsvFieldReader reader(CsvFieldReader::Decode(bytes));
    Outcome<QString> description
        = ReadHead(reader, QStringLiteral("Type:IPM"), StoredKind::PresetMemory);
    if (!description)
        return Failure { description.error() };
    IpmFile file;
    file.description = std::move(description).value();
    while (!reader.atEnd()) {
        const QString preset = reader.next();
        const int line = reader.line();
        if (Numbers::LeadingNumber(preset) <= 0)
            continue;
        const QString where = QStringLiteral("preset ") + preset;
        if (file.presets.size() >= static_cast<std::size_t>(kMaxPresets))
            return Failed(
                line, QStringLiteral("the file holds more than %1 presets.").arg(kMaxPresets));
        std::array<QString, 3> fields;
        std::array<int, 3> lines {};
        if (!ReadFields(reader, fields, lines))
            return Failed(line, EndsEarly(where));
        const std::optional<double> millivolts = FieldNumber(fields[1]);
        if (!millivolts)
            return Failed(lines[1], NotANumber(QStringLiteral("Voltage(mV)"), fields[1], where));
        const std::optional<double> milliamps = FieldNumber(fields[2]);
        if (!milliamps)
            return Failed(lines[2], NotANumber(QStringLiteral("Current(mA)"), fields[2], where));
        const QString trueText = QStringLiteral("True");
        if (fields[0] == trueText || fields[1] == trueText || fields[2] == trueText)
            file.selected = static_cast<int>(file.presets.size()) + 1;
        file.presets.push_back({ preset, Numbers::FormatNumber(*millivolts / 1000.0, u"00.0"),
            Numbers::FormatNumber(*milliamps / 1000.0, currFormat) });
    }
    return file;
}

Outcome<CsvImporter::LogFile> CsvImporter::ImportLog(const QByteArray& bytes)
{
    CsvFieldReader reader(CsvFieldReader::Decode(bytes));
    if (const Outcome<void> tagged
        = ReadTag(reader, QStringLiteral("Type:LOG"), StoredKind::DataLog);
        !tagged)
        return Failure { tagged.error() };
    LogFile file;
    file.samples.volts.fill(LogSamples::kEndMark);
    file.samples.amps.fill(LogSamples::kEndMark);
    // A log file may lack the description line: the caller then keeps its own.
    if (reader.peek() == QLatin1Char('D'))
        file.description = DescriptionOf(reader.nextLine());
    while (!reader.atEnd()) {
        const QString field = reader.next();
        const int line = reader.line();
        const QChar first = field.isEmpty() ? QChar() : field.at(0);
        if (first == QLatin1Char('D')) {
            file.description = DescriptionOf(field);
            continue;
        }
        if (first < QLatin1Char('0') || first > QLatin1Char('9'))
            continue; // titles, empty fields and anything else
        const QString where = QStringLiteral("the sample at time ") + field;
        if (file.count >= LogSamples::kCount) {
            return Failed(line,
                QStringLiteral("the file holds more than %1 samples.").arg(LogSamples::kCount));
        }
        if (file.count == 1) {
            // The second sample's age is the interval.
            const double seconds = std::round(Numbers::LeadingNumber(field));
            file.sampling = static_cast<int>(
                std::min(seconds, static_cast<double>(std::numeric_limits<int>::max())));
        }
        std::array<QString, 2> values;
        std::array<int, 2> lines {};
        if (!ReadFields(reader, values, lines))
            return Failed(line, EndsEarly(where));
        const std::optional<double> millivolts = FieldNumber(values[0]);
        if (!millivolts)
            return Failed(lines[0], NotANumber(QStringLiteral("Voltage(mV)"), values[0], where));
        const std::optional<double> milliamps = FieldNumber(values[1]);
        if (!milliamps)
            return Failed(lines[1], NotANumber(QStringLiteral("Current(mA)"), values[1], where));
        const double volts = *millivolts / 1000.0;
        const double amps = *milliamps / 1000.0;
        constexpr double kSingleMax = std::numeric_limits<float>::max();
        if (std::fabs(volts) > kSingleMax || std::fabs(amps) > kSingleMax)
            return Failed(line, QStringLiteral("a value of %1 is out of range.").arg(where));
        const auto k = static_cast<std::size_t>(file.count);
        file.samples.volts[k] = static_cast<float>(volts);
        file.samples.amps[k] = static_cast<float>(amps);
        ++file.count;
    }
    return file;
}
