// The copy menu of a palette box: the color in the forms other tools take, and the whole palette.
#include "mainGUI.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>

#include <array>

#include "colorText.h"
#include "layout.h"
#include "paletteColors.h"

using corvPalette::paletteColors;

namespace {

// "#RRGGBB" per line, the boxes in the grid's reading order (so the seed is the fifth line).
QString paletteText() {
    std::array<QString, 9> lines;
    for (std::size_t k = 0; k < layout::kBoxes.size(); ++k) {
        const auto place = static_cast<std::size_t>(layout::rowOf(k) * 3 + layout::columnOf(k));
        lines.at(place) =
            colorText::webHexText(paletteColors(static_cast<std::int32_t>(k))) + QLatin1Char('\n');
    }
    QString text;
    for (const QString& line : lines)
        text += line;
    return text;
}

void copy(const QString& text) {
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

} // namespace

// At the pointer, or at the box's centre when the keyboard opened it. Choosing an item copies and does
// nothing else: no border, no read-out, no new proposals.
void mainGUI::showCopyMenu(std::int16_t Index, std::optional<QPoint> globalPosition) {
    const std::int32_t color = paletteColors(Index);
    const QString web = colorText::webHexText(color);
    const QString css = colorText::cssText(color);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("copyMenu"));
    menu.addAction(tr("Copy %1").arg(web), this, [web] { copy(web); });
    menu.addAction(tr("Copy %1").arg(css), this, [css] { copy(css); });
    menu.addSeparator();
    menu.addAction(tr("Copy the whole palette"), this, [] { copy(paletteText()); });
    const QFrame* target = box(Index);
    menu.exec(globalPosition.value_or(target->mapToGlobal(target->rect().center())));
}
