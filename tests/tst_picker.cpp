// The colorPicker library: the overlays on two offscreen screens (the loupe, device pixels at scale 2,
// picking and cancelling), the way of picking per platform, and the desktop portal against a stand-in on
// a private bus, with the window taking no input while a portal pick waits.
#include <QApplication>
#include <QClipboard>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>

#include "colorPicker.h"
#include "frozenScreen.h"
#include "loupe.h"
#include "mainGUI.h"
#include "mainModule.h"
#include "pickWay.h"
#include "portalPick.h"
#include "screenOverlay.h"
#include "table.h"

using namespace colorPicker::detail;

namespace {

// pointer | screen's x y width height | where a 130 x 170 loupe goes, 20 pixels from the pointer
const char* const kLoupe = R"(
below right | 650 410 | 0 0 1000 600 | 670 430
flips left at the right edge | 851 10 | 0 0 1000 600 | 701 30
flips up at the bottom edge, by the height | 10 411 | 0 0 1000 600 | 30 221
both, in the corner | 999 599 | 0 0 1000 600 | 849 409
on a screen right of the first | 1010 10 | 1000 0 640 480 | 1030 30
kept inside a screen smaller than the loupe | 50 50 | 0 0 100 100 | 0 0
)";

// In a grab of 200 x 100 device pixels at scale 2: logical point | the device pixel under it
const char* const kDevicePixels = R"(
second half of a point | 10.75 5.25 | 21 10
past the far edge | 100 50 | 199 99
before the near edge | -1 -0.5 | 0 0
)";

// platform | WAYLAND_DISPLAY | the way
const char* const kWays = R"(
X11 | xcb | | screen
XWayland | xcb | wayland-0 | portal
Wayland | wayland | | portal
Wayland with EGL | wayland-egl | wayland-1 | portal
offscreen | offscreen | wayland-0 | screen
)";

// screen | pointer | input: keys, or click, right, close | what PickColor returns and leaves in the bytes
const char* const kPicks = R"(
click, left half | 0 | 100 300 | click | -1 8 40 200
click on a comb tooth | 0 | 3 5 | click | -1 90 200 210
Right, then Enter | 0 | 399 300 | Right Enter | -1 20 170 60
Left, then Return | 0 | 400 300 | Left Return | -1 8 40 200
Escape cancels | 0 | 100 100 | Escape | 0 7 8 9
right click cancels | 0 | 110 100 | right | 0 7 8 9
closed by the window manager | 0 | 120 100 | close | 0 7 8 9
on the second screen | 1 | 30 40 | click | under
a second pick meanwhile is refused | 0 | 130 100 | again Escape | 0 7 8 9, again 0
)";

