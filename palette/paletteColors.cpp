// Storage for the palette, zero-filled at program start.
#include "paletteColors.h"

#include <array>

#include "runtimeError.h"

namespace corvPalette {

namespace {
std::array<std::int32_t, kPaletteSize> colors{};
}

std::int32_t& paletteColors(std::int32_t index) {
    if (index < 0 || index >= kPaletteSize) {
        corvella::raiseSubscriptOutOfRange();
    }
    return colors[static_cast<std::size_t>(index)];
}

} // namespace corvPalette
