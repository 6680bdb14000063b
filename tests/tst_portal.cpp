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

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <unistd.h>

#include "portalPick.h"

using colorPicker::detail::PickOutcome;

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
constexpr int kProcessWaitMs = 10000;

// Service directories are left out on purpose: nothing installed on the machine may be started on
// this bus in place of the stand-in, or when a test wants no portal at all.
const char kBusConfig[] =
    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
    "<busconfig>\n"
    "  <type>session</type>\n"
    "  <listen>unix:dir=%1</listen>\n"
    "  <auth>EXTERNAL</auth>\n"
    "  <policy context=\"default\">\n"
    "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
    "    <allow eavesdrop=\"true\"/>\n"
    "    <allow own=\"*\"/>\n"
    "  </policy>\n"
    "</busconfig>\n";

// Collects what the library writes to standard error, where it says why it did not pick.
class StandardErrorCapture {
public:
    StandardErrorCapture() {
        std::fflush(stderr);
        if (!file_.open())
            return;
        saved_ = dup(STDERR_FILENO);
        dup2(file_.handle(), STDERR_FILENO);
    }
    ~StandardErrorCapture() { restore(); }
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    QString finish() {
        restore();
        file_.seek(0);
        return QString::fromLocal8Bit(file_.readAll());
    }

private:
    void restore() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }

    QTemporaryFile file_;
    int saved_ = -1;
};

} // namespace

class TestPortal : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void channelToByte_data();
    void channelToByte();
    void channelToByteRejectsNaN();
    void requestPath_data();
    void requestPath();
    void handleTokensAreFreshPathElements();

    void answerWithColor_data();
    void answerWithColor();
    void answerOnAnotherHandleIsFollowed();
    void answerBeforeTheCallReplyIsCaught();
    void noPick_data();
    void noPick();
    void missingPortalIsNoPickAtOnce();
    void portalGoingAwayEndsTheWait();
    void disconnectedBusIsNoPick();

private:
    bool startDouble(const QStringList& arguments);
    QString stopDouble();
    PickOutcome pick(QString* standardError);

    QTemporaryDir busDirectory_;
    QProcess bus_;
    QString address_;
    QDBusConnection connection_{QString()};
    std::unique_ptr<QProcess> double_;
};

void TestPortal::initTestCase() {
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

void TestPortal::cleanupTestCase() {
    QDBusConnection::disconnectFromBus(QStringLiteral("tst_portal"));
    bus_.terminate();
    bus_.waitForFinished(kProcessWaitMs);
}

void TestPortal::cleanup() {
    stopDouble();
    // The next stand-in must be able to own the name.
    QTRY_VERIFY_WITH_TIMEOUT(!connection_.interface()->isServiceRegistered(kPortalService), kProcessWaitMs);
}

bool TestPortal::startDouble(const QStringList& arguments) {
    double_ = std::make_unique<QProcess>();
    double_->start(QStringLiteral(PORTAL_DOUBLE_PATH), QStringList{address_} + arguments);
    if (!double_->waitForStarted(kProcessWaitMs))
        return false;
    while (!double_->canReadLine()) {
        if (!double_->waitForReadyRead(kProcessWaitMs))
            return false;
    }
    return double_->readLine().trimmed() == "ready";
}

// Ends the stand-in and returns the lines it printed for the calls it received.
QString TestPortal::stopDouble() {
    if (!double_)
        return {};
    double_->kill();
    double_->waitForFinished(kProcessWaitMs);
    const QString output = QString::fromUtf8(double_->readAllStandardOutput());
    double_.reset();
    return output;
}

PickOutcome TestPortal::pick(QString* standardError) {
    StandardErrorCapture capture;
    const PickOutcome outcome = colorPicker::detail::pickWithPortal(connection_);
    *standardError = capture.finish();
    return outcome;
}

void TestPortal::channelToByte_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("byte");
    QTest::newRow("0.999 rounds up, not down to 254") << 0.999 << 255;
    QTest::newRow("0.5 is a tie and goes to even 128") << 0.5 << 128;
    QTest::newRow("0.2") << 0.2 << 51;
    QTest::newRow("0.4") << 0.4 << 102;
    QTest::newRow("0.998 rounds down") << 0.998 << 254;
    QTest::newRow("just under half a step") << 0.0019 << 0;
    QTest::newRow("just over half a step") << 0.0021 << 1;
    QTest::newRow("zero") << 0.0 << 0;
    QTest::newRow("one") << 1.0 << 255;
    QTest::newRow("below zero clamps") << -0.3 << 0;
    QTest::newRow("above one clamps") << 1.7 << 255;
    QTest::newRow("infinity clamps") << std::numeric_limits<double>::infinity() << 255;
    QTest::newRow("minus infinity clamps") << -std::numeric_limits<double>::infinity() << 0;
}

