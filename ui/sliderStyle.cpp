// Track clicks that step by a page, whatever the application style says.
#include "sliderStyle.h"

#include <QStyleOptionComplex>

namespace sliderStyle {

int PageStepStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const {
    switch (hint) {
    case SH_Slider_AbsoluteSetButtons:
        return Qt::MiddleButton;
    case SH_Slider_PageSetButtons:
        return Qt::LeftButton;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

// Styles answer the groove only for a thin strip around it; QSlider steps only for a groove hit.
QStyle::SubControl PageStepStyle::hitTestComplexControl(ComplexControl control,
                                                        const QStyleOptionComplex* option,
                                                        const QPoint& position, const QWidget* widget) const {
    const SubControl hit = QProxyStyle::hitTestComplexControl(control, option, position, widget);
    if (control == CC_Slider && hit != SC_SliderHandle && option->rect.contains(position)) {
        return SC_SliderGroove;
    }
    return hit;
}

} // namespace sliderStyle
