// The library's one exported function: a blocking screen color pick for the host program.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#define COLORPICKER_EXPORT __declspec(dllexport)
#else
#define COLORPICKER_EXPORT __attribute__((visibility("default")))
#endif

// Lets the user pick a color anywhere on the screens and returns once the pick is over. Returns -1 when a
// color was picked and stores its channels in red, green and blue; otherwise returns 0 and leaves the
// three bytes untouched. Must be called from the GUI thread of a running QApplication.
extern "C" COLORPICKER_EXPORT std::int16_t PickColor(std::uint8_t* red, std::uint8_t* green,
                                                     std::uint8_t* blue);
