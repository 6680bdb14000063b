// A stand-in for the desktop portal's Screenshot service on a private bus, for the portal tests.
//
// portalDouble ADDRESS [--version N] [--color R G B | --cancel | --fail | --no-color | --refuse | --silent]
//                      [--other-handle] [--early]
//
// Owns org.freedesktop.portal.Desktop on the bus at ADDRESS, reports the Screenshot version N
// (default 2) and answers PickColor as told. --other-handle answers on a Request path of its own
// instead of the one derived from handle_token (as portals that predate handle_token do), and cancels
// on the derived one so that a caller listening there does not get the color. --early sends the
// Response before the call's reply. Prints "ready" once the name is owned and one line per call it
// receives, so that the test can see what reached it.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");

enum class Answer { color, cancel, fail, noColor, refuse, silent };

struct Behaviour {
    QString address;
    uint version = 2;
    Answer answer = Answer::color;
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    bool otherHandle = false;
    bool early = false;
};

void say(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

[[noreturn]] void usage(const char* why) {
    std::fprintf(stderr, "portalDouble: %s\n", why);
    std::exit(2);
}

Behaviour parseArguments(const QStringList& arguments) {
    if (arguments.size() < 2)
        usage("no bus address");
    Behaviour behaviour;
    behaviour.address = arguments.at(1);
    for (qsizetype i = 2; i < arguments.size(); ++i) {
        const QString& option = arguments.at(i);
        const auto number = [&] {
            if (++i >= arguments.size())
                usage("a number is missing");
            bool ok = false;
            const double value = arguments.at(i).toDouble(&ok);
            if (!ok)
                usage("not a number");
            return value;
        };
        if (option == QLatin1String("--version")) {
            behaviour.version = static_cast<uint>(number());
        } else if (option == QLatin1String("--color")) {
            behaviour.answer = Answer::color;
            behaviour.red = number();
            behaviour.green = number();
            behaviour.blue = number();
        } else if (option == QLatin1String("--cancel")) {
            behaviour.answer = Answer::cancel;
        } else if (option == QLatin1String("--fail")) {
            behaviour.answer = Answer::fail;
        } else if (option == QLatin1String("--no-color")) {
            behaviour.answer = Answer::noColor;
        } else if (option == QLatin1String("--refuse")) {
            behaviour.answer = Answer::refuse;
        } else if (option == QLatin1String("--silent")) {
            behaviour.answer = Answer::silent;
        } else if (option == QLatin1String("--other-handle")) {
            behaviour.otherHandle = true;
        } else if (option == QLatin1String("--early")) {
            behaviour.early = true;
        } else {
            usage("unknown option");
        }
    }
    return behaviour;
}

QDBusMessage response(const QString& path, uint code, const QVariantMap& results) {
    QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                                     QStringLiteral("Response"));
    signal << code << results;
    return signal;
}

class ScreenshotDouble : public QDBusVirtualObject {
public:
    explicit ScreenshotDouble(const Behaviour& behaviour)
        : behaviour_(behaviour) {
        // Repeats the answer on a path the caller only learns from the call's reply: its subscription
        // cannot be in place before then, and a real portal answers only after the user has acted.
        repeat_.setInterval(20);
        QObject::connect(&repeat_, &QTimer::timeout, &repeat_,
                         [this] { connection_.send(answerOn(otherPath_)); });
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties") &&
            message.member() == QLatin1String("Get")) {
            say(QStringLiteral("Get %1 %2")
                    .arg(message.arguments().value(0).toString(), message.arguments().value(1).toString()));
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(behaviour_.version))));
            return true;
        }
        if (message.interface() == kScreenshotInterface && message.member() == QLatin1String("PickColor")) {
            pickColor(message, connection);
            return true;
        }
        say(QStringLiteral("unexpected %1.%2").arg(message.interface(), message.member()));
        return false;
    }

private:
    void pickColor(const QDBusMessage& message, const QDBusConnection& connection) {
        const QString parent = message.arguments().value(0).toString();
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().value(1));
        const QString token = options.value(QStringLiteral("handle_token")).toString();
        say(QStringLiteral("PickColor parent='%1' token=%2").arg(parent, token));
        if (behaviour_.answer == Answer::refuse) {
            connection.send(
                message.createErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotAllowed"),
                                         QStringLiteral("refused by the test")));
            return;
        }
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString expectedPath = QStringLiteral("%1/request/%2/%3").arg(kPath, sender, token);
        otherPath_ = QStringLiteral("%1/request/%2/otherHandle").arg(kPath, sender);
        const QString answerPath = behaviour_.otherHandle ? otherPath_ : expectedPath;
        const QDBusMessage reply = message.createReply(QVariant::fromValue(QDBusObjectPath(answerPath)));
        if (behaviour_.answer == Answer::silent) {
            connection.send(reply);
            return;
        }

        if (behaviour_.early)
            connection.send(answerOn(answerPath));
        connection.send(reply);
        if (behaviour_.otherHandle) {
            connection.send(response(expectedPath, 1, {}));
            connection_ = connection;
            repeat_.start();
        } else if (!behaviour_.early) {
            connection.send(answerOn(answerPath));
        }
    }

    QDBusMessage answerOn(const QString& path) const {
        switch (behaviour_.answer) {
        case Answer::color: {
            QDBusArgument color;
            color.beginStructure();
            color << behaviour_.red << behaviour_.green << behaviour_.blue;
            color.endStructure();
            return response(path, 0, {{QStringLiteral("color"), QVariant::fromValue(color)}});
        }
        case Answer::cancel:
            return response(path, 1, {});
        case Answer::fail:
            return response(path, 2, {});
        case Answer::noColor:
            return response(path, 0, {});
        case Answer::refuse:
        case Answer::silent:
            break;
        }
        return {};
    }

    Behaviour behaviour_;
    QTimer repeat_;
    QString otherPath_;
    QDBusConnection connection_{QString()};
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const Behaviour behaviour = parseArguments(application.arguments());
    QDBusConnection bus = QDBusConnection::connectToBus(behaviour.address, QStringLiteral("portalDouble"));
    if (!bus.isConnected())
        usage("cannot connect to the bus");
    ScreenshotDouble screenshot(behaviour);
    if (!bus.registerVirtualObject(kPath, &screenshot, QDBusConnection::SingleNode))
        usage("cannot register the portal object");
    if (!bus.registerService(kService))
        usage("cannot own the portal's name");
    say(QStringLiteral("ready"));
    return application.exec();
}
