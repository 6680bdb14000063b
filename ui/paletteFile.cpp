// Writing the palette as a GIMP palette file.
#include "paletteFile.h"

#include <QSaveFile>

#include "colorText.h"
#include "corvColor.h"
#include "layout.h"

namespace paletteFile {

namespace {

// The web form without its "#": "6496C8".
QString webDigits(std::int32_t color) {
    return colorText::webHexText(color).mid(1);
}

} // namespace

QString proposedName(std::int32_t seed) {
    return QStringLiteral("corvella-%1.gpl").arg(webDigits(seed));
}

QString gimpPalette(const std::array<std::int32_t, 9>& colors) {
    QString text =
        QStringLiteral("GIMP Palette\nName: Corvella %1\nColumns: 3\n#\n").arg(webDigits(colors[0]));
    for (const corvPalette::BoxIndex k : layout::readingOrder()) {
        const std::int32_t color = colors.at(static_cast<std::size_t>(k));
        const corvColor::Rgb rgb = corvColor::channelsOf(color);
        text += QStringLiteral("%1 %2 %3\t%4\n")
                    .arg(rgb.red)
                    .arg(rgb.green)
                    .arg(rgb.blue)
                    .arg(colorText::webHexText(color));
    }
    return text;
}

bool save(const QString& path, const QString& text, QString& whyNot) {
    QSaveFile file(path);
    const QByteArray contents = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.commit()) {
        whyNot = file.errorString();
        return false;
    }
    return true;
}

} // namespace paletteFile
