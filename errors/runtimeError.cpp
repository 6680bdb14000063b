// The run-time error and the two ways the program raises it.
#include "runtimeError.h"

#include <utility>

namespace corvella {

RuntimeError::RuntimeError(std::int32_t number, std::string message)
    : number_(number)
    , message_(std::move(message)) {}

void raiseOverflow() {
    throw RuntimeError(kOverflowError, "Overflow");
}

void raiseSubscriptOutOfRange() {
    throw RuntimeError(kSubscriptError, "Subscript out of range");
}

} // namespace corvella
