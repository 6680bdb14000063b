// The magnifier beside the pointer: where it goes, where its cells are, and how it is drawn.
#pragma once

#include <QFontMetrics>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QSize>
#include <QString>

#include "frozenScreen.h"

namespace colorPicker::detail {

// Odd, so that the middle cell is the pixel under the pointer.
constexpr int kLoupeCells = 15;
// Logical pixels per magnified device pixel.
constexpr int kLoupeCellSize = 8;
// Between the pointer and the loupe's nearest corner, so the loupe never hides what is pointed at.
constexpr int kLoupeGap = 20;

// The loupe's size when its text is drawn with `metrics`.
QSize loupeSize(const QFontMetrics& metrics);

// Where a loupe of `size` goes for the pointer at `pointer`, both in the coordinates of `bounds`: below
// and right of the pointer, flipped to the left or above where it would leave `bounds`, and kept
// inside `bounds`.
QRect placeLoupe(QPoint pointer, QSize size, QRect bounds);

// The cell of a loupe placed at `loupe` that shows the pixel `column` cells right and `row` cells down
// from the top-left magnified pixel.
QRect loupeCellRect(QRect loupe, int column, int row);

// The lines under the magnified pixels: "RGB r, g, b" and "#RRGGBB".
QString loupeText(QRgb color);

// Draws the loupe at `loupe`: the device pixels of `screen` around `center` enlarged with a thin grid,
// the center cell framed, and the center color's text.
void paintLoupe(QPainter& painter, QRect loupe, const FrozenScreen& screen, QPoint center);

} // namespace colorPicker::detail
