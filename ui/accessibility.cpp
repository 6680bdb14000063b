// Push buttons and a link for assistive technologies, in place of Qt's frames, labels and images.
#include "accessibility.h"

#include <QAccessibleWidget>
#include <QWidget>

#include "mainGUI.h"

namespace accessibility {

namespace {

// A control whose press action is its click; its name and description are the widget's own.
class PressableControl final : public QAccessibleWidget {
public:
    PressableControl(QWidget* widget, QAccessible::Role role)
        : QAccessibleWidget(widget, role) {}

    QStringList actionNames() const override {
        QStringList names{pressAction()};
        if (widget()->focusPolicy() != Qt::NoFocus)
            names << setFocusAction();
        return names;
    }

    void doAction(const QString& actionName) override {
        auto* window = qobject_cast<mainGUI*>(widget()->window());
        if (actionName == pressAction() && window)
            window->pressControl(widget());
        else
            QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface* controlInterface(const QString& className, QObject* object) {
    Q_UNUSED(className);
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !qobject_cast<mainGUI*>(widget->window()))
        return nullptr;
    const QString name = widget->objectName();
    if (name.startsWith(QLatin1String("picPalette")) || name == QLatin1String("lbPageScroll") ||
        name == QLatin1String("colorPicker"))
        return new PressableControl(widget, QAccessible::Button);
    if (name == QLatin1String("imageCopyright"))
        return new PressableControl(widget, QAccessible::Link);
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
