// Cost of one slider event in the offscreen window: the handler regenerates the eight proposals, then
// Qt repaints the boxes. Prints the median and the 99th percentile over many events.
#include <QApplication>
#include <QSlider>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "mainGUI.h"
#include "mainModule.h"

namespace {

constexpr int kEvents = 20000;

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    mainModule::Main();
    auto* slider = mainModule::mainForm().findChild<QSlider*>(QStringLiteral("sdLightChroma"));
    QApplication::processEvents();

    std::vector<double> micros;
    micros.reserve(kEvents);
    for (int n = 0; n < kEvents; ++n) {
        const int value = 1 + n % 100; // a drag back and forth over the whole range
        const auto start = std::chrono::steady_clock::now();
        slider->setValue(value);       // valueChanged: border, regeneration, read-out
        QApplication::processEvents(); // the repaint of the eight boxes and the slider
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::printf("slider event, regeneration + repaint (%d events): median %.1f us, 99th percentile %.1f us\n",
                kEvents, percentile(micros, 0.5), percentile(micros, 0.99));
    mainModule::unloadMainForm();
    return 0;
}
