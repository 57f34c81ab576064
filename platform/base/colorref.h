#pragma once
// Colours as the settings and character formats keep them: 0x00BBGGRR.
#include <QColor>
#include <cstdint>

inline QColor ColorFromRef(uint32_t colorref)
{
    return QColor(int(colorref & 0xFF), int((colorref >> 8) & 0xFF), int((colorref >> 16) & 0xFF));
}

inline uint32_t RefFromColor(const QColor &color)
{
    return uint32_t(color.red()) | uint32_t(color.green()) << 8 | uint32_t(color.blue()) << 16;
}
