// Colours are stored as Windows colour values (0x00BBGGRR); this is the one conversion.
#pragma once

#include <QColor>
#include <cstdint>

inline QColor bgrToQColor(std::uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

inline std::uint32_t qColorToBgr(const QColor &c) {
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
}
