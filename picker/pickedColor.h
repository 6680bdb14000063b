// The color a pick ends with, shared by the screen overlay and the desktop portal.
#pragma once

#include <cstdint>
#include <optional>

namespace colorPicker::detail {

struct PickedColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const PickedColor&, const PickedColor&) = default;
};

// Empty when the user cancelled or when no way of picking worked.
using PickOutcome = std::optional<PickedColor>;

} // namespace colorPicker::detail
