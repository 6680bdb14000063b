// The main window's construction from the layout table, and the routing of control events to handlers.
#include "mainGUI.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QStyle>

#include "accessibility.h"
#include "errorReport.h"
#include "layout.h"
#include "makerPage.h"
#include "sliderStyle.h"

namespace {

// Where the hand's fingertip is in the 32-pixel cursor picture.
constexpr int kHandHotSpotX = 12;
constexpr int kHandHotSpotY = 1;

const QColor kWhite(255, 255, 255);
const QColor kPageScrollText(128, 128, 128);
const QColor kAddressText(64, 64, 64);

// The classic dialog font where it is installed, else the platform's sans-serif at the same size.
QFont sansSerif(int points, QFont::Weight weight) {
    QFont font(QStringLiteral("MS Sans Serif"), points, weight);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// Qt's own color and file dialogs keep custom colors, folders and names in the user's QtProject settings
// and write them back whenever a dialog goes away. Corvella keeps nothing between runs: point those
// settings where nothing can be read or written (a folder below a device file cannot exist).
void keepNoDialogSettings() {
    const QString nowhere = QStringLiteral("/dev/null/corvella");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

void setColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

// Opaque fill in the button-face color, as the band and the ">" label have.
void fillWithButtonFace(QWidget* widget) {
    widget->setAutoFillBackground(true);
    setColor(widget, QPalette::Window, widget->palette().color(QPalette::Button));
}

// Registered before anything else: what it registers as decides how assistive technologies see it.
QLabel* pictureLabel(mainGUI* window, const QString& name, QAccessible::Role role, const QPixmap& picture,
                     const QCursor& cursor) {
    auto* label = new QLabel(window);
    accessibility::exposePressable(label, role, *window);
    label->setObjectName(name);
    label->setPixmap(picture);
    label->setCursor(cursor);
    return label;
}

// A picture of the resources in the form drawn for the screen: at twice the size (name@2x) where the
// device pixel ratio is above 1, so that it stays crisp at scale 2.
QPixmap picture(const QString& name, const QString& extension, qreal ratio) {
    if (ratio <= 1)
        return QPixmap(QStringLiteral(":/pictures/%1.%2").arg(name, extension));
    QPixmap twice(QStringLiteral(":/pictures/%1@2x.%2").arg(name, extension));
    twice.setDevicePixelRatio(2);
    return twice;
}

// Qt reads the transparency mask of 1-, 4- and 8-bit icons only. The eyedropper is a 24-bit icon that is
// black wherever its mask is transparent, and its drawing uses no pure black, so the mask is rebuilt
// from that color.
QPixmap eyedropperPicture(qreal ratio) {
    QPixmap eyedropper = picture(QStringLiteral("eyedropper"), QStringLiteral("ico"), ratio);
    eyedropper.setMask(eyedropper.createMaskFromColor(Qt::black));
    return eyedropper;
}

// Qt on X11 hands the hot spot to the server as it is given, in the picture's own pixels: the twice-size
// picture needs it twice as far in.
QCursor handCursor(qreal ratio) {
    const QPixmap hand = picture(QStringLiteral("hand"), QStringLiteral("cur"), ratio);
    const qreal scale = hand.devicePixelRatio();
    return QCursor(hand, qRound(kHandHotSpotX * scale), qRound(kHandHotSpotY * scale));
}

// Mouse arguments as the handlers take them: buttons 1 left, 2 right, 4 middle; shift state 1 Shift,
// 2 Ctrl, 4 Alt; positions in twips within the control.
std::int16_t buttonsOf(Qt::MouseButtons buttons) {
    return static_cast<std::int16_t>((buttons & Qt::LeftButton ? 1 : 0) |
                                     (buttons & Qt::RightButton ? 2 : 0) |
                                     (buttons & Qt::MiddleButton ? 4 : 0));
}

std::int16_t shiftOf(Qt::KeyboardModifiers modifiers) {
    return static_cast<std::int16_t>((modifiers & Qt::ShiftModifier ? 1 : 0) |
                                     (modifiers & Qt::ControlModifier ? 2 : 0) |
                                     (modifiers & Qt::AltModifier ? 4 : 0));
}

float twipsOf(qreal pixels) {
    return static_cast<float>(pixels * layout::kTwipsPerPixel);
}

bool isLeftButton(QEvent* event) {
    return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
}

} // namespace

mainGUI::mainGUI()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral(" Corvella"));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/corvella.ico")));
    setFont(sansSerif(8, QFont::Normal));
    setAutoFillBackground(true);
    setColor(this, QPalette::Window, kWhite);
    setAcceptDrops(true);
    setFixedSize(layout::toPixels(layout::kClientArea).size());
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen()->availableGeometry()));
    keepNoDialogSettings();
    createControls();
    Form_Load();
}

