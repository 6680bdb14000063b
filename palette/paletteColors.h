// The palette: ten packed colors shared by the generator and the window.
#pragma once

#include <cstdint>

namespace corvPalette {

// A box of the grid: 0 the seed in the centre, 1 to 8 the proposals. The window's handlers receive it
// as a 16-bit integer, and it is that type wherever a box is meant.
using BoxIndex = std::int16_t;
constexpr BoxIndex kBoxCount = 9;

// Index 0 is the seed shown in the centre box, 1 to 8 the proposals, 9 exists and is never written.
constexpr std::int32_t kPaletteSize = 10;

// Element `index` of the palette; an index outside 0 to 9 raises the subscript error.
std::int32_t& paletteColors(std::int32_t index);

} // namespace corvPalette
