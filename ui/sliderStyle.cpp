// Track clicks that step by a page, whatever the application style says.
#include "sliderStyle.h"

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

} // namespace sliderStyle
