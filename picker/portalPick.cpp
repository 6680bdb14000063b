// The portal request: version check, PickColor call, and the wait for the Request's Response.
#include "portalPick.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QLocale>
#include <QRandomGenerator>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>

#include "inputBlock.h"
#include "noPickReason.h"
#include "portalRequest.h"

namespace colorPicker::detail {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// Long enough for the bus to start an activatable portal service on first use.
constexpr int kVersionQueryTimeoutMs = 10000;

// The values of Request.Response's first argument.
constexpr uint kResponseSuccess = 0;
constexpr uint kResponseCancelled = 1;

// Waited for in an event loop that, unlike a blocking call's, still handles a closing window: the
// application's quit ends it with every other loop, and then nothing more is asked of the portal.
std::optional<unsigned> screenshotVersion(const QDBusConnection& bus) {
    QDBusMessage query = QDBusMessage::createMethodCall(kPortalService, kPortalPath,
                                                        QStringLiteral("org.freedesktop.DBus.Properties"),
                                                        QStringLiteral("Get"));
    query << kScreenshotInterface << QStringLiteral("version");
    QDBusPendingCallWatcher watcher(bus.asyncCall(query, kVersionQueryTimeoutMs));
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    loop.exec();
    if (!watcher.isFinished())
        return std::nullopt; // the application is quitting
    const QDBusMessage reply = watcher.reply();
    if (reply.type() != QDBusMessage::ReplyMessage) {
        reportNoPick(QStringLiteral("the desktop portal is not available (%1: %2)")
                         .arg(reply.errorName(), reply.errorMessage()));
        return std::nullopt;
    }
    const QVariant version = qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant();
    if (version.typeId() != QMetaType::UInt) {
        reportNoPick(QStringLiteral("the desktop portal offers no color picking (no Screenshot version)"));
        return std::nullopt;
    }
    return version.toUInt();
}

// One channel as a byte, or empty with the reason (which channel, which value) on standard error.
std::optional<std::uint8_t> channelByte(const char* name, double value) {
    const auto byte = portalChannelToByte(value);
    if (!byte) {
        // As received: the shortest text that reads back as the same double (1.0000000000000002, not 1).
        reportNoPick(
            QStringLiteral("the desktop portal answered %1 %2, not a number from 0 to 1")
                .arg(QLatin1String(name), QString::number(value, 'g', QLocale::FloatingPointShortest)));
    }
    return byte;
}

// The color of a successful Response, or empty with the reason on standard error.
std::optional<PickedColor> colorFromResults(const QVariantMap& results) {
    const QVariant color = results.value(QStringLiteral("color"));
    const auto argument = qvariant_cast<QDBusArgument>(color);
    if (color.metaType() != QMetaType::fromType<QDBusArgument>() ||
        argument.currentSignature() != QLatin1String("(ddd)")) {
        reportNoPick(QStringLiteral("the desktop portal answered without a usable color"));
        return std::nullopt;
    }
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    argument.beginStructure();
    argument >> red >> green >> blue;
    argument.endStructure();
    const auto redByte = channelByte("red", red);
    const auto greenByte = redByte ? channelByte("green", green) : std::nullopt;
    const auto blueByte = greenByte ? channelByte("blue", blue) : std::nullopt;
    if (!blueByte)
        return std::nullopt;
    return PickedColor{*redByte, *greenByte, *blueByte};
}

// One PickColor request, from the call to the Response that ends it.
class PortalPick {
public:
    PortalPick(const QDBusConnection& bus, std::chrono::milliseconds responseBound)
        : bus_(bus) {
        // A portal that accepted the request but never answers (stalled, or answering on a path or with
        // a signature that is not ours) must not keep the pick open for good.
        silence_.setSingleShot(true);
        silence_.setInterval(responseBound);
        QObject::connect(&silence_, &QTimer::timeout, &loop_, [this] {
            reportNoPick(QStringLiteral("the desktop portal did not answer within %1 s")
                             .arg(double(silence_.interval()) / 1000.0));
            cancel();
        });
    }

    // Ends the pick without a color, as the portal's own cancel would, and closes the request so that
    // the desktop's picker goes away too.
    void cancel() {
        if (finished_)
            return;
        closeRequest();
        finish(std::nullopt);
    }

    PickOutcome run() {
        const QString token = newHandleToken();
        // Subscribed before the call: a fast portal may answer before the call's reply is handled.
        listenOn(portalRequestPath(bus_.baseService(), token));

        QDBusServiceWatcher portalWatcher(kPortalService, bus_, QDBusServiceWatcher::WatchForUnregistration);
        QObject::connect(&portalWatcher, &QDBusServiceWatcher::serviceUnregistered, &loop_, [this] {
            reportNoPick(QStringLiteral("the desktop portal went away before answering"));
            finish(std::nullopt);
        });

        QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kScreenshotInterface,
                                                           QStringLiteral("PickColor"));
        call << QString() << QVariantMap{{QStringLiteral("handle_token"), token}};
        QDBusPendingCallWatcher callWatcher(bus_.asyncCall(call));
        QObject::connect(&callWatcher, &QDBusPendingCallWatcher::finished, &loop_,
                         [this](QDBusPendingCallWatcher* watcher) { onCallFinished(*watcher); });

