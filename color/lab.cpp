// sRGB (D65, 2 degree observer) to CIE 1976 L*a*b* and back, with the gamut test.
//
// Every step below is written in the order the palettes depend on: IEEE double throughout, sums
// bracketed as shown, powers through std::pow (also for the cubes: t * t * t rounds differently), and
// every comparison strict. Change nothing here without rerunning the exhaustive tests.
#include <cmath>

#include "checkedMath.h"
#include "corvColor.h"

namespace corvColor {

std::int16_t labL = 0;
std::int16_t labA = 0;
std::int16_t labB = 0;
std::int32_t curRed = 0;
std::int32_t curGreen = 0;
std::int32_t curBlue = 0;

namespace {

constexpr double kChannelScale = 255;

// sRGB transfer curve: linear below the knee, a 2.4 power above it.
constexpr double kEncodedKnee = 0.04045;
constexpr double kLinearKnee = 0.0031308;
constexpr double kCurveOffset = 0.055;
constexpr double kCurveScale = 1.055;
constexpr double kCurveExponent = 2.4;
constexpr double kLinearSlope = 12.92;

// XYZ is computed in percent, as is the reference white.
constexpr double kPercent = 100;

// Reference white D65, 2 degree observer.
constexpr double kWhiteX = 95.047;
constexpr double kWhiteY = 100;
constexpr double kWhiteZ = 108.883;

// CIE 1976 L*a*b*: L* = 116 f(Y/Yn) - 16, a* = 500 (f(X/Xn) - f(Y/Yn)), b* = 200 (f(Y/Yn) - f(Z/Zn)),
// with f(t) = t^(1/3) above the threshold and t * 7.787 + 16/116 below it. The rounded pair
// 0.008856 / 7.787 (not (6/29)^3 and 841/108) is deliberate: the palettes depend on these digits.
constexpr double kLabThreshold = 0.008856;
constexpr double kLabSlope = 7.787;
constexpr double kLabOffset = 16.0 / 116.0;
constexpr double kLightnessScale = 116;
constexpr double kLightnessOffset = 16;
constexpr double kAScale = 500;
constexpr double kBScale = 200;

struct Triple {
    double first;
    double second;
    double third;
};

double linearize(double encoded) {
    if (encoded > kEncodedKnee) {
        return std::pow((encoded + kCurveOffset) / kCurveScale, kCurveExponent);
    }
    return encoded / kLinearSlope;
}

double encode(double linear) {
    if (linear > kLinearKnee) {
        return std::pow(linear, 1.0 / kCurveExponent) * kCurveScale - kCurveOffset;
    }
    return linear * kLinearSlope;
}

// Linear sRGB in percent to XYZ (sRGB primaries, D65).
Triple toXyz(double r, double g, double b) {
    return {(r * 0.4124 + g * 0.3576) + b * 0.1805, (r * 0.2126 + g * 0.7152) + b * 0.0722,
            (r * 0.0193 + g * 0.1192) + b * 0.9505};
}

// XYZ (as fractions of 1) to linear sRGB.
Triple toLinearRgb(double x, double y, double z) {
    return {(x * 3.2406 + y * -1.5372) + z * -0.4986, (x * -0.9689 + y * 1.8758) + z * 0.0415,
            (x * 0.0557 + y * -0.2040) + z * 1.0570};
}

double labF(double t) {
    if (t > kLabThreshold) {
        return std::pow(t, 1.0 / 3.0);
    }
    return t * kLabSlope + kLabOffset;
}

// A negative f has a negative cube and takes the linear branch, so std::pow never sees a negative
// base with a fractional exponent.
double labFInverse(double f) {
    const double cube = std::pow(f, 3.0);
    if (cube > kLabThreshold) {
        return cube;
    }
    return (f - kLabOffset) / kLabSlope;
}

double linearPercent(std::int16_t channel) {
    return linearize(channel / kChannelScale) * kPercent;
}

bool inChannelRange(std::int16_t channel) {
    return channel >= 0 && channel <= 255;
}

// L*, a*, b* of channels 0 to 255, unrounded.
Triple labOf(std::int16_t red, std::int16_t green, std::int16_t blue) {
    const Triple xyz = toXyz(linearPercent(red), linearPercent(green), linearPercent(blue));
    const double fx = labF(xyz.first / kWhiteX);
    const double fy = labF(xyz.second / kWhiteY);
    const double fz = labF(xyz.third / kWhiteZ);
    return {fy * kLightnessScale - kLightnessOffset, (fx - fy) * kAScale, (fy - fz) * kBScale};
}

} // namespace

void rgbToLab(std::int16_t red, std::int16_t green, std::int16_t blue) {
    const Triple lab = labOf(red, green, blue);
    labL = corvella::toInt16(lab.first);
    labA = corvella::toInt16(lab.second);
    labB = corvella::toInt16(lab.third);
}

namespace detail {
double lightnessOf(std::int16_t red, std::int16_t green, std::int16_t blue) {
    return labOf(red, green, blue).first;
}
} // namespace detail

bool labToRgb(double lightness, double a, double b) {
    const double fy = (lightness + kLightnessOffset) / kLightnessScale;
    const double fx = a / kAScale + fy;
    const double fz = fy - b / kBScale;
    const double yr = labFInverse(fy);
    const double xr = labFInverse(fx);
    const double zr = labFInverse(fz);

    const Triple linear =
        toLinearRgb(xr * kWhiteX / kPercent, yr * kWhiteY / kPercent, zr * kWhiteZ / kPercent);

    // A channel that does not even fit 16 bits is simply far outside the gamut.
    const auto red = corvella::roundToInt16(encode(linear.first) * kChannelScale);
    const auto green = corvella::roundToInt16(encode(linear.second) * kChannelScale);
    const auto blue = corvella::roundToInt16(encode(linear.third) * kChannelScale);
    if (!red || !green || !blue || !inChannelRange(*red) || !inChannelRange(*green) ||
        !inChannelRange(*blue)) {
        return false;
    }
    curBlue = *blue;
    curRed = *red;
    curGreen = *green;
    return true;
}

} // namespace corvColor
