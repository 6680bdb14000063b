// Hands a web address to the desktop, which opens it with the user's default web handler.
#pragma once

#include <QString>

#include <cstdint>

namespace openURL {

// The value the Windows shell gives a maximized window; elsewhere the desktop decides.
constexpr std::int32_t kShowMaximized = 3;

// The shell's values: above 32 when the request was accepted, 32 or less when it was refused.
constexpr std::int32_t kAccepted = 33;
constexpr std::int32_t kRefused = 0;

// Asks the desktop to open `url` with the verb "open" and the window state `showCmd`. Returns the
// shell's result; callers may ignore it, as the browser runs on its own.
std::int32_t launchURL(QString& url, std::int32_t& showCmd);

} // namespace openURL
