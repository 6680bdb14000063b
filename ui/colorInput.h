// Colors that come from other programs, through the clipboard or a drop: read strictly, since anything
// else must change nothing.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

class QMimeData;

namespace colorInput {

// A color as people write it, after trimming white space: "#RRGGBB" or "#RGB" (either case), "rgb(r, g,
// b)" or "rgb(r g b)" with integers 0 to 255 (rgba with an alpha of 1 too), or a CSS color name. Six hex
// digits without "#" are no color: the window copies blue first, the web red first, and a guess would
// swap them without a word. Empty for anything else.
std::optional<std::int32_t> fromText(const QString& text);

// The color of a paste or a drop: application/x-color (four 16-bit channels, opaque) first, else the
// text. Empty when neither holds one, or there is no data at all (a clipboard without an owner); a
// malformed color with a text that is one gives the text's.
std::optional<std::int32_t> fromMimeData(const QMimeData* data);

// How a text that holds no color is quoted in a message: trimmed, control characters as spaces, cut at
// 40 characters.
QString excerpt(const QString& text);

} // namespace colorInput
