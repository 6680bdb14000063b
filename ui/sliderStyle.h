// The spread slider's style: a click beside the thumb steps by a page in every style.
#pragma once

#include <QProxyStyle>

namespace sliderStyle {

// Some styles (and desktop themes) move the thumb straight to a left click on the track; this slider
// always steps by its page step towards the click, and jumps only on a middle click. The whole control
// counts as track: a click on the tick marks or above the groove steps as well.
class PageStepStyle final : public QProxyStyle {
    Q_OBJECT
public:
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    SubControl hitTestComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     const QPoint& position, const QWidget* widget = nullptr) const override;
};

} // namespace sliderStyle
