#pragma once

#include "core/BgrColour.h"

#include <QRgb>

// Colours of the data log chart, its scale labels and the printed log. The values
// are written the way the platform stores them, 0x00BBGGRR; FromBgr turns them
// into Qt's 0xAARRGGBB.
namespace ChartColours {

using ::FromBgr;

// Screen chart.
inline constexpr QRgb kBackground = FromBgr(0x00404040);
inline constexpr QRgb kGrid = FromBgr(0x00400000);
inline constexpr QRgb kGridMiddle = FromBgr(0x00800000);
inline constexpr QRgb kVoltTrace = FromBgr(0x0000FFFF);
inline constexpr QRgb kCurrTrace = FromBgr(0x000000FF);
inline constexpr QRgb kPowerTrace = FromBgr(0x0000FF00);

// Scale labels beside the screen chart.
inline constexpr QRgb kVoltLabel = FromBgr(0x0000FFFF);
inline constexpr QRgb kCurrLabel = FromBgr(0x000000FF);
inline constexpr QRgb kPowerLabel = FromBgr(0x0000C000);
inline constexpr QRgb kTimeLabel = FromBgr(0x00E0E0E0);

// Printed log: traces and legend swatches; frame, grid and rules in black.
inline constexpr QRgb kPrintVolt = FromBgr(0x0000C0C0);
inline constexpr QRgb kPrintCurr = FromBgr(0x000000FF);
inline constexpr QRgb kPrintPower = FromBgr(0x0000C000);
inline constexpr QRgb kPrintForeground = FromBgr(0x00000000);

} // namespace ChartColours
