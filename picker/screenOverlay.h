// One screen's frozen image shown full screen while the user points at a pixel, with the loupe on top.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QWidget>

#include "frozenScreen.h"

namespace colorPicker::detail {

// Shows what the screen looked like and turns the user's input into requests. The session that owns
// the overlays decides what they mean: with several screens one overlay holds the grab and receives
// input for all of them, so positions leave as global positions.
class ScreenOverlay : public QWidget {
    Q_OBJECT
    // Readable by name, so that a caller holding only the loaded library can look at the loupe.
    Q_PROPERTY(QString loupeText READ loupeText)
    Q_PROPERTY(QRect loupeRect READ loupeRect)

public:
    explicit ScreenOverlay(const FrozenScreen& frozen);

    const FrozenScreen& frozenScreen() const { return frozen_; }

    // Shows the loupe for the pointer at `localPosition`, logical and relative to this overlay.
    void showLoupeAt(QPointF localPosition);
    void hideLoupe();

    bool loupeShown() const { return loupeShown_; }
    // Where the loupe is drawn, in this overlay's coordinates; null while it is hidden.
    QRect loupeRect() const { return loupeShown_ ? loupeRect_ : QRect(); }
    // The loupe's text, "RGB r, g, b" and "#RRGGBB" on two lines; empty while it is hidden.
    QString loupeText() const;
    // The device pixel of the grab under the pointer while the loupe is shown.
    QPoint pointerPixel() const { return pointerPixel_; }

Q_SIGNALS:
    void pointerMoved(QPointF globalPosition);
    void pickRequested(QPointF globalPosition);
    void pickAtPointerRequested();
    void nudgeRequested(QPoint step);
    void cancelRequested();
    // The window system shows the overlay by now, so it can take the keyboard and mouse.
    void firstPainted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    FrozenScreen frozen_;
    bool loupeShown_ = false;
    QRect loupeRect_;
    QPoint pointerPixel_;
    bool painted_ = false;
};

} // namespace colorPicker::detail
