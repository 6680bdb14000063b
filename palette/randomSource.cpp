// Mersenne Twister with its default seed. std::mt19937 is specified bit for bit by the C++ standard,
// unlike the standard distributions, so the conversion to [0, 1) is ours: the top 24 bits times 2^-24.
#include "randomSource.h"

#include <random>
#include <utility>

namespace corvPalette {

namespace {

constexpr float kTwoToMinus24 = 1.0F / 16777216.0F;

std::mt19937& engine() {
    static std::mt19937 generator; // default seed 5489, never reseeded
    return generator;
}

std::function<float()>& replacement() {
    static std::function<float()> source;
    return source;
}

} // namespace

float nextRandom() {
    if (replacement()) {
        return replacement()();
    }
    return detail::twisterRandom();
}

namespace detail {
float twisterRandom() {
    return static_cast<float>(engine()() >> 8) * kTwoToMinus24;
}

void replaceRandomSource(std::function<float()> source) {
    replacement() = std::move(source);
}
} // namespace detail

} // namespace corvPalette
