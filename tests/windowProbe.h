// Read-only access to the main window's controls for the GUI tests.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <QTest>

#include <cstdint>

#include "colorText.h"
#include "mainGUI.h"
#include "mainModule.h"
#include "paletteColors.h"

namespace windowProbe {

inline mainGUI& window() {
    return mainModule::mainForm();
}

template <typename Control = QWidget> Control* control(const char* name) {
    auto* found = window().findChild<Control*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("no control %s", name);
    }
    return found;
}

inline QFrame* box(int k) {
    return control<QFrame>(QStringLiteral("picPalette%1").arg(k).toLatin1().constData());
}

inline QLabel* readOut() {
    return control<QLabel>("lbRGB");
}

inline QSlider* slider() {
    return control<QSlider>("sdLightChroma");
}

inline std::int32_t packed(int red, int green, int blue) {
    return red + green * 256 + blue * 65536;
}

inline std::int32_t packed(const QColor& color) {
    return packed(color.red(), color.green(), color.blue());
}

inline std::int32_t backgroundOf(const QWidget* widget) {
    return packed(widget->palette().color(QPalette::Window));
}

inline bool hasBorder(int k) {
    return box(k)->frameShape() == QFrame::Box;
}

inline int borderCount() {
    int count = 0;
    for (int k = 0; k < 9; ++k) {
        count += hasBorder(k) ? 1 : 0;
    }
    return count;
}

inline QPoint centreOf(const QWidget* widget) {
    return widget->rect().center();
}

} // namespace windowProbe
