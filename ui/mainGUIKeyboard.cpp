// The window without a mouse: keys on the focused box, moving the focus through the grid, and the
// focus rectangle that shows where the keyboard is.
#include "mainGUI.h"

#include <QFrame>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>
#include <QSlider>
#include <qdrawutil.h>

#include "corvColor.h"
#include "heldKey.h"
#include "layout.h"
#include "paletteColors.h"

namespace {

// The focus rectangle lies this far inside the box, clear of the 1-pixel selection border.
constexpr int kFocusInset = 3;
constexpr double kLightFrom = 50; // L* from which a box counts as light and gets a black rectangle
constexpr qreal kKeptMark = 12;   // the side of the kept mark's triangle

bool isLight(std::int32_t packed) {
    return corvColor::labOf(corvColor::channelsOf(packed)).L >= kLightFrom;
}

Qt::KeyboardModifiers commandModifiers(const QKeyEvent* event) {
    return event->modifiers() &
           (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

// The keys of the commands that are not about one box; screen readers hear them as the key bindings of
// ">" and the eyedropper.
constexpr QKeyCombination kNewProposalsKey(Qt::ControlModifier, Qt::Key_R);
constexpr QKeyCombination kEyedropperKey(Qt::ControlModifier, Qt::Key_E);

// The action of a key on a box, if it has one. Keypad keys count as the main ones; "+" is Shift+= on many
// layouts, so Shift is allowed with + and -.
std::optional<Action> keyAction(const QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = commandModifiers(event);
    const bool plain = modifiers == Qt::NoModifier;
    const int key = event->key();
    const QKeyCombination combination(modifiers, Qt::Key(key));
    if (plain && key == Qt::Key_Space)
        return Action::boxClick;
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter))
        return Action::boxDoubleClick;
    if (combination == kNewProposalsKey)
        return Action::newProposals;
    if (combination == kEyedropperKey)
        return Action::eyedropper;
    if ((plain || modifiers == Qt::ShiftModifier) && (key == Qt::Key_Plus || key == Qt::Key_Minus))
        return key == Qt::Key_Plus ? Action::spreadUp : Action::spreadDown;
    if (modifiers == Qt::ShiftModifier && key == Qt::Key_F10)
        return Action::copyMenu;
    if (combination == QKeyCombination(Qt::ControlModifier, Qt::Key_Z))
        return Action::undo;
    if (combination == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z) ||
        combination == QKeyCombination(Qt::ControlModifier, Qt::Key_Y))
        return Action::redo;
    if (plain && key == Qt::Key_K)
        return Action::keep;
    if (combination == QKeyCombination(Qt::ControlModifier, Qt::Key_S))
        return Action::save;
    if (combination == QKeyCombination(Qt::ControlModifier, Qt::Key_V))
        return Action::paste;
    return std::nullopt;
}

} // namespace

using corvPalette::paletteColors;

// Keys that act on the focused box: true when one did. Tab and every other key go on to Qt. A held key
// acts once, but for the slider's steps, undo, redo and the arrows, which go on as long as it is held;
// what the first press opens (the color dialog after Enter) never sees the repeats.
bool mainGUI::routeKey(BoxIndex Index, QKeyEvent* event) {
    const int key = event->key();
    if (commandModifiers(event) == Qt::NoModifier &&
        (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)) {
        moveFocusInGrid(Index,
                        key == Qt::Key_Left    ? -1
                        : key == Qt::Key_Right ? 1
                                               : 0,
                        key == Qt::Key_Up     ? -1
                        : key == Qt::Key_Down ? 1
                                              : 0);
        return true;
    }
    const std::optional<Action> action = keyAction(event);
    if (!action) {
        return false;
    }
    const bool repeats = action == Action::spreadUp || action == Action::spreadDown ||
                         action == Action::undo || action == Action::redo;
    if (event->isAutoRepeat() && !repeats) {
        return true;
    }
    const heldKey::SwallowRepeats held(key);
    perform(*action, Index);
    return true;
}

QString mainGUI::keyBinding(const QWidget* control) const {
    const std::optional<Action> action = clickActionOf(control);
    const std::optional<QKeyCombination> key = action == Action::newProposals ? kNewProposalsKey
                                               : action == Action::eyedropper
                                                   ? kEyedropperKey
                                                   : std::optional<QKeyCombination>();
    return key ? QKeySequence(*key).toString(QKeySequence::NativeText) : QString();
}

// To the neighbour in that direction; at the grid's edge the focus stays.
void mainGUI::moveFocusInGrid(BoxIndex Index, int columns, int rows) {
    const int column = layout::columnOf(Index) + columns;
    const int row = layout::rowOf(Index) + rows;
    for (BoxIndex k = 0; k < corvPalette::kBoxCount; ++k) {
        if (layout::columnOf(k) == column && layout::rowOf(k) == row)
            box(k)->setFocus(Qt::TabFocusReason); // a keyboard move: the focus rectangle shows
    }
}

// As Qt's own controls do: the rectangle shows once the keyboard moves the focus, until a mouse click.
void mainGUI::showFocusByKeys(bool visible) {
    if (focusShownByKeys == visible)
        return;
    focusShownByKeys = visible;
    for (QFrame* frame : picPalette) {
        if (frame->hasFocus())
            frame->update();
    }
}

// The box's own background is filled by Qt; on top of it the selection border, the kept mark and the
// focus rectangle.
void mainGUI::paintPaletteBox(BoxIndex Index) {
    QFrame* target = box(Index);
    QPainter painter(target);
    if (target->frameShape() == QFrame::Box) {
        qDrawPlainRect(&painter, target->rect(), target->palette().color(QPalette::WindowText), 1);
    }
    const bool light = isLight(paletteColors(Index));
    if (shown.kept[static_cast<std::size_t>(Index)]) {
        // A kept box: a small triangle in its top right corner, inside the border, in the contrast color.
        const QPointF corner(target->width() - 1, 1);
        const QPointF triangle[] = {corner, corner + QPointF(-kKeptMark, 0), corner + QPointF(0, kKeptMark)};
        painter.setPen(Qt::NoPen);
        painter.setBrush(light ? Qt::black : Qt::white);
        painter.drawPolygon(triangle, 3);
    }
    if (focusShownByKeys && target->hasFocus()) {
        painter.setPen(QPen(light ? Qt::black : Qt::white, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        // The pen's middle half a pixel further in, so that its one pixel (two at scale 2) lies wholly
        // on the inset's side at every scale.
        const qreal middle = kFocusInset + 0.5;
        painter.drawRect(QRectF(target->rect()).adjusted(middle, middle, -middle, -middle));
    }
}
