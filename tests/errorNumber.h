// The number of the run-time error a call raises, 0 when it raises none.
#pragma once

#include <cstdint>
#include <functional>

#include "runtimeError.h"

inline std::int32_t errorNumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const corvella::RuntimeError& error) {
        return error.number();
    }
    return 0;
}
