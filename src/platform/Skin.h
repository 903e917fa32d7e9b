#pragma once
// The dark skin's colours. Colour constants elsewhere are written as 0x00BBGGRR values, as the unit's
// tools have always given them; ColorRef converts.
#include <QColor>
#include <cstdint>

namespace pavo {

inline QColor ColorRef(uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
inline uint32_t ToColorRef(const QColor& c) {
    return static_cast<uint32_t>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

constexpr uint32_t kControlBackground = 0x2E2D24;  // RGB(36, 45, 46)
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kDisabledCaption = 0x999999;
inline QColor PageBackground() {
    return QColor(48, 64, 56);
}

}  // namespace pavo
