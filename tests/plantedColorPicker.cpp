// A stranger's library named like the picker, planted where a careless loader would look. Loading it
// would pick 1, 2, 3 without asking anybody.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) std::int16_t
PickColor(std::uint8_t* red, std::uint8_t* green, std::uint8_t* blue) {
    *red = 1;
    *green = 2;
    *blue = 3;
    return -1;
}
