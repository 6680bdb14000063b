// The screen picker end to end on the offscreen platform: overlays, loupe, picking, cancelling, clean-up.
#include <QApplication>
#include <QCursor>
#include <QLibrary>
#include <QPainter>
#include <QScreen>
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

using colorPicker::detail::ScreenOverlay;

namespace {

// What the test windows show: four quadrants split at the middle device pixel, and a comb of one
// device pixel wide teeth on the odd device columns of the top rows.
const QColor kTopLeft(200, 40, 30);
const QColor kTopRight(20, 170, 60);
const QColor kBottomLeft(30, 60, 220);
const QColor kBottomRight(250, 230, 10);
const QColor kComb(90, 200, 210);
constexpr int kCombRows = 16;
// The second screen, where there is one, gets other colors.
const std::array<QColor, 4> kSecondScreenQuadrants{QColor(10, 10, 10), QColor(240, 240, 240),
                                                   QColor(128, 0, 64), QColor(0, 128, 128)};

constexpr std::uint8_t kSentinel = 77;

using PickColorFunction = std::int16_t (*)(std::uint8_t*, std::uint8_t*, std::uint8_t*);

// A frameless window filling one screen with a pattern drawn in device pixels, so that what lies under
// each device pixel is known exactly at any scale.
class PatternWindow : public QWidget {
public:
    PatternWindow(QScreen* screen, const std::array<QColor, 4>& quadrants)
        : QWidget(nullptr, Qt::FramelessWindowHint)
        , quadrants_(quadrants) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setScreen(screen);
        setGeometry(screen->geometry());
    }

    void setQuadrants(const std::array<QColor, 4>& quadrants) {
        quadrants_ = quadrants;
        update();
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
    std::array<QColor, 4> quadrants_;
};

QList<QWidget*> visibleOverlayWidgets() {
    QList<QWidget*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("colorPickerOverlay") && widget->isVisible())
            found.append(widget);
    }
    return found;
}

QList<ScreenOverlay*> visibleOverlays() {
    QList<ScreenOverlay*> found;
    for (QWidget* widget : visibleOverlayWidgets()) {
        if (auto* overlay = qobject_cast<ScreenOverlay*>(widget))
            found.append(overlay);
    }
    return found;
}

// Runs `action` from inside PickColor's event loop once an overlay covers every screen: PickColor only
// returns when the pick is over, so the test has to act from a timer.
class OverlayDriver {
public:
    explicit OverlayDriver(std::function<void(const QList<QWidget*>&)> action)
        : action_(std::move(action)) {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { poll(); });
        timer_.start(10);
    }

    bool ran() const { return ran_; }

private:
    void poll() {
        const QList<QWidget*> overlays = visibleOverlayWidgets();
        if (overlays.size() != QGuiApplication::screens().size())
            return;
        for (QWidget* overlay : overlays) {
            if (!overlay->windowHandle() || !overlay->windowHandle()->isExposed())
                return;
        }
        timer_.stop();
        ran_ = true;
        action_(overlays);
        // A check that failed inside the action skipped the rest of it, possibly the input that ends
        // the pick; without this PickColor would wait for ever.
        if (QTest::currentTestFailed()) {
            for (QWidget* overlay : visibleOverlayWidgets())
                QTest::keyClick(overlay->windowHandle(), Qt::Key_Escape);
        }
    }

    std::function<void(const QList<QWidget*>&)> action_;
    QTimer timer_;
    bool ran_ = false;
};

// The overlay on the primary screen, which is where the tests point unless they say otherwise.
template <typename Overlay> Overlay* onPrimaryScreen(const QList<Overlay*>& overlays) {
    for (Overlay* overlay : overlays) {
        if (overlay->geometry() == QGuiApplication::primaryScreen()->geometry())
            return overlay;
    }
    return nullptr;
}

struct PickResult {
    std::int16_t returned = 0;
    std::uint8_t red = kSentinel;
    std::uint8_t green = kSentinel;
    std::uint8_t blue = kSentinel;
    bool driven = false;
};

PickResult pickDriven(PickColorFunction pickColor, std::function<void(const QList<QWidget*>&)> action) {
    OverlayDriver driver(std::move(action));
    PickResult result;
    result.returned = pickColor(&result.red, &result.green, &result.blue);
    result.driven = driver.ran();
    return result;
}

