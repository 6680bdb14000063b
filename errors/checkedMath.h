// Integer conversions and arithmetic that raise the overflow error instead of wrapping.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

#include "runtimeError.h"

namespace corvella {

// Rounds to the nearest integer with ties to even (std::nearbyint in the default rounding mode;
// std::round and std::lround would send halves away from zero). Empty when the result does not fit,
// NaN included.
inline std::optional<std::int16_t> roundToInt16(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= INT16_MIN && rounded <= INT16_MAX)) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(rounded);
}

inline std::optional<std::int32_t> roundToInt32(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

inline std::int16_t toInt16(double value) {
    const auto result = roundToInt16(value);
    if (!result) {
        raiseOverflow();
    }
    return *result;
}

inline std::int32_t toInt32(double value) {
    const auto result = roundToInt32(value);
    if (!result) {
        raiseOverflow();
    }
    return *result;
}

// 32-bit results computed in 64 bits, where they cannot overflow, then range-checked.
inline std::int32_t narrowToInt32(std::int64_t value) {
    if (value < INT32_MIN || value > INT32_MAX) {
        raiseOverflow();
    }
    return static_cast<std::int32_t>(value);
}

inline std::int32_t checkedAdd(std::int32_t a, std::int32_t b) {
    return narrowToInt32(std::int64_t{a} + b);
}

inline std::int32_t checkedMul(std::int32_t a, std::int32_t b) {
    return narrowToInt32(std::int64_t{a} * b);
}

} // namespace corvella
