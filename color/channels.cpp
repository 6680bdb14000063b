// Packed colors taken apart into channels, and put together from them.
#include "checkedMath.h"
#include "corvColor.h"

namespace corvColor {

using corvella::checkedAdd;
using corvella::checkedMul;
using corvella::toInt32;

namespace {
constexpr std::int32_t kGreenAndAbove = ~std::int32_t{0xFF}; // bits 8 to 31
constexpr std::int32_t kBlueBits = 0x00FF0000;               // bits 16 to 23
} // namespace

// C++ % truncates towards zero, so the remainder takes the sign of the packed value, as the channel rule
// wants. Both divisions divide a multiple of the divisor: they are exact.
Rgb channelsOf(std::int32_t packed) {
    return {static_cast<std::int16_t>(packed % 256),
            static_cast<std::int16_t>((packed & kGreenAndAbove) / 256 % 256),
            static_cast<std::int16_t>((packed & kBlueBits) / 65536)};
}

std::int32_t packedColor(std::int32_t red, std::int32_t green, std::int32_t blue) {
    return checkedAdd(checkedAdd(checkedMul(green, 256), red), checkedMul(blue, 65536));
}

std::int16_t redOf(double color) {
    return channelsOf(toInt32(color)).red;
}

std::int16_t greenOf(double color) {
    return channelsOf(toInt32(color)).green;
}

std::int16_t blueOf(double color) {
    return channelsOf(toInt32(color)).blue;
}

} // namespace corvColor
