// The colorPicker library: overlays on two offscreen screens (the loupe flipped at each edge), device pixels
// at scale 2, the portal chosen under Wayland, and the portal's pick against a stand-in on a private bus.
#include <QtDBus>
#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "colorPicker.h"
#include "frozenScreen.h"
#include "loupe.h"
#include "pickWay.h"
#include "portalPick.h"
#include "screenOverlay.h"
#include "table.h"

using namespace colorPicker::detail;

namespace {

// In a grab of 200 x 100 device pixels at scale 2: logical point | the device pixel under it
const char* const kDevicePixels = R"(
second half of a point | 10.75 5.25 | 21 10
past the far edge | 100 50 | 199 99
before the near edge | -1 -0.5 | 0 0
)";

// screen | pointer on it | input: keys, or click, right, close | what PickColor returns and leaves in the
// bytes | the loupe's corner nearest the pointer, on that screen's overlay: 20 pixels below right of it,
// or left or above where the loupe would leave the screen (whatever its size, which the font sets)
const char* const kPicks = R"(
Right, then Enter | 0 | 399 300 | Right Enter | -1 20 170 60 | 419 320
Left, then Return | 0 | 400 300 | Left Return | -1 8 40 200 | 420 320
Up onto the comb | 0 | 3 16 | Up Enter | -1 90 200 210 | 23 36
Down off the comb | 0 | 5 15 | Down Enter | -1 8 40 200 | 25 35
right click cancels, in the bottom right corner | 0 | 790 590 | right | 0 7 8 9 | 770 570
closed by the window manager | 0 | 120 100 | close | 0 7 8 9 | 140 120
at the second screen's right edge | 1 | 600 5 | click | -1 20 170 60 | 580 25
a second pick meanwhile is refused | 0 | 130 100 | again Escape | 0 7 8 9, again 0 | 150 120
)";

// stand-in's options ("-": no portal) | the color | the start of the line on standard error | what the
// stand-in saw: P a PickColor call, C a Close of the request, 2 a second pick answered
const char* const kPortal = R"(
a tie rounds to even | --color 0.00980392156862745 0 1 | 2 0 255 | | P2
answer before the call's reply | --answer-first --color 0.2 0.5 0.999 | 51 128 255 | | P2
cancelled, no error | --response 1 | none | | P2
failed | --response 2 | none | the desktop portal could not pick a color (response 2) | P2
a text for a color | --text-color | none | the desktop portal answered without a usable color | P2
NaN | --color nan 0 0 | none | the desktop portal answered red nan, not a number from 0 to 1 | P2
minus infinity | --color 0 -inf 0 | none | the desktop portal answered green -inf, not a number from 0 to 1 | P2
one ulp above 1, as received | --color 0 0 1.0000000000000002 | none | the desktop portal answered blue 1.0000000000000002, not a number from 0 to 1 | P2
refused | --refuse | none | the desktop portal refused to pick a color (org.freedesktop.portal.Error.NotAllowed: refused) | P2
version 1 cannot pick | --version 1 | none | the desktop portal offers no color picking (Screenshot version 1) |
leaving the bus | --vanish | none | the desktop portal went away before answering | P
never answering | --silent | none | the desktop portal did not answer within 0.3 s | PC2
answering on a foreign path | --foreign --color 0.2 0.5 0.999 | none | the desktop portal did not answer within 0.3 s | PC2
no portal | - | none | the desktop portal is not available (org.freedesktop.DBus.Error.ServiceUnknown |
)";

QPoint point(const QString& text) {
    return {text.section(' ', 0, 0).toInt(), text.section(' ', 1, 1).toInt()};
}

QList<ScreenOverlay*> overlays(const QScreen* screen = nullptr) {
    QList<ScreenOverlay*> found;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* overlay = qobject_cast<ScreenOverlay*>(widget);
            overlay && overlay->isVisible() && (!screen || overlay->geometry() == screen->geometry()))
            found << overlay;
    return found;
}

// The pick through the portal, within 0.3 s: the color or "none", a line, standard error.
QString portalPick() {
    QTemporaryFile capture;
    const int saved = dup(STDERR_FILENO);
    dup2(capture.open() ? capture.handle() : saved, STDERR_FILENO);
    const QDBusConnection bus = QDBusConnection::sessionBus();
    const auto picked = pickWithPortal(bus, std::chrono::milliseconds(300));
    dup2(saved, STDERR_FILENO);
    close(saved);
    capture.seek(0);
    return (picked ? QString::asprintf("%d %d %d", picked->red, picked->green, picked->blue) : "none") +
           '\n' + QString::fromLocal8Bit(capture.readAll());
}

