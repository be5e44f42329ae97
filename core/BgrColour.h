#pragma once

#include <QtGlobal>

// Colours written the way the platform stores them, 0x00BBGGRR, turned into
// Qt's opaque 0xAARRGGBB (a QRgb).
constexpr quint32 FromBgr(quint32 bgr)
{
    return 0xFF000000u | ((bgr & 0xFFu) << 16) | (bgr & 0xFF00u) | ((bgr >> 16) & 0xFFu);
}