PickResult pickDriven(std::function<void(const QList<QWidget*>&)> action) {
    return pickDriven(&PickColor, std::move(action));
}

QPoint primaryPoint(qreal xFraction, qreal yFraction) {
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    return {static_cast<int>(size.width() * xFraction), static_cast<int>(size.height() * yFraction)};
}

QColor colorInGrab(QWidget* widget, QPoint logicalPoint) {
    const QImage image = widget->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    return image.pixelColor((QPointF(logicalPoint) * ratio).toPoint());
}

// The offscreen platform cannot grab input or raise windows and says so on every try; the picker
// still has to try, so these lines would only bury the test's own output.
QtMessageHandler defaultMessageHandler = nullptr;

void dropOffscreenLimits(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    defaultMessageHandler(type, context, message);
}

} // namespace

class TestPicker : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void choosePickWay_data();
    void choosePickWay();
    void placeLoupe_data();
    void placeLoupe();
    void loupeText_data();
    void loupeText();
    void devicePixelAt_data();
    void devicePixelAt();

    void leftClickPicksThePixel_data();
    void leftClickPicksThePixel();
    void keysMoveThePointerAndPick_data();
    void keysMoveThePointerAndPick();
    void cancelLeavesTheBytesAlone_data();
    void cancelLeavesTheBytesAlone();
    void overlayCoversEveryScreenAndTakesInput();
    void loupeShowsThePixelsAroundThePointer();
    void loupeStaysOnTheScreenAtItsEdges();
    void picksFromTheFrozenScreen();
    void hostOverrideCursorComesBack();
    void secondPickDuringAPickIsRefused();
    void pointerOnTheSecondScreen();
    void sharedLibraryPicksThroughQLibrary();

private:
    void verifyNothingLeftBehind();

    std::vector<std::unique_ptr<PatternWindow>> windows_;
};

void TestPicker::initTestCase() {
    defaultMessageHandler = qInstallMessageHandler(dropOffscreenLimits);
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const auto quadrants = i == 0 ? std::array<QColor, 4>{kTopLeft, kTopRight, kBottomLeft, kBottomRight}
                                      : kSecondScreenQuadrants;
        windows_.push_back(std::make_unique<PatternWindow>(screens[i], quadrants));
        windows_.back()->show();
        QVERIFY(QTest::qWaitForWindowExposed(windows_.back().get()));
    }
    // The pattern must be on the screen before any pick grabs it.
    QTRY_COMPARE(
        QGuiApplication::primaryScreen()->grabWindow(0).toImage().pixelColor(primaryPoint(0.25, 0.25)),
        kTopLeft);
}

void TestPicker::cleanupTestCase() {
    windows_.clear();
    qInstallMessageHandler(defaultMessageHandler);
}

void TestPicker::cleanup() {
    verifyNothingLeftBehind();
}

void TestPicker::verifyNothingLeftBehind() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY2(widget->objectName() != QLatin1String("colorPickerOverlay"), "an overlay outlived the pick");
    QVERIFY(!QWidget::mouseGrabber());
    QVERIFY(!QWidget::keyboardGrabber());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestPicker::choosePickWay_data() {
    using colorPicker::detail::PickWay;
    QTest::addColumn<QString>("platform");
    QTest::addColumn<QString>("waylandDisplay");
    QTest::addColumn<PickWay>("way");
    QTest::newRow("X11") << QStringLiteral("xcb") << QString() << PickWay::screenGrab;
    QTest::newRow("XWayland") << QStringLiteral("xcb") << QStringLiteral("wayland-0") << PickWay::portal;
    QTest::newRow("Wayland") << QStringLiteral("wayland") << QStringLiteral("wayland-0") << PickWay::portal;
    QTest::newRow("Wayland with EGL")
        << QStringLiteral("wayland-egl") << QStringLiteral("wayland-1") << PickWay::portal;
    QTest::newRow("Wayland without WAYLAND_DISPLAY")
        << QStringLiteral("wayland") << QString() << PickWay::portal;
    QTest::newRow("offscreen inside a Wayland session")
        << QStringLiteral("offscreen") << QStringLiteral("wayland-0") << PickWay::screenGrab;
    QTest::newRow("Windows") << QStringLiteral("windows") << QString() << PickWay::screenGrab;
    QTest::newRow("macOS") << QStringLiteral("cocoa") << QString() << PickWay::screenGrab;
}