        loop_.exec();
        if (!finished_)
            closeRequest();
        return outcome_;
    }

private:
    void listenOn(const QString& path) {
        requestPath_ = path;
        request_ = std::make_unique<PortalRequest>(kPortalService, path, bus_);
        QObject::connect(
            request_.get(), &PortalRequest::Response, &loop_,
            [this](uint response, const QVariantMap& results) { onResponse(response, results); });
    }

    void onCallFinished(const QDBusPendingCall& call) {
        if (finished_)
            return;
        const QDBusPendingReply<QDBusObjectPath> reply = call;
        if (reply.isError()) {
            reportNoPick(QStringLiteral("the desktop portal refused to pick a color (%1: %2)")
                             .arg(reply.error().name(), reply.error().message()));
            finish(std::nullopt);
            return;
        }
        callAnswered_ = true;
        silence_.start();
        // Portals that predate handle_token choose the path themselves; theirs is the one that answers,
        // and whatever came on the path we derived was not for us.
        const QString handle = reply.value().path();
        if (handle != requestPath_)
            listenOn(handle);
        else if (early_)
            onResponse(early_->response, early_->results);
        early_.reset();
    }

    void onResponse(uint response, const QVariantMap& results) {
        if (finished_)
            return;
        // Qt may hand us the Response before the call's reply; only the reply tells whose path it is.
        if (!callAnswered_) {
            early_ = EarlyResponse{response, results};
            return;
        }
        if (response == kResponseSuccess) {
            finish(colorFromResults(results));
        } else if (response == kResponseCancelled) {
            finish(std::nullopt);
        } else {
            reportNoPick(
                QStringLiteral("the desktop portal could not pick a color (response %1)").arg(response));
            finish(std::nullopt);
        }
    }

    void finish(PickOutcome outcome) {
        finished_ = true;
        outcome_ = outcome;
        loop_.quit();
    }

    // Closes the request, so that the desktop's picker goes away: after a cancel from the host's window or
    // the bound, and when the wait was ended from outside (the application is quitting) with nobody
    // left to take the answer.
    void closeRequest() {
        bus_.send(QDBusMessage::createMethodCall(kPortalService, requestPath_, kRequestInterface,
                                                 QStringLiteral("Close")));
    }

    QDBusConnection bus_;
    QEventLoop loop_;
    QTimer silence_;
    std::unique_ptr<PortalRequest> request_;
    QString requestPath_;
    bool callAnswered_ = false;
    struct EarlyResponse {
        uint response;
        QVariantMap results;
    };
    std::optional<EarlyResponse> early_;
    bool finished_ = false;
    PickOutcome outcome_;
};

} // namespace

PickOutcome pickWithPortal(const QDBusConnection& bus, std::chrono::milliseconds responseBound) {
    if (!bus.isConnected()) {
        reportNoPick(QStringLiteral("no D-Bus session bus to reach the desktop portal (%1)")
                         .arg(bus.lastError().message()));
        return std::nullopt;
    }
    // The host's windows wait for the pick, as they do under the screen overlay; Escape in them cancels.
    PortalPick* pending = nullptr;
    const InputBlock block([&pending] {
        if (pending)
            pending->cancel();
    });
    const auto version = screenshotVersion(bus);
    if (!version)
        return std::nullopt;
    if (*version < kFirstScreenshotVersionWithPickColor) {
        reportNoPick(QStringLiteral("the desktop portal offers no color picking (Screenshot version %1)")
                         .arg(*version));
        return std::nullopt;
    }
    PortalPick pick(bus, responseBound);
    pending = &pick;
    return pick.run();
}

std::optional<std::uint8_t> portalChannelToByte(double value) {
    // Written so that NaN, which compares false with everything, is refused as well.
    if (!(value >= 0.0 && value <= 1.0))
        return std::nullopt;
    // Rounded, not truncated: 0.999 is meant as 255, and 0.5 lands on 127.5, which goes to even 128.
    return static_cast<std::uint8_t>(std::nearbyint(value * 255.0));
}

QString portalRequestPath(const QString& uniqueBusName, const QString& token) {
    QString sender = uniqueBusName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

QString newHandleToken() {
    static std::atomic<unsigned> counter{0};
    // The counter keeps tokens unique in this process; the random part keeps a restarted program that
    // got the same unique bus name from reusing a path.
    return QStringLiteral("corvella%1r%2").arg(++counter).arg(QRandomGenerator::global()->generate());
}

} // namespace colorPicker::detail
