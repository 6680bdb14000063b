// How assistive technologies see the window's controls: buttons and a link whose press does what a click
// does, and a slider whose value is set as a move of it is. The window registers each control.
#pragma once

#include <QAccessible>
#include <QString>

class QSlider;
class QWidget;

namespace accessibility {

// What a screen reader's press needs of the window a control belongs to.
class PressTarget {
public:
    // Whether the window takes input now; while it does not, no control offers a press.
    virtual bool takesInput() const = 0;
    // Does what a click on `control` does.
    virtual void press(QWidget* control) = 0;
    // The key that does the same ("Ctrl+R"), or empty.
    virtual QString keyBinding(const QWidget* control) const = 0;

protected:
    ~PressTarget() = default;
};

// A control that a press acts on, seen with `role` (a button or a link).
void exposePressable(QWidget* control, QAccessible::Role role, PressTarget& target);

// The slider, whose value a screen reader sets while the window takes input.
void exposeSlider(QSlider* slider, PressTarget& target);

} // namespace accessibility
