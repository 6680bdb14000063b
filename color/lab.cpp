// sRGB (D65, 2 degree observer) to CIE 1976 L*a*b* and back, with the gamut test.
//
// Every step below is written in the order the palettes depend on: IEEE double throughout, sums
// bracketed as shown, powers through std::pow (also for the cubes: t * t * t rounds differently), and
// every comparison strict. Change nothing here without rerunning tst_core: everyColorRoundTrip hashes the
// round trip of all 16,777,216 colors.
#include <cmath>
#include <optional>

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

// Linear sRGB: the channels with the transfer curve undone, as fractions of 1 or in percent.
struct LinearRgb {
    double red;
    double green;
    double blue;
};

// CIE 1931 XYZ tristimulus values, as fractions of 1 or in percent.
struct Xyz {
    double X;
    double Y;
    double Z;
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

// Linear sRGB in percent to XYZ in percent (sRGB primaries, D65).
Xyz toXyz(const LinearRgb& linear) {
    const double r = linear.red;
    const double g = linear.green;
    const double b = linear.blue;
    return {(r * 0.4124 + g * 0.3576) + b * 0.1805, (r * 0.2126 + g * 0.7152) + b * 0.0722,
            (r * 0.0193 + g * 0.1192) + b * 0.9505};
}

// XYZ as fractions of 1 to linear sRGB as fractions of 1.
LinearRgb toLinearRgb(const Xyz& xyz) {
    const double x = xyz.X;
    const double y = xyz.Y;
    const double z = xyz.Z;
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

// The channels of an L*a*b* point when all three round into 0 to 255. A channel that does not even fit 16
// bits is simply far outside the gamut.
std::optional<Rgb> rgbOf(const Lab& point) {
    const double fy = (point.L + kLightnessOffset) / kLightnessScale;
    const double fx = point.a / kAScale + fy;
    const double fz = fy - point.b / kBScale;
    const double yr = labFInverse(fy);
    const double xr = labFInverse(fx);
    const double zr = labFInverse(fz);

    const LinearRgb linear =
        toLinearRgb({xr * kWhiteX / kPercent, yr * kWhiteY / kPercent, zr * kWhiteZ / kPercent});

    const auto red = corvella::roundToInt16(encode(linear.red) * kChannelScale);
    const auto green = corvella::roundToInt16(encode(linear.green) * kChannelScale);
    const auto blue = corvella::roundToInt16(encode(linear.blue) * kChannelScale);
    if (!red || !green || !blue || !inChannelRange(*red) || !inChannelRange(*green) ||
        !inChannelRange(*blue)) {
        return std::nullopt;
    }
    return Rgb{*red, *green, *blue};
}

} // namespace

Lab labOf(Rgb color) {
    const Xyz xyz = toXyz({linearPercent(color.red), linearPercent(color.green), linearPercent(color.blue)});
    const double fx = labF(xyz.X / kWhiteX);
    const double fy = labF(xyz.Y / kWhiteY);
    const double fz = labF(xyz.Z / kWhiteZ);
    return {fy * kLightnessScale - kLightnessOffset, (fx - fy) * kAScale, (fy - fz) * kBScale};
}

void rgbToLab(std::int16_t red, std::int16_t green, std::int16_t blue) {
    const Lab lab = labOf({red, green, blue});
    labL = corvella::toInt16(lab.L);
    labA = corvella::toInt16(lab.a);
    labB = corvella::toInt16(lab.b);
}

bool labToRgb(double lightness, double a, double b) {
    const std::optional<Rgb> rgb = rgbOf({lightness, a, b});
    if (!rgb) {
        return false;
    }
    curBlue = rgb->blue;
    curRed = rgb->red;
    curGreen = rgb->green;
    return true;
}

} // namespace corvColor
