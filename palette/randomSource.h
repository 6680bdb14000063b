// The program's pseudo-random source: the same sequence on every start, compiler and platform.
#pragma once

#include <functional>

namespace corvPalette {

// The next number u with 0 <= u < 1 and single-precision granularity (a multiple of 2^-24).
float nextRandom();

namespace detail {
// The program's own source, whatever replaces it.
float twisterRandom();

// Tests feed their own draws through this seam; an empty function brings back the program's source,
// which continues where it stopped (it is never reseeded).
void replaceRandomSource(std::function<float()> source);
} // namespace detail

} // namespace corvPalette
