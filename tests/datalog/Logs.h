#pragma once

#include "datalog/ChartRanges.h"
#include "datalog/LogSamples.h"

// A log of one steady reading; with endAt, ended by the end mark at that sample.
inline LogSamples SteadyLog(float volts, float amps, int endAt = -1)
{
    LogSamples log;
    log.volts.fill(volts);
    log.amps.fill(amps);
    if (endAt >= 0) {
        log.volts[endAt] = LogSamples::kEndMark;
        log.amps[endAt] = LogSamples::kEndMark;
    }
    return log;
}

// The ranges as delivered (0..40 V, 0..5 A, 0..200 W) over start..end seconds.
inline ChartRanges Window(int start, int end)
{
    ChartRanges r;
    r.ChartTStart = start;
    r.ChartTEnd = end;
    return r;
}