// The desktop portal's Screenshot service on a connection of its own. The first PickColor gets Response 0
// with --color R G B, or as the options say: --response CODE, --text-color, --version N, --refuse (the
// call), --vanish (leaves after replying), --silent, --foreign (answers on another caller's path),
// --answer-first (before replying), --no-version (never answers the version query). Later calls get 0.2,
// 0.5, 0.999. As the session script's stand-in, it also writes each call on standard output.
class StandIn : public QDBusVirtualObject {
public:
    explicit StandIn(const QString& options)
        : options_(options.split(' ')) {
        bus_.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                                   QDBusConnection::SubPath);
        bus_.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    ~StandIn() override { QDBusConnection::disconnectFromBus(QStringLiteral("portal")); }
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        calls << message.member() + ' ' + message.path();
        if (qEnvironmentVariableIsSet("TST_PICKER_PORTAL"))
            std::printf("%s\n", qPrintable(calls.back()));
        if (message.member() == QLatin1String("Get")) // with --no-version: handled, and never answered
            return has("--no-version") || bus_.send(message.createReply(QVariant::fromValue(
                                              QDBusVariant(after("--version", "2").toUInt()))));
        if (message.member() != QLatin1String("PickColor")) // Close
            return bus_.send(message.createReply());
        const QString requests = message.path() + "/request/" + message.service().mid(1).replace('.', '_');
        const QVariantMap pickOptions = qdbus_cast<QVariantMap>(message.arguments().value(1));
        const QString derived = requests + '/' + pickOptions.value("handle_token").toString();
        if (calls.filter(QStringLiteral("PickColor")).size() > 1)
            options_ = QStringList{"--color", "0.2", "0.5", "0.999"};
        if (has("--refuse"))
            return bus_.send(message.createErrorReply("org.freedesktop.portal.Error.NotAllowed", "refused"));
        // Signals sent before the reply reach the caller first: an order Qt may deliver them in anyway.
        if (has("--answer-first"))
            bus_.send(answerOn(derived));
        bus_.send(message.createReply(QVariant::fromValue(QDBusObjectPath(derived))));
        if (has("--vanish"))
            QTimer::singleShot(100, this, [this] { leave(); });
        else if (has("--foreign"))
            bus_.send(answerOn(requests + "/notYours"));
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
    QDBusMessage answerOn(const QString& path) const {
        QVariantMap results;
        if (has("--text-color"))
            results["color"] = "#336699";
        if (QDBusArgument color; has("--color")) {
            color.beginStructure();
            color << after("--color", "", 1).toDouble() << after("--color", "", 2).toDouble()
                  << after("--color", "", 3).toDouble();
            color.endStructure();
            results["color"] = QVariant::fromValue(color);
        }
        QDBusMessage signal = QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
        return signal << after("--response", "0").toUInt() << results;
    }

    QStringList options_;
    QDBusConnection bus_ =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("portal"));
};

} // namespace

class TestPicker : public QObject {
    Q_OBJECT
    QList<QLabel*> screens_;

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

    void devicePixelAt_data() { addRows(kDevicePixels, {"logical", "pixel"}); }
    void devicePixelAt() {
        const auto [logical, pixel] = cells("logical", "pixel");
        QPixmap grab(200, 100);
        grab.setDevicePixelRatio(2);
        const QPointF at(logical.section(' ', 0, 0).toDouble(), logical.section(' ', 1).toDouble());
        QCOMPARE(FrozenScreen(QGuiApplication::primaryScreen(), grab).devicePixelAt(at), point(pixel));
    }