mainGUI::~mainGUI() {
    Form_Terminate();
}

void mainGUI::createControls() {
    createBand();
    createPalette();
    Shape1->lower();
    for (std::size_t k = 1; k < picPalette.size(); ++k) {
        setTabOrder(picPalette[k - 1], picPalette[k]);
    }
}

void mainGUI::createPalette() {
    for (std::size_t k = 0; k < picPalette.size(); ++k) {
        QFrame* frame = new QFrame(this);
        accessibility::exposePressable(frame, QAccessible::Button, *this);
        frame->setObjectName(QStringLiteral("picPalette%1").arg(k));
        frame->setGeometry(layout::toPixels(layout::kBoxes[k]));
        frame->setFrameStyle(QFrame::NoFrame);
        frame->setLineWidth(1);
        frame->setAutoFillBackground(true);
        setColor(frame, QPalette::Window, frame->palette().color(QPalette::Base));
        frame->setFocusPolicy(Qt::StrongFocus);
        frame->setMouseTracking(true); // move events without a pressed button
        frame->setAccessibleName(k == 0 ? tr("Seed color") : tr("Proposal %1").arg(k));
        picPalette[k] = frame;
    }
}

void mainGUI::createBand() {
    const qreal ratio = devicePixelRatioF();
    const QCursor hand = handCursor(ratio);

    Shape1 = new QWidget(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(layout::toPixels(layout::kShape1));
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents); // a click on the band is a click on the window
    fillWithButtonFace(Shape1);

    sdLightChroma = new QSlider(Qt::Horizontal, this);
    accessibility::exposeSlider(sdLightChroma, *this);
    sdLightChroma->setObjectName(QStringLiteral("sdLightChroma"));
    sdLightChroma->setGeometry(layout::toPixels(layout::kSdLightChroma));
    sdLightChroma->setRange(0, 100);
    sdLightChroma->setValue(10);
    sdLightChroma->setSingleStep(1);
    sdLightChroma->setPageStep(5);
    sdLightChroma->setTickPosition(QSlider::TicksBelow);
    sdLightChroma->setTickInterval(10);
    sdLightChroma->setFocusPolicy(Qt::ClickFocus); // not a tab stop; its focus-in passes the focus on
    auto* style = new sliderStyle::PageStepStyle;
    style->setParent(sdLightChroma);
    sdLightChroma->setStyle(style);
    sdLightChroma->setAccessibleName(tr("Lightness and chroma spread"));

    colorPicker = pictureLabel(this, QStringLiteral("colorPicker"), QAccessible::Button,
                               eyedropperPicture(ratio), hand);
    colorPicker->setGeometry(layout::toPixels(layout::kColorPicker));
    colorPicker->setAccessibleName(tr("Pick a color from the screen"));

    lbPageScroll = new QLabel(this);
    // Registered before its text is set: what it registers as decides how assistive technologies see it.
    accessibility::exposePressable(lbPageScroll, QAccessible::Button, *this);
    lbPageScroll->setObjectName(QStringLiteral("lbPageScroll"));
    lbPageScroll->setText(QStringLiteral(">"));
    lbPageScroll->setGeometry(layout::toPixels(layout::kLbPageScroll));
    lbPageScroll->setAlignment(Qt::AlignCenter);
    lbPageScroll->setFont(sansSerif(12, QFont::Bold));
    fillWithButtonFace(lbPageScroll);
    setColor(lbPageScroll, QPalette::WindowText, kPageScrollText);
    lbPageScroll->setCursor(hand);
    lbPageScroll->setAccessibleName(tr("New proposals"));

    lbRGB = new QLabel(QStringLiteral("RGB rr,gg,bb"), this);
    lbRGB->setObjectName(QStringLiteral("lbRGB"));
    lbRGB->setGeometry(layout::toPixels(layout::kLbRGB));
    setColor(lbRGB, QPalette::WindowText, lbRGB->palette().color(QPalette::ButtonText));

    imageCopyright = pictureLabel(this, QStringLiteral("imageCopyright"), QAccessible::Link,
                                  picture(QStringLiteral("notice"), QStringLiteral("gif"), ratio),
                                  QCursor(Qt::WhatsThisCursor));
    imageCopyright->setGeometry(layout::toPixels(layout::kImageCopyright));
    imageCopyright->setAccessibleName(QStringLiteral("© 2026 Quenlot Ltd."));
    imageCopyright->setAccessibleDescription(makerPage::kAddress);

    lbQuenlotLtd = new QLabel(makerPage::kAddress, this);
    lbQuenlotLtd->setObjectName(QStringLiteral("lbQuenlotLtd"));
    lbQuenlotLtd->setGeometry(layout::toPixels(layout::kLbQuenlotLtd));
    lbQuenlotLtd->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setColor(lbQuenlotLtd, QPalette::WindowText, kAddressText);
    lbQuenlotLtd->hide(); // explicitly: a child is shown with its parent unless hidden
}

