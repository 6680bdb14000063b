// Placing and drawing the magnifier.
#include "loupe.h"

#include <algorithm>

namespace colorPicker::detail {

namespace {

constexpr int kFrame = 1;
constexpr int kTextPadding = 4;
constexpr int kGridSide = kLoupeCells * kLoupeCellSize;
constexpr int kCenterCell = kLoupeCells / 2;

const QColor kPanelColor(24, 24, 24);
const QColor kTextColor(240, 240, 240);
const QColor kGridColor(128, 128, 128, 110);
const QColor kOffScreenColor(80, 80, 80);

// The widest text the loupe ever shows, so that its size does not jump while the pointer moves.
const QString kWidestText = QStringLiteral("RGB 255, 255, 255");

QRect gridRect(QRect loupe) {
    return {loupe.left() + (loupe.width() - kGridSide) / 2, loupe.top() + kFrame, kGridSide, kGridSide};
}

int keptInside(int start, int length, int boundsStart, int boundsLength) {
    return std::clamp(start, boundsStart, std::max(boundsStart, boundsStart + boundsLength - length));
}

void paintCells(QPainter& painter, QRect loupe, const FrozenScreen& screen, QPoint center) {
    for (int row = 0; row < kLoupeCells; ++row) {
        for (int column = 0; column < kLoupeCells; ++column) {
            const QPoint pixel = center + QPoint(column - kCenterCell, row - kCenterCell);
            const QRect cell = loupeCellRect(loupe, column, row);
            // Beyond the screen's edge there is nothing to show; a hatch says so without looking like
            // a color that could be picked.
            if (screen.hasPixel(pixel))
                painter.fillRect(cell, QColor::fromRgb(screen.pixel(pixel)));
            else
                painter.fillRect(cell, QBrush(kOffScreenColor, Qt::BDiagPattern));
        }
    }
}

void paintGrid(QPainter& painter, QRect grid) {
    painter.setPen(kGridColor);
    for (int line = 1; line < kLoupeCells; ++line) {
        const int x = grid.left() + line * kLoupeCellSize;
        const int y = grid.top() + line * kLoupeCellSize;
        painter.drawLine(x, grid.top(), x, grid.bottom());
        painter.drawLine(grid.left(), y, grid.right(), y);
    }
}

// Black inside white, so that the mark shows on any color.
void markCenter(QPainter& painter, QRect loupe) {
    const QRect cell = loupeCellRect(loupe, kCenterCell, kCenterCell);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
    painter.drawRect(cell.adjusted(-1, -1, 0, 0));
    painter.setPen(Qt::white);
    painter.drawRect(cell.adjusted(-2, -2, 1, 1));
}

} // namespace

QSize loupeSize(const QFontMetrics& metrics) {
    const int textWidth = metrics.horizontalAdvance(kWidestText) + 2 * kTextPadding;
    const int width = std::max(kGridSide + 2 * kFrame, textWidth);
    const int textHeight = 2 * metrics.height() + 2 * kTextPadding;
    return {width, kFrame + kGridSide + textHeight + kFrame};
}

QRect placeLoupe(QPoint pointer, QSize size, QRect bounds) {
    int x = pointer.x() + kLoupeGap;
    int y = pointer.y() + kLoupeGap;
    if (x + size.width() > bounds.x() + bounds.width())
        x = pointer.x() - kLoupeGap - size.width();
    if (y + size.height() > bounds.y() + bounds.height())
        y = pointer.y() - kLoupeGap - size.height();
    // Flipping is not enough on a screen narrower than the loupe plus the gap on either side.
    x = keptInside(x, size.width(), bounds.x(), bounds.width());
    y = keptInside(y, size.height(), bounds.y(), bounds.height());
    return {QPoint(x, y), size};
}

QRect loupeCellRect(QRect loupe, int column, int row) {
    const QRect grid = gridRect(loupe);
    return {grid.left() + column * kLoupeCellSize, grid.top() + row * kLoupeCellSize, kLoupeCellSize,
            kLoupeCellSize};
}

QString loupeText(QRgb color) {
    const QString hex = QStringLiteral("%1").arg(color & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("RGB %1, %2, %3\n#%4")
        .arg(QString::number(qRed(color)), QString::number(qGreen(color)), QString::number(qBlue(color)),
             hex);
}

void paintLoupe(QPainter& painter, QRect loupe, const FrozenScreen& screen, QPoint center) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(loupe, kPanelColor);
    paintCells(painter, loupe, screen, center);
    paintGrid(painter, gridRect(loupe));
    markCenter(painter, loupe);

    const QRect grid = gridRect(loupe);
    const QRect textArea(loupe.left(), grid.bottom() + 1, loupe.width(), loupe.bottom() - grid.bottom());
    painter.setPen(kTextColor);
    painter.drawText(textArea, Qt::AlignCenter,
                     loupeText(screen.hasPixel(center) ? screen.pixel(center) : 0));
    painter.restore();
}

} // namespace colorPicker::detail
