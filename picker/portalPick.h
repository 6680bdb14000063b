// Picking a color through the XDG desktop portal, where applications may not read the screen.
#pragma once

#include <QDBusConnection>
#include <QString>

#include <cstdint>
#include <optional>

#include "pickedColor.h"

namespace colorPicker::detail {

// PickColor first appeared in version 2 of the portal's Screenshot interface.
constexpr unsigned kFirstScreenshotVersionWithPickColor = 2;

// Asks the desktop portal reachable on `bus` to let the user pick a color and waits for the answer in
// a nested event loop. When the portal is missing, too old or refuses the call, returns at once with
// one line on standard error.
PickOutcome pickWithPortal(const QDBusConnection& bus);

// One channel of the portal's color, a double in 0..1, as a byte: rounded to nearest (ties to even),
// clamped to 0..255. Empty for NaN, which no color can come from.
std::optional<std::uint8_t> portalChannelToByte(double value);

// The object path of the Request the portal creates for a call made with handle_token `token` by the
// connection whose unique bus name is `uniqueBusName` (":1.42" gives ".../request/1_42/<token>").
QString portalRequestPath(const QString& uniqueBusName, const QString& token);

// A handle_token not used before by this process, and unlikely to be used by another run.
QString newHandleToken();

} // namespace colorPicker::detail
