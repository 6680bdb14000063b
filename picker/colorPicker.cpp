// PickColor: chooses the way of picking for the running platform and hands the color to the host.
#include "colorPicker.h"

#include <QApplication>
#include <QDBusConnection>
#include <QThread>

#include <exception>

#include "noPickReason.h"
#include "pickWay.h"
#include "pickedColor.h"
#include "portalPick.h"
#include "screenPick.h"

namespace {

using namespace colorPicker::detail;

constexpr std::int16_t kPicked = -1;
constexpr std::int16_t kNotPicked = 0;

// A second PickColor from inside the first one's nested event loop (a timer of the host, say) would
// stack a second set of overlays and grabs on the first.
bool pickRunning = false;

class RunningPick {
public:
    RunningPick() { pickRunning = true; }
    ~RunningPick() { pickRunning = false; }
    RunningPick(const RunningPick&) = delete;
    RunningPick& operator=(const RunningPick&) = delete;
};

PickOutcome pickColor() {
    const QCoreApplication* const application = QCoreApplication::instance();
    if (!application) {
        reportNoPick(QStringLiteral("PickColor needs a running QApplication"));
        return std::nullopt;
    }
    if (QThread::currentThread() != application->thread()) {
        reportNoPick(QStringLiteral("PickColor must be called from the GUI thread"));
        return std::nullopt;
    }
    if (pickRunning) {
        reportNoPick(QStringLiteral("a pick is already running"));
        return std::nullopt;
    }
    const RunningPick running;
    switch (choosePickWay(QGuiApplication::platformName(), qEnvironmentVariable("WAYLAND_DISPLAY"))) {
    case PickWay::portal:
        return pickWithPortal(QDBusConnection::sessionBus());
    case PickWay::screenGrab:
        if (!qobject_cast<const QApplication*>(application)) {
            reportNoPick(QStringLiteral("picking from the screens needs a QApplication"));
            return std::nullopt;
        }
        return pickFromScreens();
    }
    return std::nullopt;
}

} // namespace

extern "C" std::int16_t PickColor(std::uint8_t* red, std::uint8_t* green, std::uint8_t* blue) {
    if (!red || !green || !blue) {
        reportNoPick(QStringLiteral("PickColor needs somewhere to store red, green and blue"));
        return kNotPicked;
    }
    // Nothing may escape into the host, which knows this function only by its C signature.
    try {
        const PickOutcome picked = pickColor();
        if (!picked)
            return kNotPicked;
        *red = picked->red;
        *green = picked->green;
        *blue = picked->blue;
        return kPicked;
    } catch (const std::exception& error) {
        reportNoPick(QStringLiteral("the pick failed (%1)").arg(QString::fromLocal8Bit(error.what())));
    } catch (...) {
        reportNoPick(QStringLiteral("the pick failed"));
    }
    return kNotPicked;
}
