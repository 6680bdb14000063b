// Picking a color through the XDG desktop portal, where applications may not read the screen.
#pragma once

#include <QDBusConnection>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>

#include "pickedColor.h"

namespace colorPicker::detail {

// PickColor first appeared in version 2 of the portal's Screenshot interface.
constexpr unsigned kFirstScreenshotVersionWithPickColor = 2;

// How long a pick waits for the portal's answer once the portal has accepted the request.
constexpr std::chrono::minutes kPortalResponseBound{2};

// Asks the desktop portal reachable on `bus` to let the user pick a color and waits for the answer in
// a nested event loop, during which the application takes no input but Escape (which cancels) and
// closing a window. When the portal is missing, too old or refuses the call, returns at once; a portal
// that has not answered `responseBound` after accepting is given up on. Every failure but a cancel
// writes one line on standard error.
PickOutcome pickWithPortal(const QDBusConnection& bus,
                           std::chrono::milliseconds responseBound = kPortalResponseBound);

// One channel of the portal's color, a double from 0 to 1, as a byte: rounded to nearest, ties to even.
// Empty for anything else (NaN, infinities, out of range): such an answer is broken, not a color.
std::optional<std::uint8_t> portalChannelToByte(double value);

// The object path of the Request the portal creates for a call made with handle_token `token` by the
// connection whose unique bus name is `uniqueBusName` (":1.42" gives ".../request/1_42/<token>").
QString portalRequestPath(const QString& uniqueBusName, const QString& token);

// A handle_token not used before by this process, and unlikely to be used by another run.
QString newHandleToken();

} // namespace colorPicker::detail
