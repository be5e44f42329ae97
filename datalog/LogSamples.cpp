#include "datalog/LogSamples.h"

#include "core/Numbers.h"

#include <algorithm>
#include <cmath>

void LogSamples::shiftIn(float newVolts, float newAmps)
{
    std::copy_backward(volts.begin(), volts.end() - 1, volts.end());
    std::copy_backward(amps.begin(), amps.end() - 1, amps.end());
    volts[0] = newVolts;
    amps[0] = newAmps;
}

void LogSamples::record(const QString& voltReading, const QString& currReading)
{
    shiftIn(ReadingValue(voltReading), ReadingValue(currReading));
}

float LogSamples::ReadingValue(const QString& reading)
{
    const QString trimmed = reading.trimmed();
    const bool hasDigit
        = std::any_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c.isDigit(); });
    if (trimmed.isEmpty() || !hasDigit || !(trimmed[0].isDigit() || trimmed[0] == u'.'))
        return kNoReading;
    const auto value = static_cast<float>(Numbers::LeadingNumber(trimmed));
    return std::isfinite(value) && value >= 0.0f ? value : kNoReading;
}