void mainGUI::Form_Load() {
    for (QFrame* frame : picPalette) {
        frame->installEventFilter(this);
    }
    for (QWidget* control : {static_cast<QWidget*>(sdLightChroma), static_cast<QWidget*>(colorPicker),
                             static_cast<QWidget*>(lbPageScroll), static_cast<QWidget*>(lbRGB),
                             static_cast<QWidget*>(imageCopyright), static_cast<QWidget*>(lbQuenlotLtd)}) {
        control->installEventFilter(this);
    }
    // valueChanged reports every move the user makes (drag, track click, wheel) once, after the value
    // changed; actionTriggered would come before it and sliderMoved would miss clicks and the wheel.
    connect(sdLightChroma, &QSlider::valueChanged, this, [this] {
        errorReport::runGuarded([this] {
            sdLightChroma_Scroll();
            recordChange();
        });
    });
    // A drag of the thumb is one change, however many values it passed.
    connect(sdLightChroma, &QSlider::sliderReleased, this,
            [this] { errorReport::runGuarded([this] { recordChange(); }); });
}

// Closing the window ends the program; the close is never refused. An action waiting in a pick or a
// dialog is abandoned: Qt's quit ends every event loop, and the action does nothing further.
void mainGUI::Form_Unload(std::int16_t& Cancel) {
    Q_UNUSED(Cancel);
    closing = true;
    QCoreApplication::quit();
}

void mainGUI::Form_Terminate() {
    QCoreApplication::quit();
}

void mainGUI::closeEvent(QCloseEvent* event) {
    std::int16_t Cancel = 0;
    errorReport::runGuarded([&] { Form_Unload(Cancel); });
    event->setAccepted(Cancel == 0);
}

// A click is a left press and release on the same control; the release that ends a double-click
// follows a double-click event, which forgets the press, so it is not a second click.
bool mainGUI::isClick(QObject* watched, QEvent* event) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const bool click = mouse->button() == Qt::LeftButton && pressedControl == watched;
    if (mouse->button() == Qt::LeftButton) {
        pressedControl = nullptr;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    return click && widget != nullptr && widget->rect().contains(mouse->position().toPoint());
}

bool mainGUI::eventFilter(QObject* watched, QEvent* event) {
    if (event->isInputEvent() && !takesInput()) {
        return true; // mouse, wheel and keys wait with the rest
    }
    for (BoxIndex k = 0; k < corvPalette::kBoxCount; ++k) {
        if (watched == box(k)) {
            return routeBoxEvent(k, event);
        }
    }
    if (watched == sdLightChroma) {
        if (event->type() == QEvent::FocusIn) {
            errorReport::runGuarded([this] { sdLightChroma_GotFocus(); });
        }
        return false;
    }
    return routeLabelEvent(watched, event);
}