void TestPicker::choosePickWay() {
    using colorPicker::detail::PickWay;
    QFETCH(QString, platform);
    QFETCH(QString, waylandDisplay);
    QFETCH(PickWay, way);
    QCOMPARE(colorPicker::detail::choosePickWay(platform, waylandDisplay), way);
}

void TestPicker::placeLoupe_data() {
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QRect>("bounds");
    QTest::addColumn<QRect>("loupe");
    const QRect screen(0, 0, 800, 800);
    // A loupe of 130 x 170 and a gap of 20 between pointer and loupe.
    QTest::newRow("below right in the middle") << QPoint(400, 400) << screen << QRect(420, 420, 130, 170);
    QTest::newRow("top-left corner") << QPoint(0, 0) << screen << QRect(20, 20, 130, 170);
    QTest::newRow("just fits on the right") << QPoint(650, 100) << screen << QRect(670, 120, 130, 170);
    QTest::newRow("one pixel more flips left") << QPoint(651, 100) << screen << QRect(501, 120, 130, 170);
    QTest::newRow("near the bottom flips up") << QPoint(100, 700) << screen << QRect(120, 510, 130, 170);
    QTest::newRow("bottom-right corner flips both")
        << QPoint(799, 799) << screen << QRect(649, 609, 130, 170);
    QTest::newRow("screen right of the primary")
        << QPoint(1590, 10) << QRect(800, 0, 800, 600) << QRect(1440, 30, 130, 170);
    QTest::newRow("screen smaller than the loupe")
        << QPoint(50, 50) << QRect(0, 0, 100, 100) << QRect(0, 0, 130, 170);
}

void TestPicker::placeLoupe() {
    QFETCH(QPoint, pointer);
    QFETCH(QRect, bounds);
    QFETCH(QRect, loupe);
    QCOMPARE(colorPicker::detail::kLoupeGap, 20);
    QCOMPARE(colorPicker::detail::placeLoupe(pointer, QSize(130, 170), bounds), loupe);
}

void TestPicker::loupeText_data() {
    QTest::addColumn<uint>("color");
    QTest::addColumn<QString>("text");
    QTest::newRow("mixed") << uint(qRgb(12, 34, 56)) << QStringLiteral("RGB 12, 34, 56\n#0C2238");
    QTest::newRow("black") << uint(qRgb(0, 0, 0)) << QStringLiteral("RGB 0, 0, 0\n#000000");
    QTest::newRow("white") << uint(qRgb(255, 255, 255)) << QStringLiteral("RGB 255, 255, 255\n#FFFFFF");
    QTest::newRow("hex letters upper case")
        << uint(qRgb(171, 205, 239)) << QStringLiteral("RGB 171, 205, 239\n#ABCDEF");
    QTest::newRow("alpha ignored") << uint(qRgba(1, 2, 3, 0)) << QStringLiteral("RGB 1, 2, 3\n#010203");
}

void TestPicker::loupeText() {
    QFETCH(uint, color);
    QFETCH(QString, text);
    QCOMPARE(colorPicker::detail::loupeText(color), text);
}

void TestPicker::devicePixelAt_data() {
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QPointF>("local");
    QTest::addColumn<QPoint>("pixel");
    // A grab of 200 x 100 device pixels.
    QTest::newRow("ratio 1, whole position") << 1.0 << QPointF(10, 5) << QPoint(10, 5);
    QTest::newRow("ratio 1, inside a pixel") << 1.0 << QPointF(10.9, 5.5) << QPoint(10, 5);
    QTest::newRow("ratio 2, whole position") << 2.0 << QPointF(10, 5) << QPoint(20, 10);
    QTest::newRow("ratio 2, second half of a point") << 2.0 << QPointF(10.5, 5.75) << QPoint(21, 11);
    QTest::newRow("ratio 2, last pixel") << 2.0 << QPointF(99.99, 49.99) << QPoint(199, 99);
    QTest::newRow("ratio 1.5") << 1.5 << QPointF(3.34, 1) << QPoint(5, 1);
    QTest::newRow("past the far edge stays on the grab") << 2.0 << QPointF(100, 50) << QPoint(199, 99);
    QTest::newRow("before the near edge stays on the grab") << 1.0 << QPointF(-1, -0.5) << QPoint(0, 0);
}

