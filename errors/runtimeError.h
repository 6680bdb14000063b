// The run-time error: a numbered failure that ends the program unless a handler traps it.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace corvella {

// The numbers users of classic desktop tools know for these two failures.
constexpr std::int32_t kOverflowError = 6;
constexpr std::int32_t kSubscriptError = 9;

class RuntimeError : public std::exception {
public:
    RuntimeError(std::int32_t number, std::string message);
    std::int32_t number() const noexcept { return number_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::int32_t number_;
    std::string message_;
};

[[noreturn]] void raiseOverflow();
[[noreturn]] void raiseSubscriptOutOfRange();

} // namespace corvella
