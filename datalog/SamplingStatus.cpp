#include "datalog/SamplingStatus.h"

namespace SamplingStatus {

std::optional<QString> Text(
    LogSource source, int sampleTime, int storedLogSampling, const Captions& captions)
{
    switch (source) {
    case LogSource::Live:
        return captions.nowSampling + QStringLiteral(" : ") + QString::number(sampleTime) + u'S';
    case LogSource::Stored:
        return captions.logSampling + QStringLiteral(" : ") + QString::number(storedLogSampling)
            + u'S';
    case LogSource::None:
        break;
    }
    return std::nullopt;
}

} // namespace SamplingStatus
