// The screen picker end to end on the offscreen platform: overlays, loupe, picking, cancelling, clean-up.
#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "colorPicker.h"
#include "frozenScreen.h"
#include "loupe.h"
#include "pickWay.h"
#include "screenOverlay.h"

using colorPicker::detail::PickWay;
using colorPicker::detail::ScreenOverlay;
using Overlays = QList<ScreenOverlay*>;
using Quadrants = std::array<QColor, 4>;

namespace {

// What the test windows show: four quadrants split at the middle device pixel, and a comb of one
// device pixel wide teeth on the odd device columns of the top rows. A second screen gets other colors.
const QColor kTopLeft(200, 40, 30);
const QColor kTopRight(20, 170, 60);
const QColor kBottomLeft(30, 60, 220);
const QColor kBottomRight(250, 230, 10);
const QColor kComb(90, 200, 210);
constexpr int kCombRows = 16;
const Quadrants kPrimaryQuadrants{kTopLeft, kTopRight, kBottomLeft, kBottomRight};
const Quadrants kOtherQuadrants{QColor(10, 10, 10), QColor(240, 240, 240), QColor(128, 0, 64),
                                QColor(0, 128, 128)};
// What PickColor finds in bytes it leaves alone.
constexpr std::uint8_t kSentinel = 77;

// A frameless window filling one screen with the pattern drawn in device pixels, so that what lies
// under each device pixel is known exactly at any scale.
class PatternWindow : public QWidget {
public:
    PatternWindow(QScreen* screen, const Quadrants& quadrants)
        : QWidget(nullptr, Qt::FramelessWindowHint)
        , quadrants_(quadrants) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setScreen(screen);
        setGeometry(screen->geometry());
    }

    void setQuadrants(const Quadrants& quadrants) {
        quadrants_ = quadrants;
        repaint();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const qreal ratio = devicePixelRatioF();
        QImage image((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
        const int width = image.width();
        const int height = image.height();
        QPainter painter(&image);
        painter.fillRect(0, 0, width / 2, height / 2, quadrants_[0]);
        painter.fillRect(width / 2, 0, width - width / 2, height / 2, quadrants_[1]);
        painter.fillRect(0, height / 2, width / 2, height - height / 2, quadrants_[2]);
        painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, quadrants_[3]);
        for (int x = 1; x < width; x += 2)
            painter.fillRect(x, 0, 1, kCombRows, kComb);
        painter.end();
        image.setDevicePixelRatio(ratio);
        QPainter(this).drawImage(QPoint(0, 0), image);
    }

private:
    Quadrants quadrants_;
};

Overlays visibleOverlays() {
    Overlays found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("colorPickerOverlay") && widget->isVisible())
            found.append(qobject_cast<ScreenOverlay*>(widget));
    }
    return found;
}

// The overlay on the primary screen, which is where the tests point unless they say otherwise.
ScreenOverlay* onPrimaryScreen(const Overlays& overlays) {
    for (ScreenOverlay* overlay : overlays) {
        if (overlay->geometry() == QGuiApplication::primaryScreen()->geometry())
            return overlay;
    }
    return nullptr;
}

// PickColor's return value and the three bytes, as "-1 200 40 30".
QString pickColorOutcome() {
    std::uint8_t red = kSentinel;
    std::uint8_t green = kSentinel;
    std::uint8_t blue = kSentinel;
    const int returned = PickColor(&red, &green, &blue);
    return QStringLiteral("%1 %2 %3 %4").arg(returned).arg(int(red)).arg(int(green)).arg(int(blue));
}

// What pickColorOutcome() gives for a pick of `color`, or for no pick when `color` is invalid.
QString picked(const QColor& color) {
    if (!color.isValid())
        return QStringLiteral("0 %1 %1 %1").arg(int(kSentinel));
    return QStringLiteral("-1 %1 %2 %3").arg(color.red()).arg(color.green()).arg(color.blue());
}