    // PickColor as the host calls it, the pointer moved on the screen's overlay: the loupe shows the pixel
    // under it in its middle cell. A pick still open 3 s later is ended with Escape: it fails, not hangs.
    void pick_data() { addRows(kPicks, {"screen", "at", "input", "outcome", "loupe"}); }
    void pick() {
        const auto [screen, at, input, outcome, loupe] = cells("screen", "at", "input", "outcome", "loupe");
        QScreen* const on = QGuiApplication::screens().at(screen.toInt());
        const QPoint p = point(at);
        QString shown, ended;
        QTimer poll; // until the overlays are up and the pick has placed its loupe at the pointer
        QObject::connect(&poll, &QTimer::timeout, [&] {
            const QList<ScreenOverlay*> up = overlays();
            if (up.size() < QGuiApplication::screens().size() ||
                std::none_of(up.cbegin(), up.cend(), [](const ScreenOverlay* o) { return o->loupeShown(); }))
                return;
            poll.stop();
            ScreenOverlay* const overlay = overlays(on).value(0);
            QTimer::singleShot(3000, overlay, [&ended] {
                ended = "never ended: ";
                for (ScreenOverlay* each : overlays()) // a pick started meanwhile as well
                    QTest::keyClick(each, Qt::Key_Escape);
            });
            QTest::mouseMove(overlay->windowHandle(), p);
            const QRect placed = overlay->loupeRect();
            const QColor middle = overlay->grab().toImage().pixelColor(loupeCellRect(placed, 7, 7).center());
            shown = QString::asprintf("%d %d ", placed.left() > p.x() ? placed.left() : placed.right() + 1,
                                      placed.top() > p.y() ? placed.top() : placed.bottom() + 1) +
                    middle.name() + ' ' + overlay->loupeText();
            for (const QString& key : input.split(' ')) {
                if (key == "click" || key == "right")
                    QTest::mouseClick(overlay->windowHandle(),
                                      key == "click" ? Qt::LeftButton : Qt::RightButton, {}, p);
                else if (key == "close")
                    overlay->close();
                else if (std::uint8_t red = 7, green = 8, blue = 9; key == "again")
                    ended += QStringLiteral(", again %1").arg(PickColor(&red, &green, &blue));
                else
                    QTest::keySequence(overlay, QKeySequence(key));
            }
        });
        poll.start(10);
        QCursor::setPos(on->geometry().topLeft() + p); // where the pick starts: the moves below stay on it
        std::uint8_t red = 7, green = 8, blue = 9;
        const int result = PickColor(&red, &green, &blue);
        QCOMPARE(QString::asprintf("%d %d %d %d", result, red, green, blue) + ended, outcome);
        const QColor under = on->grabWindow(0).toImage().pixelColor(p);
        const QString text = QString::asprintf("RGB %d, %d, %d\n", under.red(), under.green(), under.blue());
        QCOMPARE(shown, loupe + ' ' + under.name() + ' ' + text + under.name().toUpper());
    }

    // The portal under Wayland, whatever its plugin's variant (X11 and XWayland: the session script).
    void pickWay() {
        QCOMPARE(choosePickWay("wayland", ""), PickWay::portal);
        QCOMPARE(choosePickWay("wayland-egl", ""), PickWay::portal);
    }

    void portal_data() { addRows(kPortal, {"options", "color", "reason", "calls"}); }
    void portal() {
        const auto [options, color, reason, calls] = cells("options", "color", "reason", "calls");
        std::unique_ptr<StandIn> standIn(options == "-" ? nullptr : new StandIn(options));
        if (standIn) // a pick that would wait for good ends as if the portal had left, and fails the row
            QTimer::singleShot(6000, standIn.get(), [&] { standIn->leave(); });
        const QString picked = portalPick();
        QVERIFY2(picked.startsWith(color + '\n' + (reason.isEmpty() ? "" : "colorPicker: " + reason)) &&
                     picked.count('\n') == (reason.isEmpty() ? 1 : 2),
                 qPrintable(picked));
        if (calls.contains('2'))
            QCOMPARE(portalPick(), "51 128 255\n");
        const QString log = standIn ? standIn->calls.join('\n') : QString();
        standIn.reset();
        QCOMPARE(log.contains("PickColor /org/freedesktop/portal/desktop"), calls.contains('P'));
        QCOMPARE(log.contains(QRegularExpression("Close \\S+/request/\\w+/corvella")), calls.contains('C'));
        QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
            "org.freedesktop.portal.Desktop"));
    }
};

// With TST_PICKER_PORTAL set to a stand-in's options, the program is that stand-in on the session bus
// until it is ended, for the session script's portal picks.
int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (qEnvironmentVariableIsSet("TST_PICKER_PORTAL")) {
        std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ); // each call on its own line as it comes
        const StandIn standIn(qEnvironmentVariable("TST_PICKER_PORTAL"));
        return QApplication::exec();
    }
    TestPicker test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_picker.moc"
