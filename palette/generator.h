// The palette generator: eight random in-gamut proposals around a seed color.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>

#include "paletteColors.h"

#include "corvColor.h"

namespace corvPalette {

// Sets the background of palette box `box` (1 to 8) to a packed color.
using PaintBox = std::function<void(BoxIndex box, std::int32_t color)>;

// Draws proposals for boxes 1 to 8 in a cylinder around the seed's rounded L*a*b* point: lightness
// within dL of the seed's, a*b* within a disc of radius dC. Each accepted proposal is stored in
// paletteColors(i) and painted at once, but for the boxes in `kept`: their proposal is drawn all the
// same and thrown away, so that the other boxes get exactly the colors they would get without keeping.
// Afterwards labL/labA/labB hold the seed's L*a*b* and curRed/curGreen/curBlue the channels of box 8 as
// it is shown.
void generatePalette(std::int16_t rr, std::int16_t gg, std::int16_t bb, std::int16_t dL, std::int16_t dC,
                     const PaintBox& paint, std::bitset<9> kept = {});

// Attempts per box before the generator gives up and proposes the seed itself. The lowest acceptance
// rate per attempt over every seed and every spread from 1 to 100 is about 2 %, so the chance of
// 10,000 rejections in a row is below 10^-87: the bound only guarantees that a call always returns.
constexpr std::int32_t kMaxAttemptsPerBox = 10000;

namespace detail {
// One attempt's point around (labL, labA, labB): three draws, in the order radius, angle, lightness.
corvColor::Lab drawCandidate(std::int16_t dL, std::int16_t dC);
} // namespace detail

} // namespace corvPalette