void TestPicker::devicePixelAt() {
    QFETCH(qreal, ratio);
    QFETCH(QPointF, local);
    QFETCH(QPoint, pixel);
    QPixmap grab(200, 100);
    grab.setDevicePixelRatio(ratio);
    const colorPicker::detail::FrozenScreen frozen(QGuiApplication::primaryScreen(), grab);
    QCOMPARE(frozen.devicePixelAt(local), pixel);
}

void TestPicker::leftClickPicksThePixel_data() {
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QColor>("color");
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    const int midX = size.width() / 2;
    const int midY = size.height() / 2;
    QTest::newRow("top-left quadrant") << primaryPoint(0.25, 0.25) << kTopLeft;
    QTest::newRow("top-right quadrant") << primaryPoint(0.75, 0.25) << kTopRight;
    QTest::newRow("bottom-left quadrant") << primaryPoint(0.25, 0.75) << kBottomLeft;
    QTest::newRow("bottom-right quadrant") << primaryPoint(0.75, 0.75) << kBottomRight;
    QTest::newRow("last column of the left half") << QPoint(midX - 1, midY / 2) << kTopLeft;
    QTest::newRow("first column of the right half") << QPoint(midX, midY / 2) << kTopRight;
    QTest::newRow("last row of the top half") << QPoint(midX / 2, midY - 1) << kTopLeft;
    QTest::newRow("first row of the bottom half") << QPoint(midX / 2, midY) << kBottomLeft;
    QTest::newRow("bottom-right corner pixel") << QPoint(size.width() - 1, size.height() - 1) << kBottomRight;
    if (qFuzzyCompare(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.0)) {
        QTest::newRow("a comb tooth") << QPoint(3, 5) << kComb;
        QTest::newRow("between comb teeth") << QPoint(4, 5) << kTopLeft;
    } else if (qFuzzyCompare(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0)) {
        // Point (3, 5) covers device pixels 6 and 7 of row 10: the pixel under it is 6, between teeth.
        // Reading logical coordinates as device ones would hit tooth 3; a smoothly scaled copy would
        // blend tooth 7 in.
        QTest::newRow("device pixel between two teeth") << QPoint(3, 5) << kTopLeft;
        QTest::newRow("another one") << QPoint(1, 1) << kTopLeft;
    }
}

void TestPicker::leftClickPicksThePixel() {
    QFETCH(QPoint, position);
    QFETCH(QColor, color);
    const PickResult result = pickDriven([&](const QList<QWidget*>& overlays) {
        QWindow* window = onPrimaryScreen(overlays)->windowHandle();
        QTest::mouseMove(window, position);
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, position);
    });
    QVERIFY(result.driven);
    QCOMPARE(result.returned, std::int16_t(-1));
    QCOMPARE(QColor(result.red, result.green, result.blue), color);
}

void TestPicker::keysMoveThePointerAndPick_data() {
    QTest::addColumn<QPoint>("start");
    QTest::addColumn<int>("arrow");
    QTest::addColumn<int>("pickKey");
    QTest::addColumn<QColor>("color");
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    const int midX = size.width() / 2;
    const int midY = size.height() / 2;
    QTest::newRow("right arrow into the right half, Enter")
        << QPoint(midX - 1, midY / 2) << int(Qt::Key_Right) << int(Qt::Key_Enter) << kTopRight;
    QTest::newRow("left arrow into the left half, Return")
        << QPoint(midX, midY / 2) << int(Qt::Key_Left) << int(Qt::Key_Return) << kTopLeft;
    QTest::newRow("down arrow into the bottom half")
        << QPoint(midX / 2, midY - 1) << int(Qt::Key_Down) << int(Qt::Key_Return) << kBottomLeft;
    QTest::newRow("up arrow into the top half")
        << QPoint(midX / 2, midY) << int(Qt::Key_Up) << int(Qt::Key_Return) << kTopLeft;
    QTest::newRow("Enter without moving")
        << primaryPoint(0.75, 0.75) << 0 << int(Qt::Key_Enter) << kBottomRight;
}