void TestPortal::channelToByte() {
    QFETCH(double, value);
    QFETCH(int, byte);
    const auto converted = colorPicker::detail::portalChannelToByte(value);
    QVERIFY(converted.has_value());
    QCOMPARE(int(*converted), byte);
}

void TestPortal::channelToByteRejectsNaN() {
    QVERIFY(!colorPicker::detail::portalChannelToByte(std::nan("")).has_value());
}

void TestPortal::requestPath_data() {
    QTest::addColumn<QString>("uniqueName");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("path");
    QTest::newRow("short unique name")
        << QStringLiteral(":1.42") << QStringLiteral("corvella1r7")
        << QStringLiteral("/org/freedesktop/portal/desktop/request/1_42/corvella1r7");
    QTest::newRow("long unique name")
        << QStringLiteral(":1.1234") << QStringLiteral("corvella12r3456")
        << QStringLiteral("/org/freedesktop/portal/desktop/request/1_1234/corvella12r3456");
    QTest::newRow("several dots") << QStringLiteral(":3.2.1") << QStringLiteral("t")
                                  << QStringLiteral("/org/freedesktop/portal/desktop/request/3_2_1/t");
}

void TestPortal::requestPath() {
    QFETCH(QString, uniqueName);
    QFETCH(QString, token);
    QFETCH(QString, path);
    QCOMPARE(colorPicker::detail::portalRequestPath(uniqueName, token), path);
}

void TestPortal::handleTokensAreFreshPathElements() {
    const QRegularExpression pathElement(QStringLiteral("^corvella[A-Za-z0-9_]+$"));
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString token = colorPicker::detail::newHandleToken();
        QVERIFY2(pathElement.match(token).hasMatch(), qPrintable(token));
        QVERIFY2(!seen.contains(token), qPrintable(token));
        seen.insert(token);
    }
}

void TestPortal::answerWithColor_data() {
    QTest::addColumn<QStringList>("color");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::newRow("0.2, 0.4, 0.999") << QStringList{"0.2", "0.4", "0.999"} << 51 << 102 << 255;
    QTest::newRow("middle grey, ties to even") << QStringList{"0.5", "0.5", "0.5"} << 128 << 128 << 128;
    QTest::newRow("black") << QStringList{"0", "0", "0"} << 0 << 0 << 0;
    QTest::newRow("white") << QStringList{"1", "1", "1"} << 255 << 255 << 255;
    QTest::newRow("out of range clamps") << QStringList{"-0.25", "1.25", "0.001"} << 0 << 255 << 0;
}

void TestPortal::answerWithColor() {
    QFETCH(QStringList, color);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QVERIFY(startDouble(QStringList{"--color"} + color));

    QString standardError;
    const PickOutcome picked = pick(&standardError);
    QVERIFY(picked.has_value());
    QCOMPARE(int(picked->red), red);
    QCOMPARE(int(picked->green), green);
    QCOMPARE(int(picked->blue), blue);
    QCOMPARE(standardError, QString());

    const QString calls = stopDouble();
    QVERIFY2(calls.contains(QStringLiteral("Get org.freedesktop.portal.Screenshot version")),
             qPrintable(calls));
    QVERIFY2(QRegularExpression(QStringLiteral("PickColor parent='' token=corvella\\w+\n"))
                 .match(calls)
                 .hasMatch(),
             qPrintable(calls));
}

