// A stand-in for the desktop portal's Screenshot service on a private bus, for the portal tests.
//
// portalDouble ADDRESS [--version N] [--response CODE] [--color R G B] [--refuse | --vanish]
//              [--answer-first | --other-handle]
//
// Owns org.freedesktop.portal.Desktop on the bus at ADDRESS, reports the Screenshot version N (default 2)
// and answers PickColor with a Response of CODE (default 0), carrying the color R G B if one is given.
// --refuse fails the call; --vanish replies to it, then dies without answering. --answer-first sends the
// Response before the call's reply. --other-handle answers on a Request path of its own instead of the
// one derived from handle_token (as portals that predate handle_token do), after a cancel on the
// derived one sent before the reply. Prints "ready" once the name is owned and one line per call it
// receives.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QDBusMessage response(const QString& path, uint code, const QVariantMap& results = {}) {
    QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                                     QStringLiteral("Response"));
    signal << code << results;
    return signal;
}

class ScreenshotDouble : public QDBusVirtualObject {
public:
    explicit ScreenshotDouble(const QStringList& options)
        : options_(options) {
        // Repeats the answer on a path the caller only learns from the call's reply: its subscription
        // cannot be in place before then, and a real portal answers only after the user has acted.
        QObject::connect(&repeat_, &QTimer::timeout, &repeat_,
                         [this] { connection_.send(answerOn(other_)); });
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QVariantList arguments = message.arguments();
        if (message.member() == QLatin1String("Get")) {
            say(QStringLiteral("Get %1 %2")
                    .arg(arguments.value(0).toString(), arguments.value(1).toString()));
            const uint version = after("--version", 1).value(0, QStringLiteral("2")).toUInt();
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(version))));
            return true;
        }
        if (message.member() != QLatin1String("PickColor"))
            return false;
        const QString token =
            qdbus_cast<QVariantMap>(arguments.value(1)).value(QStringLiteral("handle_token")).toString();
        say(QStringLiteral("PickColor parent='%1' token=%2").arg(arguments.value(0).toString(), token));
        if (options_.contains(QLatin1String("--refuse"))) {
            connection.send(
                message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotAllowed"),
                                         QStringLiteral("refused by the test")));
            return true;
        }
        const QString requests =
            kPath + QStringLiteral("/request/") + message.service().mid(1).replace('.', '_');
        const QString derived = requests + QLatin1Char('/') + token;
        const bool otherHandle = options_.contains(QLatin1String("--other-handle"));
        other_ = requests + QStringLiteral("/otherHandle");
        // Signals sent before the reply reach the caller first: the order Qt may deliver them in anyway.
        if (otherHandle)
            connection.send(response(derived, 1));
        const bool answerFirst = options_.contains(QLatin1String("--answer-first"));
        if (answerFirst)
            connection.send(answerOn(derived));
        connection.send(
            message.createReply(QVariant::fromValue(QDBusObjectPath(otherHandle ? other_ : derived))));
        if (options_.contains(QLatin1String("--vanish"))) {
            QTimer::singleShot(200, [] { std::_Exit(0); });
        } else if (otherHandle) {
            connection_ = connection;
            repeat_.start(20);
        } else if (!answerFirst) {
            connection.send(answerOn(derived));
        }
        return true;
    }

private:
    // The `count` arguments after `option`, none where it is not given.
    QStringList after(const char* option, int count) const {
        const qsizetype at = options_.indexOf(QLatin1String(option));
        return at < 0 ? QStringList() : options_.mid(at + 1, count);
    }

    QDBusMessage answerOn(const QString& path) const {
        const uint code = after("--response", 1).value(0, QStringLiteral("0")).toUInt();
        const QStringList rgb = after("--color", 3);
        if (rgb.isEmpty())
            return response(path, code);
        QDBusArgument color;
        color.beginStructure();
        color << rgb.value(0).toDouble() << rgb.value(1).toDouble() << rgb.value(2).toDouble();
        color.endStructure();
        return response(path, code, {{QStringLiteral("color"), QVariant::fromValue(color)}});
    }

    QStringList options_;
    QTimer repeat_;
    QString other_;
    QDBusConnection connection_{QString()};
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QString address = application.arguments().value(1);
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("portalDouble"));
    ScreenshotDouble screenshot(application.arguments().mid(2));
    if (!bus.registerVirtualObject(kPath, &screenshot, QDBusConnection::SingleNode) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fprintf(stderr, "portalDouble: cannot serve the portal on %s\n", qPrintable(address));
        return 2;
    }
    say(QStringLiteral("ready"));
    return application.exec();
}
