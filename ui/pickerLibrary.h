// The screen color picker, a library loaded from Corvella's own folder at its first use.
#pragma once

#include <QString>

#include <cstdint>

namespace pickerLibrary {

// The last color the screen picker wrote; 0 at start, kept from one pick to the next.
extern std::uint8_t pickedRed;
extern std::uint8_t pickedGreen;
extern std::uint8_t pickedBlue;

// PickColor(&red, &green, &blue): -1 when a color was picked into the three bytes, anything else when not.
using PickColorFunction = std::int16_t (*)(std::uint8_t* red, std::uint8_t* green, std::uint8_t* blue);

// PickColor, loaded at the first call and reused afterwards. Only Corvella's own library folder is
// searched: ../lib/corvella below the program when installed, the program's folder in the build tree.
// Null when it cannot be loaded, with the reason in `whyNot`.
PickColorFunction pickColorFunction(QString& whyNot);

} // namespace pickerLibrary