void TestPortal::answerOnAnotherHandleIsFollowed() {
    // The stand-in cancels on the path derived from the token and answers only on its own.
    QVERIFY(startDouble({"--other-handle", "--color", "0.2", "0.4", "0.999"}));
    QString standardError;
    const PickOutcome picked = pick(&standardError);
    QVERIFY(picked.has_value());
    QCOMPARE(int(picked->red), 51);
    QCOMPARE(int(picked->green), 102);
    QCOMPARE(int(picked->blue), 255);
}

void TestPortal::answerBeforeTheCallReplyIsCaught() {
    QVERIFY(startDouble({"--early", "--color", "1", "0", "0.5"}));
    QString standardError;
    const PickOutcome picked = pick(&standardError);
    QVERIFY(picked.has_value());
    QCOMPARE(int(picked->red), 255);
    QCOMPARE(int(picked->green), 0);
    QCOMPARE(int(picked->blue), 128);
}

void TestPortal::noPick_data() {
    QTest::addColumn<QStringList>("behaviour");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("asked");
    QTest::newRow("cancelled, which is no error") << QStringList{"--cancel"} << QString() << true;
    QTest::newRow("failed") << QStringList{"--fail"} << QStringLiteral("could not pick a color (response 2)")
                            << true;
    QTest::newRow("success without a color")
        << QStringList{"--no-color"} << QStringLiteral("without a usable color") << true;
    QTest::newRow("call refused") << QStringList{"--refuse"}
                                  << QStringLiteral("org.freedesktop.portal.Error.NotAllowed") << true;
    QTest::newRow("version 1 cannot pick and is not asked")
        << QStringList{"--version", "1", "--color", "1", "1", "1"}
        << QStringLiteral("the desktop portal offers no color picking (Screenshot version 1)") << false;
}

void TestPortal::noPick() {
    QFETCH(QStringList, behaviour);
    QFETCH(QString, reason);
    QFETCH(bool, asked);
    QVERIFY(startDouble(behaviour));

    QString standardError;
    QVERIFY(!pick(&standardError).has_value());
    if (reason.isEmpty()) {
        QCOMPARE(standardError, QString());
    } else {
        QVERIFY2(standardError.startsWith(QStringLiteral("colorPicker: ")), qPrintable(standardError));
        QVERIFY2(standardError.contains(reason), qPrintable(standardError));
        QCOMPARE(standardError.count(QLatin1Char('\n')), 1);
        QVERIFY(standardError.endsWith(QLatin1Char('\n')));
    }
    QCOMPARE(stopDouble().contains(QStringLiteral("PickColor")), asked);
}

void TestPortal::missingPortalIsNoPickAtOnce() {
    QString standardError;
    QVERIFY(!pick(&standardError).has_value());
    QVERIFY2(standardError.startsWith(QStringLiteral("colorPicker: the desktop portal is not available")),
             qPrintable(standardError));
    QVERIFY2(standardError.contains(QStringLiteral("ServiceUnknown")), qPrintable(standardError));
    QCOMPARE(standardError.count(QLatin1Char('\n')), 1);
}

void TestPortal::portalGoingAwayEndsTheWait() {
    QVERIFY(startDouble({"--silent"}));
    // Once the call has reached it, the stand-in dies without answering, as a crashing portal would.
    QString calls;
    connect(double_.get(), &QProcess::readyReadStandardOutput, this, [&] {
        calls += QString::fromUtf8(double_->readAllStandardOutput());
        if (calls.contains(QStringLiteral("PickColor")))
            double_->kill();
    });
    QString standardError;
    QVERIFY(!pick(&standardError).has_value());
    QVERIFY2(standardError.contains(QStringLiteral("went away")), qPrintable(standardError));
}

void TestPortal::disconnectedBusIsNoPick() {
    const QDBusConnection nowhere = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=") + busDirectory_.filePath(QStringLiteral("noSuchSocket")),
        QStringLiteral("nowhere"));
    QVERIFY(!nowhere.isConnected());
    StandardErrorCapture capture;
    const PickOutcome outcome = colorPicker::detail::pickWithPortal(nowhere);
    const QString standardError = capture.finish();
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
    QVERIFY(!outcome.has_value());
    QVERIFY2(standardError.startsWith(QStringLiteral("colorPicker: no D-Bus session bus")),
             qPrintable(standardError));
}

QTEST_GUILESS_MAIN(TestPortal)
#include "tst_portal.moc"
