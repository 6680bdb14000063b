// Push buttons, a link and a slider for assistive technologies, in place of Qt's frames, labels, images
// and slider: each press or change goes through the window's one way in.
#include "accessibility.h"

#include <QAccessibleWidget>
#include <QSlider>
#include <QWidget>

#include "mainGUI.h"

namespace accessibility {

namespace {

mainGUI* windowOf(const QWidget* widget) {
    return qobject_cast<mainGUI*>(widget->window());
}

// A control whose press action is its click; its name and description are the widget's own. While the
// window takes no input it offers no action, so a screen reader reports the press as unavailable.
class PressableControl final : public QAccessibleWidget {
public:
    PressableControl(QWidget* widget, QAccessible::Role role)
        : QAccessibleWidget(widget, role) {}

    QStringList actionNames() const override {
        if (!windowOf(widget())->takesInput())
            return {};
        QStringList names{pressAction()};
        if (widget()->focusPolicy() != Qt::NoFocus)
            names << setFocusAction();
        return names;
    }

    void doAction(const QString& actionName) override {
        if (actionName == pressAction())
            windowOf(widget())->press(widget());
        else
            QAccessibleWidget::doAction(actionName);
    }

    QStringList keyBindingsForAction(const QString& actionName) const override {
        const QString key = windowOf(widget())->keyBinding(widget());
        return actionName == pressAction() && !key.isEmpty() ? QStringList{key} : QStringList();
    }
};

// The spread slider's value, which a screen reader may set while the window takes input.
class SpreadSlider final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SpreadSlider(QSlider* slider)
        : QAccessibleWidget(slider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return slider()->value(); }
    void setCurrentValue(const QVariant& value) override {
        if (windowOf(widget())->takesInput())
            slider()->setValue(value.toInt()); // regenerates through valueChanged, as any move
    }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }

private:
    QSlider* slider() const { return static_cast<QSlider*>(widget()); }
};

QAccessibleInterface* controlInterface(const QString& className, QObject* object) {
    Q_UNUSED(className);
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !windowOf(widget))
        return nullptr;
    const QString name = widget->objectName();
    if (name.startsWith(QLatin1String("picPalette")) || name == QLatin1String("lbPageScroll") ||
        name == QLatin1String("colorPicker"))
        return new PressableControl(widget, QAccessible::Button);
    if (name == QLatin1String("imageCopyright"))
        return new PressableControl(widget, QAccessible::Link);
    if (auto* slider = qobject_cast<QSlider*>(widget))
        return new SpreadSlider(slider);
    return nullptr;
}

} // namespace

void exposeControls() {
    static const bool installed = [] {
        QAccessible::installFactory(controlInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace accessibility
