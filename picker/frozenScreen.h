// A screen as it looked when the pick started: its grab and how logical positions map onto its pixels.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QScreen>

#include <optional>
#include <vector>

namespace colorPicker::detail {

class FrozenScreen {
public:
    FrozenScreen(QScreen* screen, const QPixmap& grab);

    QScreen* screen() const { return screen_; }
    // The screen's geometry in logical, virtual-desktop coordinates when it was grabbed.
    QRect geometry() const { return geometry_; }
    // What the overlay shows; carries the grab's device pixel ratio.
    const QPixmap& pixmap() const { return pixmap_; }

    // The device pixel under a logical position relative to the screen's top-left corner, kept inside
    // the grab so that a position on the very edge still has a pixel.
    QPoint devicePixelAt(QPointF localPosition) const;
    bool hasPixel(QPoint devicePixel) const { return image_.rect().contains(devicePixel); }
    // The grabbed color of a device pixel; the pixel must be inside the grab.
    QRgb pixel(QPoint devicePixel) const { return image_.pixel(devicePixel); }

private:
    QPointer<QScreen> screen_;
    QRect geometry_;
    QPixmap pixmap_;
    QImage image_;
};

// Grabs every screen before anything of the picker is shown. Empty, with one line on standard error,
// when some screen cannot be grabbed.
std::optional<std::vector<FrozenScreen>> grabAllScreens();

} // namespace colorPicker::detail
