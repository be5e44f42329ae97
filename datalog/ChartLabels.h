#pragma once

#include <QString>
#include <array>

// Texts of the chart's scale labels; index 0 is the bottom (or start), 1 the
// middle, 2 the top (or end).
struct ChartLabels {
    std::array<QString, 3> PLabV;
    std::array<QString, 3> PLabC;
    std::array<QString, 3> PLabW;
    std::array<QString, 3> PLabT;
};
