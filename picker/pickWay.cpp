// Chooses between grabbing the screens and asking the desktop portal.
#include "pickWay.h"

namespace colorPicker::detail {

PickWay choosePickWay(const QString& platformName, const QString& waylandDisplay) {
    // Native Wayland forbids reading other clients' pixels ("wayland", "wayland-egl", ...).
    if (platformName.startsWith(QLatin1String("wayland")))
        return PickWay::portal;
    // Under XWayland a grab only sees X11 windows and comes back black everywhere else.
    if (platformName == QLatin1String("xcb") && !waylandDisplay.isEmpty())
        return PickWay::portal;
    return PickWay::screenGrab;
}

} // namespace colorPicker::detail
