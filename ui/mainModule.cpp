// Start-up and shutdown of the program.
#include "mainModule.h"

#include <QApplication>

#include <memory>

#include "corvColor.h"
#include "errorReport.h"
#include "mainGUI.h"
#include "onDisplay.h"
#include "paletteColors.h"

namespace mainModule {

namespace {

constexpr std::int32_t kDefaultSeed = 13145700; // red 100, green 150, blue 200

std::unique_ptr<mainGUI>& instance() {
    static std::unique_ptr<mainGUI> window;
    return window;
}

} // namespace

mainGUI& mainForm() {
    if (!instance()) {
        instance() = std::make_unique<mainGUI>();
    }
    return *instance();
}

void unloadMainForm() {
    instance().reset();
}

// Everything is painted before the window is first shown, so no default-colored box ever flashes.
void Main() {
    corvPalette::paletteColors(0) = kDefaultSeed;
    mainGUI& window = mainForm();
    window.paintBox(0, corvPalette::paletteColors(0));
    const corvColor::Rgb seed = corvColor::channelsOf(corvPalette::paletteColors(0));
    const std::int16_t dL = window.sliderValue();
    const std::int16_t dC = window.sliderValue();
    window.GenerateColor(seed.red, seed.green, seed.blue, dL, dC);
    window.updateLabelRGB(-1);
    window.startHistory();
    window.show();
}

int run(int argc, char* argv[]) {
    const std::unique_ptr<QApplication> application = onDisplay::openApplication(argc, argv);
    // The desktop entry's name: Wayland compositors find the icon and the name for the window by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quenlot.Corvella"));
    errorReport::runGuarded(Main);
    const int status = QApplication::exec();
    unloadMainForm(); // before Qt goes away
    return status;
}

} // namespace mainModule
