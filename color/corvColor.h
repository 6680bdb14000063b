// The color model: packed colors, their channels, and the sRGB <-> CIE L*a*b* conversions.
#pragma once

#include <cstdint>

namespace corvColor {

// A packed color holds red + green * 256 + blue * 65536 (red in the low byte, bits 24 to 31 zero).
// Note that Qt's QRgb keeps blue in the low byte: never hand a packed color to QColor(QRgb).

// The channels of a color, 0 to 255 each when they come from a packed color of bits 0 to 23.
struct Rgb {
    std::int16_t red;
    std::int16_t green;
    std::int16_t blue;
};

// A CIE 1976 L*a*b* point: lightness L* and the opponent axes a* (green to red), b* (blue to yellow).
struct Lab {
    double L;
    double a;
    double b;
};

// The channels of a packed color; bits 24 to 31 are ignored.
Rgb channelsOf(std::int32_t packed);

// (green * 256 + red) + blue * 65536 in 32-bit arithmetic that raises the overflow error.
std::int32_t packedColor(std::int32_t red, std::int32_t green, std::int32_t blue);

// L*, a*, b* of channels 0 to 255, unrounded; unlike rgbToLab it writes nothing.
Lab labOf(Rgb color);

// Channels of a packed color given as a double; bits 24 to 31 are ignored.
std::int16_t redOf(double color);
std::int16_t greenOf(double color);
std::int16_t blueOf(double color);

// The seed's L*, a*, b*, rounded to whole numbers, written by rgbToLab.
extern std::int16_t labL;
extern std::int16_t labA;
extern std::int16_t labB;

// Channels (0 to 255) of the last point labToRgb accepted. The generator sets them to the seed where the
// seed stands in for a proposal and to box 8 when that box is kept; undo and the eyedropper write them too.
extern std::int32_t curRed;
extern std::int32_t curGreen;
extern std::int32_t curBlue;

// Converts channels 0 to 255 to L*a*b* and stores the rounded values in labL, labA, labB.
void rgbToLab(std::int16_t red, std::int16_t green, std::int16_t blue);

// Converts an L*a*b* point to sRGB. True when every channel rounds into 0 to 255; only then are
// curRed, curGreen and curBlue written.
bool labToRgb(double lightness, double a, double b);

} // namespace corvColor
