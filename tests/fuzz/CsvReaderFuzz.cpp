#include "storage/CsvFieldReader.h"
#include "storage/CsvImporter.h"

#include <cstddef>
#include <cstdint>

// Any bytes may arrive as a CSV file: the field stream and the three importers
// must read them without crashing or running past what they were given.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CsvFieldReader reader(CsvFieldReader::Decode(bytes));
    qsizetype fields = 0;
    while (!reader.atEnd()) {
        reader.next();
        ++fields;
    }
    const Outcome<CsvImporter::EtpFile> etp = CsvImporter::ImportEtp(bytes);
    if (etp && etp->steps.size() > static_cast<std::size_t>(CsvImporter::kMaxEtpSteps))
        __builtin_trap();
    const Outcome<CsvImporter::IpmFile> ipm = CsvImporter::ImportIpm(bytes, u"0.00");
    if (ipm && ipm->presets.size() > static_cast<std::size_t>(CsvImporter::kMaxPresets))
        __builtin_trap();
    const Outcome<CsvImporter::LogFile> log = CsvImporter::ImportLog(bytes);
    if (log && (log->count < 0 || log->count > LogSamples::kCount))
        __builtin_trap();
    return 0;
}