void TestPicker::keysMoveThePointerAndPick() {
    QFETCH(QPoint, start);
    QFETCH(int, arrow);
    QFETCH(int, pickKey);
    QFETCH(QColor, color);
    const PickResult result = pickDriven([&](const QList<QWidget*>& overlays) {
        QWindow* window = onPrimaryScreen(overlays)->windowHandle();
        QTest::mouseMove(window, start);
        if (arrow != 0)
            QTest::keyClick(window, Qt::Key(arrow));
        QTest::keyClick(window, Qt::Key(pickKey));
    });
    QVERIFY(result.driven);
    QCOMPARE(result.returned, std::int16_t(-1));
    QCOMPARE(QColor(result.red, result.green, result.blue), color);
}

void TestPicker::cancelLeavesTheBytesAlone_data() {
    QTest::addColumn<bool>("rightClick");
    QTest::newRow("Escape") << false;
    QTest::newRow("right click") << true;
}

void TestPicker::cancelLeavesTheBytesAlone() {
    QFETCH(bool, rightClick);
    const QPoint position = primaryPoint(0.25, 0.25);
    const PickResult result = pickDriven([&](const QList<QWidget*>& overlays) {
        QWindow* window = onPrimaryScreen(overlays)->windowHandle();
        QTest::mouseMove(window, position);
        if (rightClick)
            QTest::mouseClick(window, Qt::RightButton, Qt::NoModifier, position);
        else
            QTest::keyClick(window, Qt::Key_Escape);
    });
    QVERIFY(result.driven);
    QVERIFY(result.returned != -1);
    QCOMPARE(result.red, kSentinel);
    QCOMPARE(result.green, kSentinel);
    QCOMPARE(result.blue, kSentinel);
}

