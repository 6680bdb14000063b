// Run-time errors that escape a handler: one message box, then the program ends.
#pragma once

#include <functional>

namespace errorReport {

// Runs an event handler or the start-up. A run-time error escaping it shows its number and message in
// a message box and ends the program with exit status 1; no exception ever reaches Qt's event loop.
void runGuarded(const std::function<void()>& handler) noexcept;

} // namespace errorReport