// stand-in's options, "-" for no portal | the color, then the reason on standard error | what the
// stand-in saw: P a PickColor call, C a Close of the request, 2 a second pick answered
const char* const kPortal = R"(
color | --color 0.2 0.5 0.999 | 51 128 255| | P2
a tie rounds to even | --color 0.00980392156862745 0 1 | 2 0 255| | P2
answer before the call's reply | --answer-first --color 0.2 0.5 0.999 | 51 128 255| | P2
answer on another handle | --other-handle --color 0.2 0.5 0.999 | 51 128 255| | P2
cancelled, no error | --response 1 | none| | P2
failed | --response 2 | none|the desktop portal could not pick a color (response 2) | P2
no color | --response 0 | none|the desktop portal answered without a usable color | P2
a text for a color | --text-color | none|the desktop portal answered without a usable color | P2
NaN | --color nan 0 0 | none|the desktop portal answered red nan, not a number from 0 to 1 | P2
infinity | --color 0 inf 0 | none|the desktop portal answered green inf, not a number from 0 to 1 | P2
minus infinity | --color 0 0 -inf | none|the desktop portal answered blue -inf, not a number from 0 to 1 | P2
-0.5 | --color -0.5 0 0 | none|the desktop portal answered red -0.5, not a number from 0 to 1 | P2
1.5 | --color 0 1.5 0 | none|the desktop portal answered green 1.5, not a number from 0 to 1 | P2
one ulp above 1, as received | --color 0 0 1.0000000000000002 | none|the desktop portal answered blue 1.0000000000000002, not a number from 0 to 1 | P2
refused | --refuse | none|the desktop portal refused to pick a color (org.freedesktop.portal.Error.NotAllowed | P2
version 1 cannot pick | --version 1 | none|the desktop portal offers no color picking (Screenshot version 1) |
leaving the bus | --vanish | none|the desktop portal went away before answering | P
never answering | --silent | none|the desktop portal did not answer within 0.3 s | PC2
answering on a foreign path | --foreign --color 0.2 0.5 0.999 | none|the desktop portal did not answer within 0.3 s | PC2
Escape in the window | --silent --escape | none| | PC2
no portal | - | none|the desktop portal is not available (org.freedesktop.DBus.Error.ServiceUnknown |
)";

QPoint point(const QString& text) {
    return {text.section(' ', 0, 0).toInt(), text.section(' ', 1, 1).toInt()};
}

QList<ScreenOverlay*> overlays() {
    QList<ScreenOverlay*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* overlay = qobject_cast<ScreenOverlay*>(widget); overlay && overlay->isVisible())
            found << overlay;
    }
    return found;
}

// PickColor as the host calls it, with `act` run once the overlays are up. A pick still open three
// seconds later is ended with Escape and reported: a pick that would never end fails, not hangs.
QString pickColor(const std::function<void()>& act) {
    bool hung = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (overlays().size() < QGuiApplication::screens().size())
            return;
        poll.stop();
        QTimer::singleShot(3000, &poll, [&hung] {
            for (ScreenOverlay* overlay : overlays()) {
                hung = true;
                QTest::keyClick(overlay, Qt::Key_Escape);
            }
        });
        act();
    });
    poll.start(10);
    std::uint8_t red = 7, green = 8, blue = 9;
    const int result = PickColor(&red, &green, &blue);
    return QString::asprintf("%s%d %d %d %d", hung ? "never ended: " : "", result, red, green, blue);
}

// What the user sees: the window as drawn, the clipboard, whether a dialog is up.
QString windowState() {
    const QImage shown = mainModule::mainForm().grab().toImage();
    return QString::number(qHashBits(shown.constBits(), shown.sizeInBytes())) +
           QApplication::clipboard()->text() + (QApplication::activeModalWidget() ? " and a dialog" : "");
}

// A user at the window while a pick waits: hovers, clicks, double-clicks the centre, ">", slider, keys.
void useTheWindow() {
    mainGUI& window = mainModule::mainForm();
    QWidget* const box = window.findChild<QWidget*>(QStringLiteral("picPalette3"));
    QWidget* const centre = window.findChild<QWidget*>(QStringLiteral("picPalette0"));
    QTest::mouseMove(box, QPoint(5, 5));
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::mouseDClick(centre, Qt::LeftButton);
    QTest::mouseClick(window.findChild<QWidget*>(QStringLiteral("lbPageScroll")), Qt::RightButton);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(195, 267));
    QTest::keySequence(centre, QKeySequence(QStringLiteral("Ctrl+R")));
    QTest::keyClick(centre, Qt::Key_Space);
}

