// Texts of a packed color, built from its channels without the locale.
#include "colorText.h"

#include "corvColor.h"

namespace colorText {

namespace {
QString twoHexDigits(std::int16_t channel) {
    return QString::number(channel, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}
} // namespace

QString rgbText(std::int32_t color) {
    const double packed = color;
    return QStringLiteral("RGB ") + QString::number(corvColor::redOf(packed)) + QStringLiteral(", ") +
           QString::number(corvColor::greenOf(packed)) + QStringLiteral(", ") +
           QString::number(corvColor::blueOf(packed));
}

// Two digits per channel, so that the text always reads back as the color it came from.
QString hexText(std::int32_t color) {
    const double packed = color;
    return twoHexDigits(corvColor::blueOf(packed)) + twoHexDigits(corvColor::greenOf(packed)) +
           twoHexDigits(corvColor::redOf(packed));
}

QString webHexText(std::int32_t color) {
    const double packed = color;
    return QStringLiteral("#") + twoHexDigits(corvColor::redOf(packed)) +
           twoHexDigits(corvColor::greenOf(packed)) + twoHexDigits(corvColor::blueOf(packed));
}

QString cssText(std::int32_t color) {
    const double packed = color;
    return QStringLiteral("rgb(%1, %2, %3)")
        .arg(corvColor::redOf(packed))
        .arg(corvColor::greenOf(packed))
        .arg(corvColor::blueOf(packed));
}

} // namespace colorText
