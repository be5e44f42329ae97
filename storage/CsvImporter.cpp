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
template <typename Import> Import Failed(int line, const QString& problem)
{
    Import failed;
    failed.error = QStringLiteral("Line %1: %2").arg(line).arg(problem);
    return failed;
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

// Reads the kind tag; false (with the message in import) when it is missing or
// another kind's. The rest of the tag's line means nothing.
template <typename Import>
bool ReadTag(CsvFieldReader& reader, const QString& tag, StoredKind kind, Import& import)
{
    if (reader.atEnd()) {
        import.error = kEmptyFile;
        return false;
    }
    if (reader.next() != tag) {
        import.wrongKind = true;
        import.error = StorageMessages::NotKindFile(kind);
        return false;
    }
    if (!reader.atLineStart())
        reader.nextLine();
    return true;
}

// The tag and the description line; false when the import stops.
template <typename Import>
bool ReadHead(CsvFieldReader& reader, const QString& tag, StoredKind kind, Import& import)
{
    if (!ReadTag(reader, tag, kind, import))
        return false;
    if (reader.atEnd()) {
        import.error = QStringLiteral("The file ends after its first line.");
        return false;
    }
    import.description = DescriptionOf(reader.nextLine());
    return true;
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

CsvImporter::EtpImport CsvImporter::ImportEtp(const QByteArray& bytes)
{
    EtpImport import;
    CsvFieldReader reader(CsvFieldReader::Decode(bytes));
    if (!ReadHead(reader, QStringLiteral("Type:ETP"), StoredKind::ExternalProgram, import))
        return import;
    while (!reader.atEnd()) {
        const QString step = reader.next();
        const int line = reader.line();
        const double number = Numbers::LeadingNumber(step);
        if (number <= 0)
            continue; // titles and anything that is no step number
        const QString where = QStringLiteral("step ") + step;
        if (number > kMaxEtpSteps) {
            return Failed<EtpImport>(line,
                QStringLiteral("step %1 is above %2: the table has %2 steps.")
                    .arg(step)
                    .arg(kMaxEtpSteps));
        }
        if (import.rows.size() >= static_cast<std::size_t>(kMaxEtpSteps)) {
            return Failed<EtpImport>(
                line, QStringLiteral("the file holds more than %1 steps.").arg(kMaxEtpSteps));
        }
        std::array<QString, 5> fields;
        std::array<int, 5> lines {};
        if (!ReadFields(reader, fields, lines))
            return Failed<EtpImport>(line, EndsEarly(where));
        EtpRow row;
        row.step = step;
        if (fields[4].isEmpty()) {
            row.stepOnly = true;
            import.rows.push_back(row);
            continue;
        }
        const std::optional<double> millivolts = FieldNumber(fields[0]);
        if (!millivolts) {
            return Failed<EtpImport>(
                lines[0], NotANumber(QStringLiteral("Voltage(mV)"), fields[0], where));
        }
        const std::optional<double> milliamps = FieldNumber(fields[1]);
        if (!milliamps) {
            return Failed<EtpImport>(
                lines[1], NotANumber(QStringLiteral("Current(mA)"), fields[1], where));
        }
        row.voltage = Numbers::FormatNumber(*millivolts / 1000.0, u"00.0");
        row.current = Numbers::FormatNumber(*milliamps / 1000.0, u"0.00");
        row.minute = fields[2];
        row.second = fields[3];
        row.output = Numbers::LeadingNumber(fields[4]) == 1.0;
        import.rows.push_back(row);
    }
    return import;
}

CsvImporter::IpmImport CsvImporter::ImportIpm(const QByteArray& bytes, QStringView currFormat)
{
    IpmImport import;
    CsvFieldReader reader(CsvFieldReader::Decode(bytes));
    if (!ReadHead(reader, QStringLiteral("Type:IPM"), StoredKind::PresetMemory, import))
        return import;
    while (!reader.atEnd()) {
        const QString preset = reader.next();
        const int line = reader.line();
        if (Numbers::LeadingNumber(preset) <= 0)
            continue;
        const QString where = QStringLiteral("preset ") + preset;
        if (import.rows.size() >= static_cast<std::size_t>(kMaxPresets)) {
            return Failed<IpmImport>(
                line, QStringLiteral("the file holds more than %1 presets.").arg(kMaxPresets));
        }
        std::array<QString, 3> fields;
        std::array<int, 3> lines {};
        if (!ReadFields(reader, fields, lines))
            return Failed<IpmImport>(line, EndsEarly(where));
        const std::optional<double> millivolts = FieldNumber(fields[1]);
        if (!millivolts) {
            return Failed<IpmImport>(
                lines[1], NotANumber(QStringLiteral("Voltage(mV)"), fields[1], where));
        }
        const std::optional<double> milliamps = FieldNumber(fields[2]);
        if (!milliamps) {
            return Failed<IpmImport>(
                lines[2], NotANumber(QStringLiteral("Current(mA)"), fields[2], where));
        }
        const QString trueText = QStringLiteral("True");
        if (fields[0] == trueText || fields[1] == trueText || fields[2] == trueText)
            import.selected = static_cast<int>(import.rows.size()) + 1;
        import.rows.push_back({ preset, Numbers::FormatNumber(*millivolts / 1000.0, u"00.0"),
            Numbers::FormatNumber(*milliamps / 1000.0, currFormat) });
    }
    return import;
}

CsvImporter::LogImport CsvImporter::ImportLog(const QByteArray& bytes)
{
    LogImport import;
    import.samples.volts.fill(LogSamples::kEndMark);
    import.samples.amps.fill(LogSamples::kEndMark);
    CsvFieldReader reader(CsvFieldReader::Decode(bytes));
    if (!ReadTag(reader, QStringLiteral("Type:LOG"), StoredKind::DataLog, import))
        return import;
    // A log file may lack the description line: the caller then keeps its own.
    if (reader.peek() == QLatin1Char('D'))
        import.description = DescriptionOf(reader.nextLine());
    while (!reader.atEnd()) {
        const QString field = reader.next();
        const int line = reader.line();
        const QChar first = field.isEmpty() ? QChar() : field.at(0);
        if (first == QLatin1Char('D')) {
            import.description = DescriptionOf(field);
            continue;
        }
        if (first < QLatin1Char('0') || first > QLatin1Char('9'))
            continue; // titles, empty fields and anything else
        const QString where = QStringLiteral("the sample at time ") + field;
        if (import.count >= LogSamples::kCount) {
            return Failed<LogImport>(line,
                QStringLiteral("the file holds more than %1 samples.").arg(LogSamples::kCount));
        }
        if (import.count == 1) {
            // The second sample's age is the interval.
            const double seconds = std::round(Numbers::LeadingNumber(field));
            import.sampling = static_cast<int>(
                std::min(seconds, static_cast<double>(std::numeric_limits<int>::max())));
        }
        std::array<QString, 2> values;
        std::array<int, 2> lines {};
        if (!ReadFields(reader, values, lines))
            return Failed<LogImport>(line, EndsEarly(where));
        const std::optional<double> millivolts = FieldNumber(values[0]);
        if (!millivolts) {
            return Failed<LogImport>(
                lines[0], NotANumber(QStringLiteral("Voltage(mV)"), values[0], where));
        }
        const std::optional<double> milliamps = FieldNumber(values[1]);
        if (!milliamps) {
            return Failed<LogImport>(
                lines[1], NotANumber(QStringLiteral("Current(mA)"), values[1], where));
        }
        const double volts = *millivolts / 1000.0;
        const double amps = *milliamps / 1000.0;
        constexpr double kSingleMax = std::numeric_limits<float>::max();
        if (std::fabs(volts) > kSingleMax || std::fabs(amps) > kSingleMax)
            return Failed<LogImport>(
                line, QStringLiteral("a value of %1 is out of range.").arg(where));
        const auto k = static_cast<std::size_t>(import.count);
        import.samples.volts[k] = static_cast<float>(volts);
        import.samples.amps[k] = static_cast<float>(amps);
        ++import.count;
    }
    return import;
}