// The desktop portal's Screenshot service on a connection of its own. The first PickColor gets Response 0
// with the color R G B, or as the options say: --response CODE, --text-color, --version N, --refuse (the
// call), --vanish (leaves after replying), --silent, --foreign (answers on another caller's path),
// --answer-first (before replying), --other-handle (on a path of its own, as portals before handle_token
// do, after a cancel on the caller's), --no-version (never answers the version query). Later calls get
// 0.2, 0.5, 0.999. With `echo`, each call is also written on standard output as it comes.
class StandIn : public QDBusVirtualObject {
public:
    explicit StandIn(const QString& options, bool echo = false)
        : options_(options.split(' '))
        , echo_(echo) {
        bus_.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                                   QDBusConnection::SubPath);
        bus_.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
        QObject::connect(&repeat_, &QTimer::timeout, &repeat_, [this] { bus_.send(answerOn(other_)); });
    }
    ~StandIn() override { QDBusConnection::disconnectFromBus(QStringLiteral("portal")); }
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        calls << message.member() + ' ' + message.path();
        if (echo_) {
            std::printf("%s\n", qPrintable(calls.back()));
            std::fflush(stdout);
        }
        if (message.member() == QLatin1String("Get") && has("--no-version"))
            return true; // handled, and never answered
        if (message.member() == QLatin1String("Get"))
            return bus_.send(
                message.createReply(QVariant::fromValue(QDBusVariant(after("--version", "2").toUInt()))));
        if (message.member() != QLatin1String("PickColor")) // Close
            return bus_.send(message.createReply());
        const QString requests = message.path() + "/request/" + message.service().mid(1).replace('.', '_');
        const QString derived =
            requests + '/' +
            qdbus_cast<QVariantMap>(message.arguments().value(1)).value("handle_token").toString();
        other_ = requests + "/otherHandle";
        if (calls.filter(QStringLiteral("PickColor")).size() > 1)
            options_ = QStringList{"--color", "0.2", "0.5", "0.999"};
        if (has("--refuse"))
            return bus_.send(message.createErrorReply("org.freedesktop.portal.Error.NotAllowed", "refused"));
        // Signals sent before the reply reach the caller first: an order Qt may deliver them in anyway.
        if (has("--other-handle"))
            bus_.send(response(derived, 1, {}));
        if (has("--answer-first"))
            bus_.send(answerOn(derived));
        bus_.send(message.createReply(
            QVariant::fromValue(QDBusObjectPath(has("--other-handle") ? other_ : derived))));
        if (has("--vanish"))
            QTimer::singleShot(100, &repeat_, [this] { leave(); });
        else if (has("--foreign"))
            bus_.send(answerOn(requests + "/notYours"));
        else if (has("--other-handle")) // repeated: the caller subscribes once it has the reply
            repeat_.start(20);
        else if (!has("--answer-first") && !has("--silent"))
            bus_.send(answerOn(derived));
        return true;
    }
    void leave() { bus_.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop")); }
    QStringList calls;

private:
    bool has(const char* option) const { return options_.contains(QLatin1String(option)); }
    QString after(const char* option, const char* fallback, int skip = 1) const {
        const qsizetype at = options_.indexOf(QLatin1String(option));
        return at < 0 ? QString::fromLatin1(fallback) : options_.value(at + skip);
    }
    static QDBusMessage response(const QString& path, uint code, const QVariantMap& results) {
        QDBusMessage signal = QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
        signal << code << results;
        return signal;
    }
    QDBusMessage answerOn(const QString& path) const {
        const uint code = after("--response", "0").toUInt();
        if (has("--text-color") || !has("--color"))
            return response(path, code,
                            has("--text-color") ? QVariantMap{{"color", "#336699"}} : QVariantMap());
        QDBusArgument color;
        color.beginStructure();
        color << after("--color", "", 1).toDouble() << after("--color", "", 2).toDouble()
              << after("--color", "", 3).toDouble();
        color.endStructure();
        return response(path, code, {{"color", QVariant::fromValue(color)}});
    }

    QStringList options_;
    bool echo_;
    QDBusConnection bus_ =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("portal"));
    QTimer repeat_;
    QString other_;
};

} // namespace

class TestPicker : public QObject {
    Q_OBJECT
    QList<QLabel*> screens_;

