// Where every control of the main window sits, in twips from the top-left corner of the client area.
#pragma once

#include <QRect>

#include <array>
#include <cstdint>

#include "paletteColors.h"

namespace layout {

// A twip is 1/1440 inch: 15 of them make one pixel at 96 dpi, one device-independent pixel in Qt.
constexpr std::int32_t kTwipsPerPixel = 15;

struct Twips {
    std::int32_t left;
    std::int32_t top;
    std::int32_t width;
    std::int32_t height;
};

constexpr QRect toPixels(Twips t) {
    return {t.left / kTwipsPerPixel, t.top / kTwipsPerPixel, t.width / kTwipsPerPixel,
            t.height / kTwipsPerPixel};
}

constexpr Twips kClientArea{0, 0, 3585, 4830};

// Box 0 (the seed) is the centre of a 3 x 3 grid of touching 1050-twip squares; the proposals 1 to 8
// surround it row by row from the top left.
constexpr std::int32_t kBoxSide = 1050;
constexpr std::array<Twips, 9> kBoxes{{
    {1260, 1260, kBoxSide, kBoxSide},
    {210, 210, kBoxSide, kBoxSide},
    {1260, 210, kBoxSide, kBoxSide},
    {2310, 210, kBoxSide, kBoxSide},
    {210, 1260, kBoxSide, kBoxSide},
    {2310, 1260, kBoxSide, kBoxSide},
    {210, 2310, kBoxSide, kBoxSide},
    {1260, 2310, kBoxSide, kBoxSide},
    {2310, 2310, kBoxSide, kBoxSide},
}};

// A box's place in the grid, counted from the top-left box; -1 for an index that is not a box.
constexpr std::int32_t kGridOrigin = 210;
constexpr int columnOf(corvPalette::BoxIndex k) {
    return k >= 0 && k < corvPalette::kBoxCount
               ? (kBoxes.at(static_cast<std::size_t>(k)).left - kGridOrigin) / kBoxSide
               : -1;
}
constexpr int rowOf(corvPalette::BoxIndex k) {
    return k >= 0 && k < corvPalette::kBoxCount
               ? (kBoxes.at(static_cast<std::size_t>(k)).top - kGridOrigin) / kBoxSide
               : -1;
}

// The boxes in the grid's reading order, row by row from the top left (the seed is the fifth).
constexpr std::array<corvPalette::BoxIndex, 9> readingOrder() {
    std::array<corvPalette::BoxIndex, 9> order{};
    for (corvPalette::BoxIndex k = 0; k < corvPalette::kBoxCount; ++k) {
        order.at(static_cast<std::size_t>(rowOf(k) * 3 + columnOf(k))) = k;
    }
    return order;
}

// The band runs past the right and bottom edges; the window clips it. The eyedropper starts three
// pixels left of the client area and the read-out ends two pixels below it, clipped likewise.
constexpr Twips kShape1{0, 3570, 3735, 1290};
constexpr Twips kSdLightChroma{525, 3735, 2535, 555};
constexpr Twips kColorPicker{-45, 3645, 480, 480};
constexpr Twips kLbPageScroll{3150, 3780, 360, 375};
constexpr Twips kLbRGB{45, 4590, 1785, 270};
constexpr Twips kImageCopyright{1935, 4620, 1545, 135};
constexpr Twips kLbQuenlotLtd{1890, 4515, 1575, 255};

} // namespace layout