// Picks, running `action` from inside PickColor's event loop once an overlay covers every screen.
QString pickDriven(const std::function<void(const Overlays&)>& action) {
    bool ran = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const Overlays overlays = visibleOverlays();
        if (overlays.size() != QGuiApplication::screens().size() ||
            !std::all_of(overlays.begin(), overlays.end(), [](const ScreenOverlay* overlay) {
                return overlay->windowHandle() && overlay->windowHandle()->isExposed();
            }))
            return;
        timer.stop();
        ran = true;
        action(overlays);
        // A check that failed inside the action skipped the rest of it, possibly the input that ends
        // the pick; without this PickColor would wait for ever.
        if (QTest::currentTestFailed()) {
            for (const ScreenOverlay* overlay : visibleOverlays())
                QTest::keyClick(overlay->windowHandle(), Qt::Key_Escape);
        }
    });
    timer.start(10);
    const QString outcome = pickColorOutcome();
    return ran ? outcome : QStringLiteral("ended before the overlays were up: ") + outcome;
}

void clickAt(QWidget* overlay, QPoint position) {
    QTest::mouseMove(overlay->windowHandle(), position);
    QTest::mouseClick(overlay->windowHandle(), Qt::LeftButton, Qt::NoModifier, position);
}

QPoint primaryPoint(qreal xFraction, qreal yFraction) {
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    return {static_cast<int>(size.width() * xFraction), static_cast<int>(size.height() * yFraction)};
}

bool scaledByTwo() {
    return qFuzzyCompare(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
}

QColor colorInGrab(QWidget* widget, QPoint logicalPoint) {
    const QImage image = widget->grab().toImage();
    return image.pixelColor((QPointF(logicalPoint) * image.devicePixelRatio()).toPoint());
}

QColor onScreen(QScreen* screen, QPoint position) {
    return screen->grabWindow(0).toImage().pixelColor(position);
}

// The offscreen platform cannot grab input or raise windows and says so on every try; the picker
// still has to try, so these lines would only bury the test's own output.
void dropOffscreenLimits() {
    static const QtMessageHandler fallback =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (type != QtWarningMsg || !message.startsWith(QLatin1String("This plugin does not support")))
                fallback(type, context, message);
        });
}

} // namespace

class TestPicker : public QObject {
    Q_OBJECT
    std::vector<std::unique_ptr<PatternWindow>> windows_;

private slots:
    void initTestCase() {
        dropOffscreenLimits();
        for (QScreen* screen : QGuiApplication::screens()) {
            const bool primary = screen == QGuiApplication::primaryScreen();
            windows_.push_back(
                std::make_unique<PatternWindow>(screen, primary ? kPrimaryQuadrants : kOtherQuadrants));
            windows_.back()->show();
            QVERIFY(QTest::qWaitForWindowExposed(windows_.back().get()));
        }
        // The pattern must be on the screen before any pick grabs it.
        QTRY_COMPARE(onScreen(QGuiApplication::primaryScreen(), primaryPoint(0.25, 0.25)), kTopLeft);
    }

    void cleanupTestCase() { windows_.clear(); }