    // The pick through the portal: the color or "none", a bar, then what went to standard error.
    QString portalPick() {
        QTemporaryFile capture;
        std::fflush(stderr);
        const int saved = dup(STDERR_FILENO);
        if (!capture.open() || dup2(capture.handle(), STDERR_FILENO) < 0)
            return QStringLiteral("cannot capture standard error");
        const auto picked = pickWithPortal(QDBusConnection::sessionBus(), std::chrono::milliseconds(300));
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        capture.seek(0);
        return (picked ? QString::asprintf("%d %d %d", picked->red, picked->green, picked->blue) : "none") +
               '|' + QString::fromLocal8Bit(capture.readAll());
    }

private slots:
    // A pattern on each screen: two halves, and a comb of one-pixel teeth on the odd columns of the top rows.
    void initTestCase() {
        for (QScreen* screen : QGuiApplication::screens()) {
            QPixmap pattern(screen->geometry().size());
            QPainter painter(&pattern);
            painter.fillRect(QRect(QPoint(), pattern.size()), QColor(20, 170, 60));
            painter.fillRect(0, 0, pattern.width() / 2, pattern.height(), QColor(8, 40, 200));
            for (int x = 1; x < pattern.width(); x += 2)
                painter.fillRect(x, 0, 1, 16, QColor(90, 200, 210));
            screens_ << new QLabel(nullptr, Qt::FramelessWindowHint);
            screens_.back()->setPixmap(pattern);
            screens_.back()->setGeometry(screen->geometry());
            screens_.back()->show();
            QVERIFY(QTest::qWaitForWindowExposed(screens_.back()));
        }
    }
    void cleanupTestCase() { qDeleteAll(screens_); }
    // Nothing of a pick outlives it: overlays, grabs, the crosshair.
    void cleanup() {
        QCOMPARE(overlays().size(), 0);
        QVERIFY(!QWidget::mouseGrabber());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    void placeLoupe_data() { addRows(kLoupe, {"pointer", "bounds", "at"}); }
    void placeLoupe() {
        const auto [pointer, bounds, at] = cells("pointer", "bounds", "at");
        const QRect screen(point(bounds), point(bounds) + point(bounds.section(' ', 2)) - QPoint(1, 1));
        QCOMPARE(colorPicker::detail::placeLoupe(point(pointer), QSize(130, 170), screen),
                 QRect(point(at), QSize(130, 170)));
    }

    void devicePixelAt_data() { addRows(kDevicePixels, {"logical", "pixel"}); }
    void devicePixelAt() {
        const auto [logical, pixel] = cells("logical", "pixel");
        QPixmap grab(200, 100);
        grab.setDevicePixelRatio(2);
        const QPointF at(logical.section(' ', 0, 0).toDouble(), logical.section(' ', 1).toDouble());
        QCOMPARE(FrozenScreen(QGuiApplication::primaryScreen(), grab).devicePixelAt(at), point(pixel));
    }

    void pickWay_data() { addRows(kWays, {"platform", "wayland", "way"}); }
    void pickWay() {
        const auto [platform, wayland, way] = cells("platform", "wayland", "way");
        QCOMPARE(choosePickWay(platform, wayland) == PickWay::portal ? "portal" : "screen", way);
    }

    // The loupe shows the pixel under the pointer in its middle cell, 20 pixels off, on every screen.
    void pick_data() { addRows(kPicks, {"screen", "pointer", "input", "outcome"}); }
    void pick() {
        const auto [screen, pointer, input, outcome] = cells("screen", "pointer", "input", "outcome");
        const QPoint at = point(pointer);
        QString loupe, again;
        const QString result = pickColor([&] {
            ScreenOverlay* overlay = overlays().value(0);
            for (ScreenOverlay* each : overlays())
                overlay = each->geometry() == QGuiApplication::screens().at(screen.toInt())->geometry()
                              ? each
                              : overlay;
            QTest::mouseMove(overlay->windowHandle(), at);
            const QPoint middle = loupeCellRect(overlay->loupeRect(), 7, 7).center();
            loupe = QStringLiteral("%1 %2 %3")
                        .arg(overlay->loupeRect().topLeft() == at + QPoint(20, 20) ? "beside" : "off")
                        .arg(overlay->grab().toImage().pixelColor(middle).name(), overlay->loupeText());
            for (const QString& key : input.split(' ')) {
                if (key == "click" || key == "right")
                    QTest::mouseClick(overlay->windowHandle(),
                                      key == "click" ? Qt::LeftButton : Qt::RightButton, {}, at);
                else if (key == "close")
                    overlay->close();
                else if (std::uint8_t red = 7, green = 8, blue = 9; key == "again")
                    again = QStringLiteral(", again %1").arg(PickColor(&red, &green, &blue));
                else
                    QTest::keySequence(overlay, QKeySequence(key));
            }
        });
        const QColor under =
            QGuiApplication::screens().at(screen.toInt())->grabWindow(0).toImage().pixelColor(at);
        const QString picked = QString::asprintf("-1 %d %d %d", under.red(), under.green(), under.blue());
        QCOMPARE(result + again, outcome == "under" ? picked : outcome);
        QCOMPARE(loupe, QString::asprintf("beside %s RGB %d, %d, %d\n#%02X%02X%02X", qPrintable(under.name()),
                                          under.red(), under.green(), under.blue(), under.red(),
                                          under.green(), under.blue()));
    }

    void portal_data() { addRows(kPortal, {"options", "outcome", "calls"}); }
    void portal() {
        const auto [options, outcome, calls] = cells("options", "outcome", "calls");
        std::unique_ptr<StandIn> standIn(options == "-" ? nullptr : new StandIn(options));
        const bool escape = options.contains("--escape");
        if (escape) {
            mainModule::Main();
            QVERIFY(QTest::qWaitForWindowActive(&mainModule::mainForm()));
        }
        const QString before = escape ? windowState() : QString();
        QString during;
        QTimer asked; // with --escape, once the stand-in has the call: the pick is waiting
        QObject::connect(&asked, &QTimer::timeout, [&] {
            if (!escape || standIn->calls.filter("PickColor").isEmpty())
                return;
            asked.stop();
            // Without the block a dialog would open and wait: close it, and say so.
            QTimer::singleShot(200, [&] {
                if (QWidget* dialog = QApplication::activeModalWidget()) {
                    during = QStringLiteral("a dialog opened: ");
                    dialog->close();
                }
            });
            useTheWindow();
            during += windowState();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        asked.start(10);
        // A pick that would wait for good ends as if the portal had left, and fails the row.
        QTimer::singleShot(3000, &asked, [&] {
            if (standIn)
                standIn->leave();
        });
        const QString picked = portalPick(), reason = outcome.section('|', 1);
        const QString expected =
            outcome.section('|', 0, 0) + '|' + (reason.isEmpty() ? "" : "colorPicker: " + reason);
        QVERIFY2(picked.startsWith(expected) && picked.count('\n') == (reason.isEmpty() ? 0 : 1),
                 qPrintable(picked));
        QCOMPARE(during, before);
        mainModule::unloadMainForm();
        QCOMPARE(calls.contains('2') ? portalPick() : QString(), calls.contains('2') ? "51 128 255|" : "");
        const QString log = standIn ? standIn->calls.join('\n') : QString();
        standIn.reset();
        QCOMPARE(log.contains("PickColor /org/freedesktop/portal/desktop"), calls.contains('P'));
        QCOMPARE(log.contains(QRegularExpression("Close \\S+/request/\\w+/corvella\\w+")),
                 calls.contains('C'));
        QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
            "org.freedesktop.portal.Desktop"));
    }
};

// With TST_PICKER_PORTAL set to a stand-in's options, the program is that stand-in on the session bus
// until it is ended, for the session script's portal picks.
int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (qEnvironmentVariableIsSet("TST_PICKER_PORTAL")) {
        const StandIn standIn(qEnvironmentVariable("TST_PICKER_PORTAL"), true);
        return QApplication::exec();
    }
    TestPicker test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_picker.moc"
