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
    const corvColor::Rgb rgb = corvColor::channelsOf(color);
    return QStringLiteral("RGB ") + QString::number(rgb.red) + QStringLiteral(", ") +
           QString::number(rgb.green) + QStringLiteral(", ") + QString::number(rgb.blue);
}

// Two digits per channel, so that the text always reads back as the color it came from.
QString hexText(std::int32_t color) {
    const corvColor::Rgb rgb = corvColor::channelsOf(color);
    return twoHexDigits(rgb.blue) + twoHexDigits(rgb.green) + twoHexDigits(rgb.red);
}

QString webHexText(std::int32_t color) {
    const corvColor::Rgb rgb = corvColor::channelsOf(color);
    return QStringLiteral("#") + twoHexDigits(rgb.red) + twoHexDigits(rgb.green) + twoHexDigits(rgb.blue);
}

QString cssText(std::int32_t color) {
    const corvColor::Rgb rgb = corvColor::channelsOf(color);
    return QStringLiteral("rgb(%1, %2, %3)").arg(rgb.red).arg(rgb.green).arg(rgb.blue);
}

} // namespace colorText
