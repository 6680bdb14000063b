// Grabbing the screens and mapping logical positions to the grabs' device pixels.
#include "frozenScreen.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>

#include "noPickReason.h"

namespace colorPicker::detail {

FrozenScreen::FrozenScreen(QScreen* screen, const QPixmap& grab)
    : screen_(screen)
    , geometry_(screen->geometry())
    , pixmap_(grab)
    , image_(grab.toImage().convertToFormat(QImage::Format_RGB32)) {}

namespace {

int deviceCoordinate(qreal logical, qreal ratio, int size) {
    // fmax/fmin rather than clamp: they also turn a NaN into a pixel on the edge.
    const double device = std::floor(logical * ratio);
    return static_cast<int>(std::fmin(std::fmax(device, 0.0), std::max(size - 1, 0)));
}

} // namespace

QPoint FrozenScreen::devicePixelAt(QPointF localPosition) const {
    // The grab holds the screen's real pixels; reading a scaled copy would blend neighbours on
    // high-DPI screens. Flooring maps every logical position inside a device pixel onto that pixel.
    const qreal ratio = pixmap_.devicePixelRatio();
    return {deviceCoordinate(localPosition.x(), ratio, image_.width()),
            deviceCoordinate(localPosition.y(), ratio, image_.height())};
}

std::optional<std::vector<FrozenScreen>> grabAllScreens() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty()) {
        reportNoPick(QStringLiteral("there is no screen to pick from"));
        return std::nullopt;
    }
    std::vector<FrozenScreen> frozen;
    frozen.reserve(static_cast<std::size_t>(screens.size()));
    for (QScreen* screen : screens) {
        const QPixmap grab = screen->grabWindow(0);
        if (grab.isNull()) {
            reportNoPick(QStringLiteral("the screen \"%1\" cannot be grabbed on the \"%2\" platform")
                             .arg(screen->name(), QGuiApplication::platformName()));
            return std::nullopt;
        }
        frozen.emplace_back(screen, grab);
    }
    return frozen;
}

} // namespace colorPicker::detail