void TestPicker::overlayCoversEveryScreenAndTakesInput() {
    const PickResult result = pickDriven([&](const QList<QWidget*>& widgets) {
        const QList<ScreenOverlay*> overlays = visibleOverlays();
        QCOMPARE(overlays.size(), QGuiApplication::screens().size());
        for (QScreen* screen : QGuiApplication::screens()) {
            const auto covering =
                std::count_if(overlays.begin(), overlays.end(), [&](const ScreenOverlay* overlay) {
                    return overlay->geometry() == screen->geometry() && overlay->screen() == screen;
                });
            QCOMPARE(covering, 1);
        }
        for (const ScreenOverlay* overlay : overlays) {
            QVERIFY(overlay->isFullScreen());
            QVERIFY(overlay->windowFlags().testFlag(Qt::FramelessWindowHint));
            QVERIFY(overlay->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        }
        QVERIFY(overlays.contains(qobject_cast<ScreenOverlay*>(QWidget::mouseGrabber())));
        QCOMPARE(QWidget::keyboardGrabber(), QWidget::mouseGrabber());
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
        // The overlay shows the frozen screen, not a blank window.
        QCOMPARE(colorInGrab(onPrimaryScreen(overlays), primaryPoint(0.25, 0.75)), kBottomLeft);
        QTest::keyClick(onPrimaryScreen(widgets)->windowHandle(), Qt::Key_Escape);
    });
    QVERIFY(result.driven);
    QVERIFY(result.returned != -1);
}

void TestPicker::loupeShowsThePixelsAroundThePointer() {
    using colorPicker::detail::loupeCellRect;
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    const QPoint position(size.width() / 2 - 1, size.height() / 4);
    const PickResult result = pickDriven([&](const QList<QWidget*>&) {
        ScreenOverlay* overlay = onPrimaryScreen(visibleOverlays());
        QTest::mouseMove(overlay->windowHandle(), position);
        QVERIFY(overlay->loupeShown());
        const QRect loupe = overlay->loupeRect();
        QVERIFY(overlay->rect().contains(loupe));
        QVERIFY(!loupe.contains(position));
        // The pointer sits on the last point of the left half. At scale 1 that is the last device column,
        // so the next cell shows the right half; at scale 2 the point's second device column comes first.
        const qreal ratio = overlay->frozenScreen().pixmap().devicePixelRatio();
        const int firstRightCell = qFuzzyCompare(ratio, 2.0) ? 9 : 8;
        QCOMPARE(colorInGrab(overlay, loupeCellRect(loupe, 7, 7).center()), kTopLeft);
        QCOMPARE(colorInGrab(overlay, loupeCellRect(loupe, 6, 7).center()), kTopLeft);
        QCOMPARE(colorInGrab(overlay, loupeCellRect(loupe, firstRightCell - 1, 7).center()), kTopLeft);
        QCOMPARE(colorInGrab(overlay, loupeCellRect(loupe, firstRightCell, 7).center()), kTopRight);
        QCOMPARE(colorInGrab(overlay, loupeCellRect(loupe, 14, 0).center()), kTopRight);
        QCOMPARE(overlay->loupeText(), QStringLiteral("RGB 200, 40, 30\n#C8281E"));
        QCOMPARE(overlay->property("loupeText").toString(), overlay->loupeText());

        // One step right the centre is in the right half, and so is the text.
        QTest::keyClick(overlay->windowHandle(), Qt::Key_Right);
        QCOMPARE(colorInGrab(overlay, loupeCellRect(overlay->loupeRect(), 7, 7).center()), kTopRight);
        QCOMPARE(colorInGrab(overlay, loupeCellRect(overlay->loupeRect(), 6, 7).center()), kTopLeft);
        QCOMPARE(overlay->loupeText(), QStringLiteral("RGB 20, 170, 60\n#14AA3C"));

        // In the comb the loupe shows single device pixels.
        QTest::mouseMove(overlay->windowHandle(), QPoint(3, 5));
        const QRect combLoupe = overlay->loupeRect();
        const QColor atPointer = qFuzzyCompare(ratio, 2.0) ? kTopLeft : kComb;
        const QColor nextRight = qFuzzyCompare(ratio, 2.0) ? kComb : kTopLeft;
        QCOMPARE(colorInGrab(overlay, loupeCellRect(combLoupe, 7, 7).center()), atPointer);
        QCOMPARE(colorInGrab(overlay, loupeCellRect(combLoupe, 8, 7).center()), nextRight);
        QTest::keyClick(overlay->windowHandle(), Qt::Key_Escape);
    });
    QVERIFY(result.driven);
    QVERIFY(result.returned != -1);
}

void TestPicker::loupeStaysOnTheScreenAtItsEdges() {
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    const PickResult result = pickDriven([&](const QList<QWidget*>&) {
        ScreenOverlay* overlay = onPrimaryScreen(visibleOverlays());
        const QList<QPoint> corners{QPoint(0, 0), QPoint(size.width() - 1, 0), QPoint(0, size.height() - 1),
                                    QPoint(size.width() - 1, size.height() - 1)};
        for (const QPoint& corner : corners) {
            QTest::mouseMove(overlay->windowHandle(), corner);
            const QString where = QStringLiteral("corner %1, %2").arg(corner.x()).arg(corner.y());
            QVERIFY2(overlay->rect().contains(overlay->loupeRect()), qPrintable(where));
            QVERIFY(!overlay->loupeRect().contains(corner));
        }
        // Flipped to the left and above in the bottom-right corner.
        QVERIFY(overlay->loupeRect().right() < size.width() - 1);
        QVERIFY(overlay->loupeRect().bottom() < size.height() - 1);
        QTest::keyClick(overlay->windowHandle(), Qt::Key_Escape);
    });
    QVERIFY(result.driven);
}

void TestPicker::picksFromTheFrozenScreen() {
    // What changes on the screen after the pick started is not what the user is looking at.
    PatternWindow* primaryWindow = windows_.front().get();
    const QPoint position = primaryPoint(0.25, 0.25);
    const PickResult result = pickDriven([&](const QList<QWidget*>& overlays) {
        primaryWindow->setQuadrants({kBottomRight, kBottomRight, kBottomRight, kBottomRight});
        primaryWindow->repaint();
        QWindow* window = onPrimaryScreen(overlays)->windowHandle();
        QTest::mouseMove(window, position);
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, position);
    });
    primaryWindow->setQuadrants({kTopLeft, kTopRight, kBottomLeft, kBottomRight});
    primaryWindow->repaint();
    QVERIFY(result.driven);
    QCOMPARE(result.returned, std::int16_t(-1));
    QCOMPARE(QColor(result.red, result.green, result.blue), kTopLeft);
    QTRY_COMPARE(
        QGuiApplication::primaryScreen()->grabWindow(0).toImage().pixelColor(primaryPoint(0.25, 0.25)),
        kTopLeft);
}

