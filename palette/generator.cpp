// The attempt loop behind the window's GenerateColor.
#include "generator.h"

#include <cmath>
#include <numbers>

#include "corvColor.h"
#include "paletteColors.h"
#include "randomSource.h"

namespace corvPalette {

namespace {

// A full turn: every direction of the a*b* disc can be proposed.
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// With both spreads 0 every attempt tests the seed's rounded L*a*b* itself; when that point is out of
// gamut no attempt can ever succeed.
bool canSucceed(std::int16_t dL, std::int16_t dC) {
    return dL != 0 || dC != 0 || corvColor::labToRgb(corvColor::labL, corvColor::labA, corvColor::labB);
}

// The seed itself stands in for a proposal that cannot be found; curRed/curGreen/curBlue follow it
// so that they keep describing the last box painted.
std::int32_t proposeSeed(const corvColor::Rgb& seed) {
    corvColor::curRed = seed.red;
    corvColor::curGreen = seed.green;
    corvColor::curBlue = seed.blue;
    return corvColor::packedColor(seed.red, seed.green, seed.blue);
}

std::int32_t proposeOne(const corvColor::Rgb& seed, std::int16_t dL, std::int16_t dC, bool possible) {
    for (std::int32_t attempt = 0; attempt < kMaxAttemptsPerBox; ++attempt) {
        const corvColor::Lab candidate = detail::drawCandidate(dL, dC);
        if (!possible) {
            break; // the draws of one attempt are still taken
        }
        if (corvColor::labToRgb(candidate.L, candidate.a, candidate.b)) {
            return corvColor::packedColor(corvColor::curRed, corvColor::curGreen, corvColor::curBlue);
        }
    }
    return proposeSeed(seed);
}

} // namespace

namespace detail {
// L' = 2 u3 dL + (L - dL) is uniform on [L - dL, L + dL). The radius dC u1 is uniform in length, not
// in area, so candidates crowd towards the seed's own a*, b*. Each sum adds the seed's value last.
corvColor::Lab drawCandidate(std::int16_t dL, std::int16_t dC) {
    const double lightness = corvColor::labL;
    const double a = corvColor::labA;
    const double b = corvColor::labB;
    const double radiusFraction = nextRandom();
    const double angleFraction = nextRandom();
    const double lightnessFraction = nextRandom();

    const double theta = angleFraction * kTwoPi;
    const double rho = dC * radiusFraction;
    return {2 * lightnessFraction * dL + (lightness - dL), rho * std::cos(theta) + a,
            rho * std::sin(theta) + b};
}
} // namespace detail

void generatePalette(std::int16_t rr, std::int16_t gg, std::int16_t bb, std::int16_t dL, std::int16_t dC,
                     const PaintBox& paint, std::bitset<9> kept) {
    corvColor::rgbToLab(rr, gg, bb);
    const bool possible = canSucceed(dL, dC);
    for (BoxIndex box = 1; box < kBoxCount; ++box) {
        const std::int32_t color = proposeOne({rr, gg, bb}, dL, dC, possible);
        if (kept[static_cast<std::size_t>(box)]) {
            continue;
        }
        paletteColors(box) = color;
        paint(box, color);
    }
    if (kept[8]) {
        const corvColor::Rgb shown = corvColor::channelsOf(paletteColors(8));
        corvColor::curRed = shown.red;
        corvColor::curGreen = shown.green;
        corvColor::curBlue = shown.blue;
    }
}

} // namespace corvPalette
