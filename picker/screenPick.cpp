// The pick session over the frozen screens: overlays, input grab, pointer, and the nested event loop.
#include "screenPick.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>

#include <cmath>
#include <memory>
#include <vector>

#include "frozenScreen.h"
#include "noPickReason.h"
#include "screenOverlay.h"

namespace colorPicker::detail {

namespace {

// Shows the crosshair even over a cursor the host had overridden, and gives the host its own back.
class CrosshairCursor {
public:
    CrosshairCursor() { QGuiApplication::setOverrideCursor(Qt::CrossCursor); }
    ~CrosshairCursor() { QGuiApplication::restoreOverrideCursor(); }
    CrosshairCursor(const CrosshairCursor&) = delete;
    CrosshairCursor& operator=(const CrosshairCursor&) = delete;
};

class PickSession {
public:
    explicit PickSession(const std::vector<FrozenScreen>& screens) {
        for (const FrozenScreen& screen : screens)
            overlays_.push_back(makeOverlay(screen));
        QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, &loop_, [this] {
            reportNoPick(QStringLiteral("a screen went away during the pick"));
            finish(std::nullopt);
        });
    }

    ~PickSession() {
        if (inputOwner_) {
            inputOwner_->releaseKeyboard();
            inputOwner_->releaseMouse();
        }
    }

    PickSession(const PickSession&) = delete;
    PickSession& operator=(const PickSession&) = delete;

    PickOutcome run() {
        const CrosshairCursor crosshair;
        for (const auto& overlay : overlays_)
            overlay->showFullScreen();
        const QPointF pointer = QCursor::pos();
        inputOwner_ = overlayAt(pointer);
        if (!inputOwner_)
            inputOwner_ = overlays_.front().get();
        inputOwner_->raise();
        inputOwner_->activateWindow();
        inputOwner_->setFocus(Qt::OtherFocusReason);
        grabInput();
        movePointer(pointer);
        if (!finished_)
            loop_.exec();
        return outcome_;
    }

private:
    std::unique_ptr<ScreenOverlay> makeOverlay(const FrozenScreen& screen) {
        auto overlay = std::make_unique<ScreenOverlay>(screen);
        ScreenOverlay* const raw = overlay.get();
        QObject::connect(raw, &ScreenOverlay::pointerMoved, &loop_, [this](QPointF at) { movePointer(at); });
        QObject::connect(raw, &ScreenOverlay::pickRequested, &loop_, [this](QPointF at) { pickAt(at); });
        QObject::connect(raw, &ScreenOverlay::pickAtPointerRequested, &loop_, [this] { pickAt(pointer_); });
        QObject::connect(raw, &ScreenOverlay::nudgeRequested, &loop_, [this](QPoint step) { nudge(step); });
        QObject::connect(raw, &ScreenOverlay::cancelRequested, &loop_, [this] { finish(std::nullopt); });
        // Window systems refuse grabs for windows that are not on screen yet, and mapping may wait for
        // a window manager; by the first paint the overlay is there.
        QObject::connect(raw, &ScreenOverlay::firstPainted, &loop_, [this, raw] {
            if (raw == inputOwner_)
                grabInput();
        });
        return overlay;
    }

    // One overlay takes keyboard and mouse for all screens, so Escape works wherever the pointer is.
    void grabInput() {
        inputOwner_->grabMouse(Qt::CrossCursor);
        inputOwner_->grabKeyboard();
    }

    ScreenOverlay* overlayAt(QPointF globalPosition) const {
        const QPoint point(static_cast<int>(std::floor(globalPosition.x())),
                           static_cast<int>(std::floor(globalPosition.y())));
        for (const auto& overlay : overlays_) {
            if (overlay->frozenScreen().geometry().contains(point))
                return overlay.get();
        }
        return nullptr;
    }

    void movePointer(QPointF globalPosition) {
        pointer_ = globalPosition;
        ScreenOverlay* const under = overlayAt(globalPosition);
        for (const auto& overlay : overlays_) {
            if (overlay.get() == under)
                overlay->showLoupeAt(globalPosition - overlay->frozenScreen().geometry().topLeft());
            else
                overlay->hideLoupe();
        }
    }

    void nudge(QPoint step) {
        const QPointF target = pointer_ + step;
        if (!overlayAt(target))
            return;
        movePointer(target);
        // The system pointer follows, so that the mouse continues from where the keys left it.
        QCursor::setPos(target.toPoint());
    }

    void pickAt(QPointF globalPosition) {
        const ScreenOverlay* const under = overlayAt(globalPosition);
        if (!under)
            return;
        const FrozenScreen& screen = under->frozenScreen();
        const QRgb color = screen.pixel(screen.devicePixelAt(globalPosition - screen.geometry().topLeft()));
        finish(PickedColor{static_cast<std::uint8_t>(qRed(color)), static_cast<std::uint8_t>(qGreen(color)),
                           static_cast<std::uint8_t>(qBlue(color))});
    }

    void finish(PickOutcome outcome) {
        if (finished_)
            return;
        finished_ = true;
        outcome_ = outcome;
        loop_.quit();
    }

    // Declared first so that it outlives the overlays whose signals it is the context of.
    QEventLoop loop_;
    std::vector<std::unique_ptr<ScreenOverlay>> overlays_;
    ScreenOverlay* inputOwner_ = nullptr;
    QPointF pointer_;
    bool finished_ = false;
    PickOutcome outcome_;
};

} // namespace

PickOutcome pickFromScreens() {
    const auto screens = grabAllScreens();
    if (!screens)
        return std::nullopt;
    PickSession session(*screens);
    return session.run();
}

} // namespace colorPicker::detail
