#pragma once

#include <QRectF>

#include <array>

// Where the digit cells of a seven-segment display lie, in its user coordinates.
struct DisplayGeometry {
    double segmentLength = 0; // L: a digit is L wide and 2L high
    double pitch = 0; // distance from one cell to the next
    int cells = 0;
    double firstX = 0;
    std::array<double, 3> rowTops {};
    int rowCount = 0;
    double dotOffset = 0; // a decimal dot sits this far left of the next cell
    QRectF userSpace;
};

// `PD`, the reading display: voltage, current and power rows of four cells.
inline constexpr DisplayGeometry kPD { 5, 9, 4, 1, { 1, 19, 37 }, 3, 2.3, QRectF(0, 0, 34, 50) };

// `LcdPSetVC(0..1)`, the set-point displays: one row of three cells each.
inline constexpr DisplayGeometry kLcdPSetVC { 3, 6, 3, 1, { 1, 0, 0 }, 1, 1.7,
    QRectF(0, 0, 18, 8) };