    // Nothing of a pick may outlive it.
    void cleanup() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            QVERIFY2(widget->objectName() != QLatin1String("colorPickerOverlay"),
                     "an overlay outlived the pick");
        QVERIFY(!QWidget::mouseGrabber());
        QVERIFY(!QWidget::keyboardGrabber());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void choosePickWay_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<PickWay>("way");
        QTest::newRow("X11") << "xcb"
                             << "" << PickWay::screenGrab;
        QTest::newRow("XWayland") << "xcb"
                                  << "wayland-0" << PickWay::portal;
        QTest::newRow("Wayland without WAYLAND_DISPLAY") << "wayland"
                                                         << "" << PickWay::portal;
        QTest::newRow("Wayland with EGL") << "wayland-egl"
                                          << "wayland-1" << PickWay::portal;
        QTest::newRow("offscreen inside a Wayland session") << "offscreen"
                                                            << "wayland-0" << PickWay::screenGrab;
    }

    void choosePickWay() {
        QFETCH(QString, platform);
        QFETCH(QString, waylandDisplay);
        QFETCH(PickWay, way);
        QCOMPARE(colorPicker::detail::choosePickWay(platform, waylandDisplay), way);
    }

    void placeLoupe_data() {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<QRect>("loupe");
        const QRect screen(0, 0, 800, 800);
        // A loupe of 130 x 170 and a gap of 20 between pointer and loupe.
        QTest::newRow("just fits below right") << QPoint(650, 610) << screen << QRect(670, 630, 130, 170);
        QTest::newRow("one pixel more flips left") << QPoint(651, 610) << screen << QRect(501, 630, 130, 170);
        QTest::newRow("bottom-right corner flips both")
            << QPoint(799, 799) << screen << QRect(649, 609, 130, 170);
        QTest::newRow("screen right of the primary")
            << QPoint(1000, 10) << QRect(800, 0, 800, 600) << QRect(1020, 30, 130, 170);
        QTest::newRow("screen smaller than the loupe")
            << QPoint(50, 50) << QRect(0, 0, 100, 100) << QRect(0, 0, 130, 170);
    }

    void placeLoupe() {
        QFETCH(QPoint, pointer);
        QFETCH(QRect, bounds);
        QFETCH(QRect, loupe);
        QCOMPARE(colorPicker::detail::kLoupeGap, 20);
        QCOMPARE(colorPicker::detail::placeLoupe(pointer, QSize(130, 170), bounds), loupe);
    }

    // The overlay's loupe text in loupeShowsThePixelsAroundThePointer covers upper-case hex letters.
    void loupeText_data() {
        QTest::addColumn<uint>("color");
        QTest::addColumn<QString>("text");
        QTest::newRow("leading zeros") << uint(qRgb(12, 34, 56)) << QStringLiteral("RGB 12, 34, 56\n#0C2238");
        QTest::newRow("alpha ignored") << uint(qRgba(1, 2, 3, 0)) << QStringLiteral("RGB 1, 2, 3\n#010203");
    }

    void loupeText() {
        QFETCH(uint, color);
        QFETCH(QString, text);
        QCOMPARE(colorPicker::detail::loupeText(color), text);
    }

    void devicePixelAt_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QPointF>("local");
        QTest::addColumn<QPoint>("pixel");
        // A grab of 200 x 100 device pixels.
        QTest::newRow("ratio 1, inside a pixel") << 1.0 << QPointF(10.9, 5.5) << QPoint(10, 5);
        QTest::newRow("ratio 2, second half of a point") << 2.0 << QPointF(10.5, 5.75) << QPoint(21, 11);
        QTest::newRow("past the far edge stays on the grab") << 2.0 << QPointF(100, 50) << QPoint(199, 99);
        QTest::newRow("before the near edge stays on the grab") << 1.0 << QPointF(-1, -0.5) << QPoint(0, 0);
    }

    void devicePixelAt() {
        QFETCH(qreal, ratio);
        QFETCH(QPointF, local);
        QFETCH(QPoint, pixel);
        QPixmap grab(200, 100);
        grab.setDevicePixelRatio(ratio);
        QCOMPARE(
            colorPicker::detail::FrozenScreen(QGuiApplication::primaryScreen(), grab).devicePixelAt(local),
            pixel);
    }

    void pick_data() {
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("button"); // clicked at `start` after the keys
        QTest::addColumn<QColor>("color");
        using Keys = QList<int>;
        const QSize size = QGuiApplication::primaryScreen()->geometry().size();
        const int midX = size.width() / 2;
        const int midY = size.height() / 2;
        const int click = Qt::LeftButton;
        QTest::newRow("click, last column of the left half")
            << QPoint(midX - 1, midY / 2) << Keys{} << click << kTopLeft;
        QTest::newRow("click, bottom-right corner pixel")
            << QPoint(size.width() - 1, size.height() - 1) << Keys{} << click << kBottomRight;
        // At scale 2, point (3, 5) covers device pixels 6 and 7 of row 10: the pixel under it is 6,
        // between teeth. Reading logical coordinates as device ones would hit tooth 3; a smoothly scaled
        // copy would blend tooth 7 in.
        QTest::newRow("click, comb tooth 3 at scale 1, between teeth at scale 2")
            << QPoint(3, 5) << Keys{} << click << (scaledByTwo() ? kTopLeft : kComb);
        QTest::newRow("right arrow into the right half, Enter")
            << QPoint(midX - 1, midY / 2) << Keys{Qt::Key_Right, Qt::Key_Enter} << 0 << kTopRight;
        QTest::newRow("left arrow into the left half, Return")
            << QPoint(midX, midY / 2) << Keys{Qt::Key_Left, Qt::Key_Return} << 0 << kTopLeft;
        QTest::newRow("down arrow into the bottom half")
            << QPoint(midX / 2, midY - 1) << Keys{Qt::Key_Down, Qt::Key_Return} << 0 << kBottomLeft;
        QTest::newRow("up arrow into the top half")
            << QPoint(midX / 2, midY) << Keys{Qt::Key_Up, Qt::Key_Return} << 0 << kTopLeft;
        QTest::newRow("Escape cancels") << primaryPoint(0.25, 0.25) << Keys{Qt::Key_Escape} << 0 << QColor();
        QTest::newRow("right click cancels")
            << primaryPoint(0.25, 0.25) << Keys{} << int(Qt::RightButton) << QColor();
    }

    void pick() {
        QFETCH(QPoint, start);
        QFETCH(QList<int>, keys);
        QFETCH(int, button);
        QFETCH(QColor, color);
        const QString outcome = pickDriven([&](const Overlays& overlays) {
            QWindow* window = onPrimaryScreen(overlays)->windowHandle();
            QTest::mouseMove(window, start);
            for (const int key : keys)
                QTest::keyClick(window, Qt::Key(key));
            if (button != 0)
                QTest::mouseClick(window, Qt::MouseButton(button), Qt::NoModifier, start);
        });
        QCOMPARE(outcome, picked(color));
    }

    // The overlays take keyboard, mouse and cursor, and give them back: cleanup() checks the grabs, this
    // the override cursor the host had set.
    void overlaysCoverEveryScreenAndTakeInput() {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const QString outcome = pickDriven([&](const Overlays& overlays) {
            QSet<QScreen*> covered;
            for (const ScreenOverlay* overlay : overlays) {
                QCOMPARE(overlay->geometry(), overlay->screen()->geometry());
                covered.insert(overlay->screen());
                QVERIFY(overlay->isFullScreen());
                QVERIFY(overlay->windowFlags().testFlag(Qt::FramelessWindowHint));
                QVERIFY(overlay->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            }
            QCOMPARE(covered.size(), QGuiApplication::screens().size());
            QVERIFY(overlays.contains(qobject_cast<ScreenOverlay*>(QWidget::mouseGrabber())));
            QCOMPARE(QWidget::keyboardGrabber(), QWidget::mouseGrabber());
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
            // The overlay shows the frozen screen, not a blank window.
            QCOMPARE(colorInGrab(onPrimaryScreen(overlays), primaryPoint(0.25, 0.75)), kBottomLeft);
            QTest::keyClick(onPrimaryScreen(overlays)->windowHandle(), Qt::Key_Escape);
        });
        const QCursor* afterwards = QGuiApplication::overrideCursor();
        const Qt::CursorShape shape = afterwards ? afterwards->shape() : Qt::BlankCursor;
        QGuiApplication::restoreOverrideCursor();
        QCOMPARE(outcome, picked(QColor()));
        QCOMPARE(shape, Qt::WaitCursor);
    }

    void loupeShowsThePixelsAroundThePointer() {
        const QPoint position(primaryPoint(0.5, 0.25) - QPoint(1, 0));
        const QString outcome = pickDriven([&](const Overlays& overlays) {
            ScreenOverlay* overlay = onPrimaryScreen(overlays);
            const auto cell = [overlay](int column, int row) {
                return colorInGrab(
                    overlay, colorPicker::detail::loupeCellRect(overlay->loupeRect(), column, row).center());
            };
            QTest::mouseMove(overlay->windowHandle(), position);
            QVERIFY(overlay->loupeShown());
            QVERIFY(overlay->rect().contains(overlay->loupeRect()));
            QVERIFY(!overlay->loupeRect().contains(position));
            // The pointer sits on the last point of the left half. At scale 1 that is the last device
            // column, so the next cell shows the right half; at scale 2 the point's second column comes
            // first.
            const int firstRightCell = scaledByTwo() ? 9 : 8;
            QCOMPARE(cell(7, 7), kTopLeft);
            QCOMPARE(cell(firstRightCell - 1, 7), kTopLeft);
            QCOMPARE(cell(firstRightCell, 7), kTopRight);
            QCOMPARE(cell(14, 0), kTopRight);
            QCOMPARE(overlay->loupeText(), QStringLiteral("RGB 200, 40, 30\n#C8281E"));
            QCOMPARE(overlay->property("loupeText").toString(), overlay->loupeText());

            QTest::keyClick(overlay->windowHandle(), Qt::Key_Right);
            QCOMPARE(cell(7, 7), kTopRight);
            QCOMPARE(cell(6, 7), kTopLeft);
            QCOMPARE(overlay->loupeText(), QStringLiteral("RGB 20, 170, 60\n#14AA3C"));

            // In the comb the loupe shows single device pixels.
            QTest::mouseMove(overlay->windowHandle(), QPoint(3, 5));
            QCOMPARE(cell(7, 7), scaledByTwo() ? kTopLeft : kComb);
            QCOMPARE(cell(8, 7), scaledByTwo() ? kComb : kTopLeft);
            QTest::keyClick(onPrimaryScreen(overlays)->windowHandle(), Qt::Key_Escape);
        });
        QCOMPARE(outcome, picked(QColor()));
    }

    // What changes on the screen after the pick started is not what the user is looking at.
    void picksFromTheFrozenScreen() {
        const QPoint position = primaryPoint(0.25, 0.25);
        const QString outcome = pickDriven([&](const Overlays& overlays) {
            windows_.front()->setQuadrants({kBottomRight, kBottomRight, kBottomRight, kBottomRight});
            clickAt(onPrimaryScreen(overlays), position);
        });
        windows_.front()->setQuadrants(kPrimaryQuadrants);
        QCOMPARE(outcome, picked(kTopLeft));
        QTRY_COMPARE(onScreen(QGuiApplication::primaryScreen(), position), kTopLeft);
    }

    void secondPickDuringAPickIsRefused() {
        QString inner;
        const QString outer = pickDriven([&](const Overlays& overlays) {
            inner = pickColorOutcome();
            QCOMPARE(visibleOverlays().size(), QGuiApplication::screens().size());
            clickAt(onPrimaryScreen(overlays), primaryPoint(0.75, 0.25));
        });
        QCOMPARE(inner, picked(QColor()));
        QCOMPARE(outer, picked(kTopRight));
    }

    void pointerOnTheSecondScreen() {
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screens.size() < 2)
            QSKIP("needs a second screen (tst_picker_twoscreens)");
        const QPoint position(30, 40);
        // What the platform shows there, read independently of the picker.
        const QColor expected = onScreen(screens.at(1), position);
        const QString outcome = pickDriven([&](const Overlays& overlays) {
            ScreenOverlay* first = onPrimaryScreen(overlays);
            ScreenOverlay* other = overlays.at(0) == first ? overlays.at(1) : overlays.at(0);
            QCOMPARE(other->geometry(), screens.at(1)->geometry());
            QTest::mouseMove(other->windowHandle(), position);
            QVERIFY(other->loupeShown());
            QVERIFY(!first->loupeShown());
            QCOMPARE(other->pointerPixel(), position);
            // Placed in the overlay's own coordinates, not the virtual desktop's.
            QCOMPARE(other->loupeRect().topLeft(), position + QPoint(20, 20));
            QTest::mouseMove(first->windowHandle(), position);
            QVERIFY(first->loupeShown());
            QVERIFY(!other->loupeShown());
            QTest::mouseClick(other->windowHandle(), Qt::LeftButton, Qt::NoModifier, position);
        });
        QCOMPARE(outcome, picked(expected));
    }
};

QTEST_MAIN(TestPicker)
#include "tst_picker.moc"
