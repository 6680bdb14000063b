// The window without a mouse: keys on the focused box, moving the focus through the grid, and the
// focus rectangle that shows where the keyboard is.
#include "mainGUI.h"

#include <QFrame>
#include <QKeyEvent>
#include <QPainter>
#include <QSlider>
#include <qdrawutil.h>

#include "corvColor.h"
#include "errorReport.h"
#include "layout.h"
#include "paletteColors.h"

namespace {

// The focus rectangle lies this far inside the box, clear of the 1-pixel selection border.
constexpr int kFocusInset = 3;
constexpr double kLightFrom = 50; // L* from which a box counts as light and gets a black rectangle

bool isLight(std::int32_t packed) {
    const double color = packed;
    return corvColor::detail::lightnessOf(corvColor::redOf(color), corvColor::greenOf(color),
                                          corvColor::blueOf(color)) >= kLightFrom;
}

Qt::KeyboardModifiers commandModifiers(const QKeyEvent* event) {
    return event->modifiers() &
           (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

} // namespace

using corvPalette::paletteColors;

// Keys that act on the focused box: true when one did. Tab and every other key go on to Qt.
bool mainGUI::routeKey(std::int16_t Index, QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = commandModifiers(event);
    const bool plain = modifiers == Qt::NoModifier;
    const int key = event->key();
    if (plain && (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)) {
        moveFocusInGrid(Index,
                        key == Qt::Key_Left    ? -1
                        : key == Qt::Key_Right ? 1
                                               : 0,
                        key == Qt::Key_Up     ? -1
                        : key == Qt::Key_Down ? 1
                                              : 0);
    } else if (plain && key == Qt::Key_Space) {
        if (!event->isAutoRepeat())
            errorReport::runGuarded([&] { picPalette_Click(Index); });
    } else if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        if (!event->isAutoRepeat())
            errorReport::runGuarded([&] { picPalette_DblClick(Index); });
    } else if (modifiers == Qt::ControlModifier && key == Qt::Key_R) {
        errorReport::runGuarded([this] { lbPageScroll_MouseUp(1, 2, 0, 0); });
    } else if (modifiers == Qt::ControlModifier && key == Qt::Key_E) {
        errorReport::runGuarded([this] { colorPicker_Click(); });
    } else if ((plain || modifiers == Qt::ShiftModifier) && (key == Qt::Key_Plus || key == Qt::Key_Minus)) {
        // As a click on the track beside the thumb: one page step, which regenerates through valueChanged.
        sdLightChroma->triggerAction(key == Qt::Key_Plus ? QSlider::SliderPageStepAdd
                                                         : QSlider::SliderPageStepSub);
    } else if (modifiers == Qt::ShiftModifier && key == Qt::Key_F10) {
        showCopyMenu(Index);
    } else {
        return false;
    }
    return true;
}

// To the neighbour in that direction; at the grid's edge the focus stays.
void mainGUI::moveFocusInGrid(std::int16_t Index, int columns, int rows) {
    const int column = layout::columnOf(static_cast<std::size_t>(Index)) + columns;
    const int row = layout::rowOf(static_cast<std::size_t>(Index)) + rows;
    for (std::size_t k = 0; k < picPalette.size(); ++k) {
        if (layout::columnOf(k) == column && layout::rowOf(k) == row)
            picPalette[k]->setFocus(Qt::TabFocusReason); // a keyboard move: the focus rectangle shows
    }
}

// As Qt's own controls do: the rectangle shows once the keyboard moves the focus, until a mouse click.
void mainGUI::showFocusByKeys(bool shown) {
    if (focusShownByKeys == shown)
        return;
    focusShownByKeys = shown;
    for (QFrame* frame : picPalette) {
        if (frame->hasFocus())
            frame->update();
    }
}

// The box's own background is filled by Qt; on top of it the selection border and the focus rectangle.
void mainGUI::paintPaletteBox(std::int16_t Index) {
    QFrame* target = box(Index);
    QPainter painter(target);
    if (target->frameShape() == QFrame::Box) {
        qDrawPlainRect(&painter, target->rect(), target->palette().color(QPalette::WindowText), 1);
    }
    if (focusShownByKeys && target->hasFocus()) {
        const bool light = isLight(paletteColors(Index));
        painter.setPen(QPen(light ? Qt::black : Qt::white, 1, Qt::DashLine));
        painter.drawRect(
            target->rect().adjusted(kFocusInset, kFocusInset, -kFocusInset - 1, -kFocusInset - 1));
    }
}
