// Colors in and out: the clipboard's color as the seed, colors dropped on the window, boxes dragged out.
#include "mainGUI.h"

#include <QClipboard>
#include <QDrag>
#include <QDropEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>

#include "colorInput.h"
#include "colorText.h"
#include "paletteColors.h"

using corvPalette::paletteColors;

namespace {

constexpr int kDragSwatch = 24; // the side of the square that follows the pointer

QPixmap swatch(const QColor& color) {
    QPixmap picture(kDragSwatch, kDragSwatch);
    picture.fill(color);
    QPainter(&picture).drawRect(0, 0, kDragSwatch - 1, kDragSwatch - 1);
    return picture;
}

} // namespace

// As a double-click on a proposal; what is not a color changes nothing, and says why.
void mainGUI::pasteSeed() {
    const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
    if (const auto color = colorInput::fromMimeData(offered)) {
        takeSeed(*color);
        return;
    }
    const QString text = offered && offered->hasText() ? offered->text() : QString();
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Corvella"),
                    tr("The clipboard holds no color: '%1'. Write it as #RRGGBB or rgb(r, g, b).")
                        .arg(colorInput::excerpt(text)),
                    QMessageBox::Ok, this);
    box.exec();
}

// The color a drop brings, unless it is a box dropped on itself. Anything that is no color is refused by
// the cursor, without a message. Qt names a drag's source only within this program: a box of another
// Corvella is another program's color.
std::optional<std::int32_t> mainGUI::droppedColor(const QDropEvent* event) const {
    if (event->source() != nullptr && event->source() == childAt(event->position().toPoint())) {
        return std::nullopt;
    }
    return colorInput::fromMimeData(event->mimeData());
}

void mainGUI::dragEnterEvent(QDragEnterEvent* event) {
    event->setAccepted(takesInput() && colorInput::fromMimeData(event->mimeData()));
}

void mainGUI::dragMoveEvent(QDragMoveEvent* event) {
    event->setAccepted(takesInput() && droppedColor(event));
}

void mainGUI::dropEvent(QDropEvent* event) {
    dropped = droppedColor(event);
    event->setAccepted(dropped.has_value());
    if (dropped) {
        event->acceptProposedAction();
        perform(Action::drop);
    }
    dropped.reset();
}

// The box's color as other programs take it (application/x-color and "#RRGGBB"). The press became a
// drag: its release is no click. Qt deletes the drag: another program may still ask for its data after
// exec() has returned.
void mainGUI::dragBox(BoxIndex Index) {
    pressedControl = nullptr;
    const std::int32_t color = paletteColors(Index);
    const QColor shownColor = box(Index)->palette().color(QPalette::Window);
    auto* carried = new QMimeData;
    carried->setColorData(shownColor);
    carried->setText(colorText::webHexText(color));
    auto* drag = new QDrag(box(Index));
    drag->setMimeData(carried);
    drag->setPixmap(swatch(shownColor));
    drag->exec(Qt::CopyAction);
}
