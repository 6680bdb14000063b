// Push buttons, a link and a slider for assistive technologies, in place of Qt's frames, labels, images
// and slider: each press or change goes through the window's one way in.
#include "accessibility.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QSlider>
#include <QWidget>

namespace accessibility {

namespace {

struct Registration {
    QAccessible::Role role;
    PressTarget* target;
};

// The controls the window registered; an entry goes when its control does.
QHash<const QObject*, Registration>& registered() {
    static QHash<const QObject*, Registration> controls;
    return controls;
}

// A control whose press action is its click; its name and description are the widget's own. While the
// window takes no input it offers no action, so a screen reader reports the press as unavailable.
class PressableControl final : public QAccessibleWidget {
public:
    PressableControl(QWidget* widget, const Registration& registration)
        : QAccessibleWidget(widget, registration.role)
        , target_(*registration.target) {}

    QStringList actionNames() const override {
        if (!target_.takesInput())
            return {};
        QStringList names{pressAction()};
        if (widget()->focusPolicy() != Qt::NoFocus)
            names << setFocusAction();
        return names;
    }

    void doAction(const QString& actionName) override {
        if (actionName == pressAction())
            target_.press(widget());
        else
            QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString& actionName) const override {
        const QString key = target_.keyBinding(widget());
        return actionName == pressAction() && !key.isEmpty() ? QStringList{key} : QStringList();
    }

private:
    PressTarget& target_;
};

class SpreadSlider final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    SpreadSlider(QSlider* slider, PressTarget& target)
        : QAccessibleWidget(slider, QAccessible::Slider)
        , target_(target) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return slider()->value(); }
    void setCurrentValue(const QVariant& value) override {
        if (target_.takesInput())
            slider()->setValue(value.toInt()); // regenerates through valueChanged, as any move
    }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }

private:
    QSlider* slider() const { return static_cast<QSlider*>(widget()); }
    PressTarget& target_;
};

QAccessibleInterface* controlInterface(const QString& className, QObject* object) {
    Q_UNUSED(className);
    const auto found = registered().constFind(object);
    if (found == registered().cend())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (found->role == QAccessible::Slider)
        return new SpreadSlider(static_cast<QSlider*>(widget), *found->target);
    return new PressableControl(widget, *found);
}

void enroll(QWidget* control, const Registration& registration) {
    static const bool installed = [] {
        QAccessible::installFactory(controlInterface);
        return true;
    }();
    Q_UNUSED(installed);
    registered().insert(control, registration);
    QObject::connect(control, &QObject::destroyed, [control] { registered().remove(control); });
}

} // namespace

void exposePressable(QWidget* control, QAccessible::Role role, PressTarget& target) {
    enroll(control, {role, &target});
}

void exposeSlider(QSlider* slider, PressTarget& target) {
    enroll(slider, {QAccessible::Slider, &target});
}

} // namespace accessibility
