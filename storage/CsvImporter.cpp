#include "storage/CsvImporter.h"

#include "device/Numbers.h"
#include "storage/CsvFieldReader.h"
#include "storage/StorageMessages.h"

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

QString EndsEarly(const QString& what)
{
    return QStringLiteral("The file ends in the middle of %1: fields are missing.").arg(what);
}

QString NotANumber(const QString& title, const QString& field, const QString& where)
{
    return QStringLiteral("The %1 field '%2' of %3 is not a number.").arg(title, field, where);
}

// Reads the kind tag and the description line; false when the import stops.
const QString kEmptyFile = QStringLiteral("The file is empty.");

template <typename Import>
bool ReadHead(CsvFieldReader& reader, const QString& tag, StoredKind kind, Import& import,
    QString& description)
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
    if (reader.atEnd()) {
        import.error = QStringLiteral("The file ends after its first line.");
        return false;
    }
    description = DescriptionOf(reader.next());
    return true;
}

} // namespace

CsvImporter::EtpImport CsvImporter::ImportEtp(const QByteArray& bytes)
{
    EtpImport import;
    CsvFieldReader reader(CsvFieldReader::Decode(bytes));
    if (!ReadHead(reader, QStringLiteral("Type:ETP"), StoredKind::ExternalProgram, import,
            import.description))
        return import;
    while (!reader.atEnd()) {
        const QString step = reader.next();
        const double number = Numbers::LeadingNumber(step);
        if (number <= 0)
            continue; // titles and anything that is no step number
        const QString where = QStringLiteral("step ") + step;
        if (number > kMaxEtpSteps) {
            import.error = QStringLiteral("Step %1 is above %2: the table has %2 steps.")
                               .arg(step)
                               .arg(kMaxEtpSteps);
            return import;
        }
        if (import.rows.size() >= static_cast<std::size_t>(kMaxEtpSteps)) {
            import.error = QStringLiteral("The file holds more than %1 steps.").arg(kMaxEtpSteps);
            return import;
        }
        QString fields[5];
        for (QString& field : fields) {
            if (reader.atEnd()) {
                import.error = EndsEarly(where);
                return import;
            }
            field = reader.next();
        }
        EtpRow row;
        row.step = step;
        if (fields[4].isEmpty()) {
            row.stepOnly = true;
            import.rows.push_back(row);
            continue;
        }
        const std::optional<double> millivolts = FieldNumber(fields[0]);
        if (!millivolts) {
            import.error = NotANumber(QStringLiteral("Voltage(mV)"), fields[0], where);
            return import;
        }
        const std::optional<double> milliamps = FieldNumber(fields[1]);
        if (!milliamps) {
            import.error = NotANumber(QStringLiteral("Current(mA)"), fields[1], where);
            return import;
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
    if (!ReadHead(reader, QStringLiteral("Type:IPM"), StoredKind::PresetMemory, import,
            import.description))
        return import;
    while (!reader.atEnd()) {
        const QString preset = reader.next();
        if (Numbers::LeadingNumber(preset) <= 0)
            continue;
        const QString where = QStringLiteral("preset ") + preset;
        if (import.rows.size() >= static_cast<std::size_t>(kMaxPresets)) {
            import.error = QStringLiteral("The file holds more than %1 presets.").arg(kMaxPresets);
            return import;
        }
        QString fields[3];
        for (QString& field : fields) {
            if (reader.atEnd()) {
                import.error = EndsEarly(where);
                return import;
            }
            field = reader.next();
        }
        const std::optional<double> millivolts = FieldNumber(fields[1]);
        if (!millivolts) {
            import.error = NotANumber(QStringLiteral("Voltage(mV)"), fields[1], where);
            return import;
        }
        const std::optional<double> milliamps = FieldNumber(fields[2]);
        if (!milliamps) {
            import.error = NotANumber(QStringLiteral("Current(mA)"), fields[2], where);
            return import;
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
    if (reader.atEnd()) {
        import.error = kEmptyFile;
        return import;
    }
    if (reader.next() != QLatin1String("Type:LOG")) {
        import.wrongKind = true;
        import.error = StorageMessages::NotKindFile(StoredKind::DataLog);
        return import;
    }
    while (!reader.atEnd()) {
        const QString field = reader.next();
        const QChar first = field.isEmpty() ? QChar() : field.at(0);
        if (first == QLatin1Char('D')) {
            import.description = DescriptionOf(field);
            continue;
        }
        if (first < QLatin1Char('0') || first > QLatin1Char('9'))
            continue; // titles, empty fields and anything else
        const QString where = QStringLiteral("the sample at time ") + field;
        if (import.count >= LogSamples::kCount) {
            import.error
                = QStringLiteral("The file holds more than %1 samples.").arg(LogSamples::kCount);
            return import;
        }
        if (import.count == 1) {
            // The second sample's age is the interval.
            const double seconds = std::round(Numbers::LeadingNumber(field));
            import.sampling = static_cast<int>(
                std::min(seconds, static_cast<double>(std::numeric_limits<int>::max())));
        }
        QString values[2];
        for (QString& value : values) {
            if (reader.atEnd()) {
                import.error = EndsEarly(where);
                return import;
            }
            value = reader.next();
        }
        const std::optional<double> millivolts = FieldNumber(values[0]);
        if (!millivolts) {
            import.error = NotANumber(QStringLiteral("Voltage(mV)"), values[0], where);
            return import;
        }
        const std::optional<double> milliamps = FieldNumber(values[1]);
        if (!milliamps) {
            import.error = NotANumber(QStringLiteral("Current(mA)"), values[1], where);
            return import;
        }
        const double volts = *millivolts / 1000.0;
        const double amps = *milliamps / 1000.0;
        constexpr double kSingleMax = std::numeric_limits<float>::max();
        if (std::fabs(volts) > kSingleMax || std::fabs(amps) > kSingleMax) {
            import.error = QStringLiteral("A value of %1 is out of range.").arg(where);
            return import;
        }
        const auto k = static_cast<std::size_t>(import.count);
        import.samples.volts[k] = static_cast<float>(volts);
        import.samples.amps[k] = static_cast<float>(amps);
        ++import.count;
    }
    return import;
}
