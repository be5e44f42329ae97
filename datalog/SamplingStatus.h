#pragma once

#include "core/Captions.h"
#include "datalog/LogSource.h"

#include <QString>
#include <optional>

namespace SamplingStatus {

// The status bar text (panel 6) after a chart redraw: "Now Sampling : 3S" for the
// live log, "Log Sampling : 10S" for a stored one, nothing when neither is shown.
std::optional<QString> Text(LogSource source, int sampleTime, int storedLogSampling,
    const Captions& captions = Captions::English());

} // namespace SamplingStatus
