// The palette as a file other programs read: a GIMP palette (.gpl), written whole or not at all.
#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace paletteFile {

// The name proposed for a palette around `seed`: "corvella-6496C8.gpl".
QString proposedName(std::int32_t seed);

// The GIMP palette of the nine colors (0 the seed), named after the seed, in three columns and the
// grid's reading order, each line "R G B", a tab and "#RRGGBB".
QString gimpPalette(const std::array<std::int32_t, 9>& colors);

// Writes `text` (UTF-8) to `path` whole or not at all: an existing file stays as it was unless the new
// one is complete. False with the reason in `whyNot`.
bool save(const QString& path, const QString& text, QString& whyNot);

} // namespace paletteFile
