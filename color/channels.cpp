// Packed colors taken apart into channels, and put together from them.
#include "checkedMath.h"
#include "corvColor.h"

namespace corvColor {

using corvella::checkedAdd;
using corvella::checkedMul;
using corvella::toInt16;
using corvella::toInt32;

namespace {
constexpr std::int32_t kGreenAndAbove = ~std::int32_t{0xFF}; // bits 8 to 31
constexpr std::int32_t kBlueBits = 0x00FF0000;               // bits 16 to 23
} // namespace

// C++ % truncates towards zero, so the remainder takes the sign of n, as the channel rule wants.
std::int16_t redOf(double color) {
    return static_cast<std::int16_t>(toInt32(color) % 256);
}

std::int16_t greenOf(double color) {
    const double shifted = static_cast<double>(toInt32(color) & kGreenAndAbove) / 256.0; // exact
    return static_cast<std::int16_t>(toInt32(shifted) % 256);
}

std::int16_t blueOf(double color) {
    return toInt16(static_cast<double>(toInt32(color) & kBlueBits) / 65536.0); // exact, 0 to 255
}

// Through the channel functions themselves: their steps are the ones the palettes have always taken.
Rgb channelsOf(std::int32_t packed) {
    const double color = packed;
    return {redOf(color), greenOf(color), blueOf(color)};
}

std::int32_t packedColor(std::int32_t red, std::int32_t green, std::int32_t blue) {
    return checkedAdd(checkedAdd(checkedMul(green, 256), red), checkedMul(blue, 65536));
}

} // namespace corvColor
