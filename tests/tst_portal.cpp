// Picking through the desktop portal, against a stand-in portal on a private D-Bus.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "portalPick.h"

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
constexpr int kProcessWaitMs = 10000;

// No service directories: nothing installed on the machine may be started on this bus in place of the
// stand-in, or when a test wants no portal at all.
const char kBusConfig[] = "<busconfig><type>session</type><listen>unix:dir=%1</listen><auth>EXTERNAL</auth>"
                          "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                          "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>";

// The picked color as "r g b", or "none", and what the library wrote to standard error.
struct Picked {
    QString color;
    QString standardError;
};

Picked pickOn(const QDBusConnection& bus) {
    QTemporaryFile capture;
    if (!capture.open())
        return {QStringLiteral("cannot capture standard error"), {}};
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(capture.handle(), STDERR_FILENO);
    const colorPicker::detail::PickOutcome outcome = colorPicker::detail::pickWithPortal(bus);
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    capture.seek(0);
    const QString color = outcome ? QStringLiteral("%1 %2 %3")
                                        .arg(int(outcome->red))
                                        .arg(int(outcome->green))
                                        .arg(int(outcome->blue))
                                  : QStringLiteral("none");
    return {color, QString::fromLocal8Bit(capture.readAll())};
}

} // namespace

class TestPortal : public QObject {
    Q_OBJECT
    QTemporaryDir busDirectory_;
    QProcess bus_;
    QString address_;
    QDBusConnection connection_{QString()};
    std::unique_ptr<QProcess> double_;

    // Ends the stand-in and returns the lines it printed for the calls it received.
    QString stopDouble() {
        if (!double_)
            return {};
        double_->kill();
        double_->waitForFinished(kProcessWaitMs);
        const QString output = QString::fromUtf8(double_->readAllStandardOutput());
        double_.reset();
        return output;
    }

private slots:
    void initTestCase() {
        QVERIFY(busDirectory_.isValid());
        QFile config(busDirectory_.filePath(QStringLiteral("bus.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QString::fromLatin1(kBusConfig).arg(busDirectory_.path()).toUtf8());
        config.close();
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--print-address"),
                    QStringLiteral("--nofork")});
        QVERIFY2(bus_.waitForStarted(kProcessWaitMs), "dbus-daemon (Debian package dbus) is needed");
        while (!bus_.canReadLine())
            QVERIFY2(bus_.waitForReadyRead(kProcessWaitMs), "dbus-daemon printed no address");
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        connection_ = QDBusConnection::connectToBus(address_, QStringLiteral("tst_portal"));
        QVERIFY2(connection_.isConnected(), qPrintable(connection_.lastError().message()));
    }

    void cleanupTestCase() {
        QDBusConnection::disconnectFromBus(QStringLiteral("tst_portal"));
        bus_.terminate();
        bus_.waitForFinished(kProcessWaitMs);
    }

    void cleanup() {
        stopDouble();
        // The next stand-in must be able to own the name.
        QTRY_VERIFY_WITH_TIMEOUT(!connection_.interface()->isServiceRegistered(kPortalService),
                                 kProcessWaitMs);
    }

    void channelToByte_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("byte"); // -1: none
        QTest::newRow("0.999 rounds up, not down to 254") << 0.999 << 255;
        QTest::newRow("0.998 rounds down") << 0.998 << 254;
        QTest::newRow("0.5 is a tie and goes to even 128") << 0.5 << 128;
        QTest::newRow("below zero clamps") << -0.3 << 0;
        QTest::newRow("above one clamps") << 1.7 << 255;
        QTest::newRow("NaN is no color") << std::nan("") << -1;
    }

    void channelToByte() {
        QFETCH(double, value);
        QFETCH(int, byte);
        const auto converted = colorPicker::detail::portalChannelToByte(value);
        QCOMPARE(converted ? int(*converted) : -1, byte);
    }

    void requestPath() {
        QCOMPARE(colorPicker::detail::portalRequestPath(QStringLiteral(":3.2.1"), QStringLiteral("t")),
                 QStringLiteral("/org/freedesktop/portal/desktop/request/3_2_1/t"));
    }

    // What they look like is checked where they reach the stand-in.
    void handleTokensAreFresh() {
        QSet<QString> tokens;
        for (int i = 0; i < 200; ++i)
            tokens.insert(colorPicker::detail::newHandleToken());
        QCOMPARE(tokens.size(), 200);
    }

