#pragma once

// Value ranges of the three traces and the time window of the chart, in seconds
// of sample age. The defaults are those of a panel without a supply.
struct ChartRanges {
    float ChartVMax = 40.0f;
    float ChartVMin = 0.0f;
    float ChartCMax = 5.0f;
    float ChartCMin = 0.0f;
    float ChartWMax = 200.0f;
    float ChartWMin = 0.0f;
    int ChartTStart = 0;
    int ChartTEnd = 120;
};