bool mainGUI::routeBoxEvent(BoxIndex Index, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (pressedControl == box(Index) &&
            (mouse->position() - pressedAt).manhattanLength() >= QApplication::startDragDistance()) {
            dragBox(Index);
            return true;
        }
        errorReport::runGuarded([&] {
            picPalette_MouseMove(Index, buttonsOf(mouse->buttons()), shiftOf(mouse->modifiers()),
                                 twipsOf(mouse->position().x()), twipsOf(mouse->position().y()));
        });
        return true;
    }
    case QEvent::MouseButtonPress:
        showFocusByKeys(false);
        if (isLeftButton(event)) {
            pressedControl = box(Index);
            pressedAt = static_cast<QMouseEvent*>(event)->position();
        }
        return true; // a press on a box never reaches the window's background
    case QEvent::MouseButtonRelease:
        if (isClick(box(Index), event)) {
            perform(Action::boxClick, Index);
        }
        return true;
    case QEvent::MouseButtonDblClick:
        pressedControl = nullptr;
        if (isLeftButton(event)) {
            perform(Action::boxDoubleClick, Index);
        }
        return true;
    case QEvent::ContextMenu: {
        // From the right button at the pointer; from the Menu key at the box.
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        perform(Action::copyMenu, Index,
                menuEvent->reason() == QContextMenuEvent::Mouse
                    ? std::optional<QPoint>(menuEvent->globalPos())
                    : std::nullopt);
        return true;
    }
    case QEvent::KeyPress:
        return routeKey(Index, static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            showFocusByKeys(true);
        } else if (reason == Qt::MouseFocusReason || reason == Qt::OtherFocusReason) {
            showFocusByKeys(false); // a click, or the slider handing the focus on after one
        }
        box(Index)->update();
        return false;
    }
    case QEvent::FocusOut:
        box(Index)->update();
        return false;
    case QEvent::Paint:
        paintPaletteBox(Index);
        return true;
    default:
        return false;
    }
}

// Labels and pictures ignore mouse presses, which would then reach the window as background clicks:
// their mouse events end here. Every button released on ">" counts; the others take a left click.
bool mainGUI::routeLabelEvent(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        showFocusByKeys(false);
        if (isLeftButton(event)) {
            pressedControl = watched;
        }
        return true;
    case QEvent::MouseButtonDblClick:
        pressedControl = nullptr;
        return true;
    case QEvent::MouseButtonRelease:
        if (isClick(watched, event) || watched == lbPageScroll) {
            if (const auto action = clickActionOf(watched)) {
                perform(*action);
            }
        }
        return true;
    default:
        return false;
    }
}

// What a click on a control other than a box does (the hidden address label opens the page as well).
std::optional<Action> mainGUI::clickActionOf(const QObject* control) const {
    if (control == lbPageScroll) {
        return Action::newProposals;
    }
    if (control == colorPicker) {
        return Action::eyedropper;
    }
    if (control == imageCopyright || control == lbQuenlotLtd) {
        return Action::notice;
    }
    return std::nullopt;
}

void mainGUI::press(QWidget* control) {
    QMetaObject::invokeMethod(
        this,
        [this, control] {
            for (BoxIndex k = 0; k < corvPalette::kBoxCount; ++k) {
                if (control == box(k)) {
                    perform(Action::boxClick, k);
                }
            }
            if (const auto action = clickActionOf(control)) {
                perform(*action);
            }
        },
        Qt::QueuedConnection);
}

void mainGUI::mousePressEvent(QMouseEvent* event) {
    showFocusByKeys(false);
    if (event->button() == Qt::LeftButton) {
        pressedControl = this;
    }
}

void mainGUI::mouseReleaseEvent(QMouseEvent* event) {
    if (isClick(this, event)) {
        perform(Action::background);
    }
}

// The second press of a double-click on the background is not the start of another click.
void mainGUI::mouseDoubleClickEvent(QMouseEvent* event) {
    Q_UNUSED(event);
    pressedControl = nullptr;
}
