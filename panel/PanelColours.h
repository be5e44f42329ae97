#pragma once

#include "core/BgrColour.h"

#include <QRgb>

// Colours of the front panel and the set-point boxes. The values are written the
// way the platform stores them, 0x00BBGGRR, so they read like the panel's
// colour table; FromBgr turns them into Qt's 0xAARRGGBB.
namespace PanelColours {

using ::FromBgr;

// Light grey behind the front panel and its displays.
inline constexpr QRgb kLcdBackground = FromBgr(0x00C0C0C0);
// Dark green of the reading digits and the regulation mode labels.
inline constexpr QRgb kReadingDigits = FromBgr(0x00007000);
// Dark red of a hovered set-point display and the hovered "OUTPUT" label.
inline constexpr QRgb kHighlight = FromBgr(0x00000080);
// Green of an accepted set-point entry.
inline constexpr QRgb kAccepted = FromBgr(0x00008000);
// Black of idle set-point digits and of an entry that is not acceptable.
inline constexpr QRgb kBlack = FromBgr(0x00000000);
// Dark grey of the "(SETTING)" text.
inline constexpr QRgb kSettingText = FromBgr(0x00404040);

} // namespace PanelColours