void TestPicker::hostOverrideCursorComesBack() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const PickResult result = pickDriven([&](const QList<QWidget*>& overlays) {
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
        QTest::keyClick(onPrimaryScreen(overlays)->windowHandle(), Qt::Key_Escape);
    });
    QVERIFY(QGuiApplication::overrideCursor());
    const Qt::CursorShape afterwards = QGuiApplication::overrideCursor()->shape();
    QGuiApplication::restoreOverrideCursor();
    QVERIFY(result.driven);
    QCOMPARE(afterwards, Qt::WaitCursor);
}

void TestPicker::secondPickDuringAPickIsRefused() {
    PickResult inner;
    const QPoint position = primaryPoint(0.75, 0.25);
    const PickResult outer = pickDriven([&](const QList<QWidget*>& overlays) {
        inner.returned = PickColor(&inner.red, &inner.green, &inner.blue);
        QCOMPARE(visibleOverlayWidgets().size(), QGuiApplication::screens().size());
        QWindow* window = onPrimaryScreen(overlays)->windowHandle();
        QTest::mouseMove(window, position);
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, position);
    });
    QVERIFY(outer.driven);
    QCOMPARE(inner.returned, std::int16_t(0));
    QCOMPARE(inner.red, kSentinel);
    QCOMPARE(inner.green, kSentinel);
    QCOMPARE(inner.blue, kSentinel);
    QCOMPARE(outer.returned, std::int16_t(-1));
    QCOMPARE(QColor(outer.red, outer.green, outer.blue), kTopRight);
}

void TestPicker::pointerOnTheSecondScreen() {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() < 2)
        QSKIP("needs a second screen (tst_picker_twoscreens)");
    QScreen* second = screens.at(1);
    // What the platform shows for that screen, read independently of the picker.
    const QImage reference = second->grabWindow(0).toImage();
    const QPoint position(30, 40);
    const PickResult result = pickDriven([&](const QList<QWidget*>&) {
        const QList<ScreenOverlay*> overlays = visibleOverlays();
        ScreenOverlay* first = onPrimaryScreen(overlays);
        ScreenOverlay* other = overlays.at(0) == first ? overlays.at(1) : overlays.at(0);
        QCOMPARE(other->geometry(), second->geometry());
        QTest::mouseMove(other->windowHandle(), position);
        QVERIFY(other->loupeShown());
        QVERIFY(!first->loupeShown());
        QCOMPARE(other->pointerPixel(), position);
        QTest::mouseMove(first->windowHandle(), position);
        QVERIFY(first->loupeShown());
        QVERIFY(!other->loupeShown());
        QTest::mouseClick(other->windowHandle(), Qt::LeftButton, Qt::NoModifier, position);
    });
    QVERIFY(result.driven);
    QCOMPARE(result.returned, std::int16_t(-1));
    QCOMPARE(QColor(result.red, result.green, result.blue), reference.pixelColor(position));
}

void TestPicker::sharedLibraryPicksThroughQLibrary() {
    // As the host does it: load the library at run time and resolve PickColor by its C name.
    QLibrary library(QStringLiteral(COLORPICKER_LIBRARY_PATH));
    QVERIFY2(library.load(), qPrintable(library.errorString()));
    const auto pickColor = reinterpret_cast<PickColorFunction>(library.resolve("PickColor"));
    QVERIFY(pickColor);
    QVERIFY(pickColor != &PickColor);
    const QPoint position = primaryPoint(0.25, 0.75);
    const PickResult result = pickDriven(pickColor, [&](const QList<QWidget*>& overlays) {
        QWidget* overlay = onPrimaryScreen(overlays);
        QTest::mouseMove(overlay->windowHandle(), position);
        QCOMPARE(overlay->property("loupeText").toString(), QStringLiteral("RGB 30, 60, 220\n#1E3CDC"));
        QTest::mouseClick(overlay->windowHandle(), Qt::LeftButton, Qt::NoModifier, position);
    });
    QVERIFY(result.driven);
    QCOMPARE(result.returned, std::int16_t(-1));
    QCOMPARE(QColor(result.red, result.green, result.blue), kBottomLeft);
}

QTEST_MAIN(TestPicker)
#include "tst_picker.moc"