    void pick_data() {
        QTest::addColumn<QStringList>("portal"); // the stand-in's options; none started for an empty list
        QTest::addColumn<QString>("color");
        QTest::addColumn<QString>("reason"); // how the one line on standard error starts
        QTest::addColumn<bool>("asked");     // whether PickColor reached the portal
        const QStringList color{"--color", "0.2", "0.5", "0.999"};
        QTest::newRow("color, rounded") << color << "51 128 255" << QString() << true;
        QTest::newRow("answer before the call's reply")
            << QStringList{"--answer-first"} + color << "51 128 255" << QString() << true;
        // The stand-in cancels on the path derived from the token, before its reply names another path,
        // and answers only on that one.
        QTest::newRow("answer on another handle is followed")
            << QStringList{"--other-handle"} + color << "51 128 255" << QString() << true;
        QTest::newRow("cancelled, which is no error")
            << QStringList{"--response", "1"} << "none" << QString() << true;
        QTest::newRow("failed") << QStringList{"--response", "2"} << "none"
                                << "the desktop portal could not pick a color (response 2)" << true;
        QTest::newRow("success without a color")
            << QStringList{"--response", "0"} << "none"
            << "the desktop portal answered without a usable color" << true;
        QTest::newRow("call refused")
            << QStringList{"--refuse"} << "none"
            << "the desktop portal refused to pick a color (org.freedesktop.portal.Error.NotAllowed" << true;
        QTest::newRow("version 1 cannot pick and is not asked")
            << QStringList{"--version", "1"} + color << "none"
            << "the desktop portal offers no color picking (Screenshot version 1)" << false;
        QTest::newRow("portal going away while the user picks")
            << QStringList{"--vanish"} << "none"
            << "the desktop portal went away before answering" << true;
        QTest::newRow("no portal on the bus")
            << QStringList() << "none"
            << "the desktop portal is not available (org.freedesktop.DBus.Error.ServiceUnknown" << false;
    }

    void pick() {
        QFETCH(QStringList, portal);
        QFETCH(QString, color);
        QFETCH(QString, reason);
        QFETCH(bool, asked);
        if (!portal.isEmpty()) {
            double_ = std::make_unique<QProcess>();
            double_->start(QStringLiteral(PORTAL_DOUBLE_PATH), QStringList{address_} + portal);
            QVERIFY(double_->waitForReadyRead(kProcessWaitMs));
            QCOMPARE(double_->readLine(), QByteArray("ready\n"));
            // A pick that would wait for ever ends as if the portal went away.
            QTimer::singleShot(kProcessWaitMs, double_.get(), &QProcess::kill);
        }
        const Picked picked = pickOn(connection_);
        QCOMPARE(picked.color, color);
        // Exactly one line, or nothing for a pick the user cancelled.
        if (reason.isEmpty()) {
            QCOMPARE(picked.standardError, QString());
        } else {
            QVERIFY2(picked.standardError.startsWith(QStringLiteral("colorPicker: ") + reason),
                     qPrintable(picked.standardError));
            QCOMPARE(picked.standardError.count(QLatin1Char('\n')), 1);
            QVERIFY(picked.standardError.endsWith(QLatin1Char('\n')));
        }
        const QString calls = stopDouble();
        QCOMPARE(calls.startsWith(QStringLiteral("Get org.freedesktop.portal.Screenshot version\n")),
                 !portal.isEmpty());
        QCOMPARE(
            calls.contains(QRegularExpression(QStringLiteral("\nPickColor parent='' token=corvella\\w+\n"))),
            asked);
    }

    void noBusIsNoPick() {
        const QDBusConnection nowhere = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=") + busDirectory_.filePath(QStringLiteral("noSuchSocket")),
            QStringLiteral("nowhere"));
        QVERIFY(!nowhere.isConnected());
        const Picked picked = pickOn(nowhere);
        QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
        QCOMPARE(picked.color, QStringLiteral("none"));
        QVERIFY2(picked.standardError.startsWith(QStringLiteral("colorPicker: no D-Bus session bus")),
                 qPrintable(picked.standardError));
    }
};

QTEST_GUILESS_MAIN(TestPortal)
#include "tst_portal.moc"
