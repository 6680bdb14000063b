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

} // namespace colorText
