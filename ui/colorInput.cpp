// Reading a color from a paste or a drop.
#include "colorInput.h"

#include <QColor>
#include <QMimeData>
#include <QRegularExpression>

#include <array>
#include <cstring>

#include "corvColor.h"

namespace colorInput {

namespace {

// Longer than any form a color is written in: a huge text is refused before any pattern sees it.
constexpr qsizetype kLongestColor = 64;
constexpr qsizetype kExcerpt = 40;
constexpr std::size_t kColorDataSize = 8; // application/x-color: red, green, blue, alpha, 16 bits each
constexpr quint16 kOpaque = 0xFFFF;

std::int32_t packed(int red, int green, int blue) {
    return corvColor::packedColor(red, green, blue);
}

// #RGB doubles each digit: #F80 is #FF8800.
std::optional<std::int32_t> fromHex(const QString& digits) {
    const bool shortForm = digits.size() == 3;
    const auto channel = [&](int k) {
        const QString two = shortForm ? QString(2, digits[k]) : digits.mid(2 * k, 2);
        return two.toInt(nullptr, 16);
    };
    return packed(channel(0), channel(1), channel(2));
}

std::optional<std::int32_t> fromFunction(const QRegularExpressionMatch& match) {
    std::array<int, 3> channels{};
    for (int k = 0; k < 3; ++k) {
        bool ok = false;
        channels.at(static_cast<std::size_t>(k)) = match.captured(k + 1).toInt(&ok);
        if (!ok || channels.at(static_cast<std::size_t>(k)) > 255)
            return std::nullopt;
    }
    return packed(channels[0], channels[1], channels[2]);
}

// CSS names only: letters, known to Qt's list of SVG names (CSS's own), opaque ("transparent" is not).
std::optional<std::int32_t> fromName(const QString& name) {
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]+$"));
    if (!letters.match(name).hasMatch() || !QColor::isValidColorName(name))
        return std::nullopt;
    const QColor color = QColor::fromString(name);
    if (color.alpha() != 255)
        return std::nullopt;
    return packed(color.red(), color.green(), color.blue());
}

// 16 bits to 8, to the nearest: 65535 is 255, 257 k is k.
int byteOf(quint16 channel) {
    return (channel * 255 + kOpaque / 2) / kOpaque;
}

std::optional<std::int32_t> fromColorData(const QByteArray& bytes) {
    if (static_cast<std::size_t>(bytes.size()) != kColorDataSize)
        return std::nullopt;
    std::array<quint16, 4> rgba{};
    std::memcpy(rgba.data(), bytes.constData(), kColorDataSize);
    if (rgba[3] != kOpaque)
        return std::nullopt;
    return packed(byteOf(rgba[0]), byteOf(rgba[1]), byteOf(rgba[2]));
}

} // namespace

std::optional<std::int32_t> fromText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.size() > kLongestColor)
        return std::nullopt;
    static const QRegularExpression hex(QStringLiteral("^#([0-9A-Fa-f]{3}|[0-9A-Fa-f]{6})$"));
    static const QRegularExpression function(
        QStringLiteral("^rgba?\\(\\s*(\\d{1,3})\\s*(?:,\\s*|\\s)\\s*(\\d{1,3})\\s*(?:,\\s*|\\s)\\s*(\\d{1,3})"
                       "\\s*(?:[,/]\\s*(?:1|1\\.0+|100%)\\s*)?\\)$"),
        QRegularExpression::CaseInsensitiveOption);
    if (const auto match = hex.match(trimmed); match.hasMatch())
        return fromHex(match.captured(1));
    if (const auto match = function.match(trimmed); match.hasMatch())
        return fromFunction(match);
    return fromName(trimmed);
}

// The raw bytes only: Qt would also make a color of a name written there, which is no such data.
std::optional<std::int32_t> fromMimeData(const QMimeData* data) {
    if (data == nullptr)
        return std::nullopt;
    if (const auto color = fromColorData(data->data(QStringLiteral("application/x-color"))))
        return color;
    return data->hasText() ? fromText(data->text()) : std::nullopt;
}

QString excerpt(const QString& text) {
    QString shown = text.trimmed().left(kExcerpt);
    for (QChar& c : shown) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = QLatin1Char(' ');
    }
    return shown;
}

} // namespace colorInput
