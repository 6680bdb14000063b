// The frozen-screen overlay: painting it and turning mouse and keys into pick requests.
#include "screenOverlay.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include "loupe.h"

namespace colorPicker::detail {

ScreenOverlay::ScreenOverlay(const FrozenScreen& frozen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , frozen_(frozen) {
    setObjectName(QStringLiteral("colorPickerOverlay"));
    setWindowTitle(tr("Pick a color"));
    // Every pixel is painted from the grab, so there is nothing to clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    if (frozen.screen())
        setScreen(frozen.screen());
    setGeometry(frozen.geometry());
}

void ScreenOverlay::showLoupeAt(QPointF localPosition) {
    const QPoint pixel = frozen_.devicePixelAt(localPosition);
    const QRect placed = placeLoupe(localPosition.toPoint(), loupeSize(fontMetrics()), rect());
    if (loupeShown_ && placed == loupeRect_ && pixel == pointerPixel_)
        return;
    QRegion dirty(placed);
    if (loupeShown_)
        dirty += loupeRect_;
    loupeShown_ = true;
    loupeRect_ = placed;
    pointerPixel_ = pixel;
    update(dirty);
}

void ScreenOverlay::hideLoupe() {
    if (!loupeShown_)
        return;
    loupeShown_ = false;
    update(loupeRect_);
}

QString ScreenOverlay::loupeText() const {
    return loupeShown_ ? detail::loupeText(frozen_.pixel(pointerPixel_)) : QString();
}

void ScreenOverlay::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), frozen_.pixmap());
    if (loupeShown_ && event->rect().intersects(loupeRect_))
        paintLoupe(painter, loupeRect_, frozen_, pointerPixel_);
    if (!painted_) {
        painted_ = true;
        Q_EMIT firstPainted();
    }
}

void ScreenOverlay::mouseMoveEvent(QMouseEvent* event) {
    Q_EMIT pointerMoved(event->globalPosition());
}

void ScreenOverlay::mousePressEvent(QMouseEvent* event) {
    // Acting on the release instead: a release that reached the window below after the overlay is
    // gone could open a context menu or finish a click there.
    event->accept();
}

void ScreenOverlay::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Q_EMIT pickRequested(event->globalPosition());
    else if (event->button() == Qt::RightButton)
        Q_EMIT cancelRequested();
}

void ScreenOverlay::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        Q_EMIT cancelRequested();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Q_EMIT pickAtPointerRequested();
        break;
    case Qt::Key_Left:
        Q_EMIT nudgeRequested(QPoint(-1, 0));
        break;
    case Qt::Key_Right:
        Q_EMIT nudgeRequested(QPoint(1, 0));
        break;
    case Qt::Key_Up:
        Q_EMIT nudgeRequested(QPoint(0, -1));
        break;
    case Qt::Key_Down:
        Q_EMIT nudgeRequested(QPoint(0, 1));
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void ScreenOverlay::closeEvent(QCloseEvent* event) {
    // Closed from outside (a window manager's close button or shortcut): that means no pick, and the
    // session that owns the overlay takes it down.
    event->ignore();
    Q_EMIT cancelRequested();
}

} // namespace colorPicker::detail
