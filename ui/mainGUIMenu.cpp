// The copy menu of a palette box: the color in the forms other tools take, and the whole palette.
#include "mainGUI.h"

#include <QAction>
#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QMenu>

#include "colorInput.h"
#include "colorText.h"
#include "layout.h"
#include "paletteColors.h"

using corvPalette::paletteColors;

namespace {

// "#RRGGBB" per line, the boxes in the grid's reading order (so the seed is the fifth line).
QString paletteText() {
    QString text;
    for (const corvPalette::BoxIndex k : layout::readingOrder())
        text += colorText::webHexText(paletteColors(k)) + QLatin1Char('\n');
    return text;
}

QAction* addItem(QMenu& menu, const QString& text, Action action, bool enabled = true) {
    QAction* item = menu.addAction(text);
    item->setData(static_cast<int>(action));
    item->setEnabled(enabled);
    return item;
}

} // namespace

// At the pointer, or at the box's centre when the keyboard opened it. The item chosen, if any, is
// what the window performs once the menu has closed.
std::optional<Action> mainGUI::showCopyMenu(BoxIndex Index, std::optional<QPoint> globalPosition) {
    const std::int32_t color = paletteColors(Index);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("copyMenu"));
    addItem(menu, tr("Copy %1").arg(colorText::webHexText(color)), Action::copyWeb);
    addItem(menu, tr("Copy %1").arg(colorText::cssText(color)), Action::copyCss);
    menu.addSeparator();
    addItem(menu, tr("Copy the whole palette"), Action::copyPalette);
    menu.addSeparator();
    QAction* keep = addItem(menu, tr("Keep this color"), Action::keep, Index != 0);
    keep->setCheckable(true);
    keep->setChecked(shown.kept[static_cast<std::size_t>(Index)]);
    addItem(menu, tr("Undo"), Action::undo, history.canUndo());
    addItem(menu, tr("Redo"), Action::redo, history.canRedo());
    menu.addSeparator();
    const auto pasted = colorInput::fromMimeData(QGuiApplication::clipboard()->mimeData());
    addItem(menu, pasted ? tr("Paste %1 as seed").arg(colorText::webHexText(*pasted)) : tr("Paste as seed"),
            Action::paste);
    addItem(menu, tr("Save the palette…"), Action::save);
    const QFrame* target = box(Index);
    const QAction* chosen = menu.exec(globalPosition.value_or(target->mapToGlobal(target->rect().center())));
    if (chosen == nullptr) {
        return std::nullopt;
    }
    return static_cast<Action>(chosen->data().toInt());
}

// Copies and does nothing else: no border, no read-out, no new proposals.
void mainGUI::copy(Action form, BoxIndex Index) {
    const std::int32_t color = paletteColors(Index);
    const QString text = form == Action::copyWeb   ? colorText::webHexText(color)
                         : form == Action::copyCss ? colorText::cssText(color)
                                                   : paletteText();
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}
