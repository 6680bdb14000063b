// Which way of picking works on the running display platform.
#pragma once

#include <QString>

namespace colorPicker::detail {

enum class PickWay {
    screenGrab, // freeze the screens in an overlay and let the user point at a pixel
    portal,     // ask the desktop through the XDG desktop portal
};

// platformName is QGuiApplication::platformName(); waylandDisplay the value of WAYLAND_DISPLAY.
PickWay choosePickWay(const QString& platformName, const QString& waylandDisplay);

} // namespace colorPicker::detail
