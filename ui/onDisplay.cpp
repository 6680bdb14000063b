// Opening the display: Qt's own failure is a fatal message and an abort, with a core file where those
// are on; Corvella says what is wrong and exits.
#include "onDisplay.h"

#include <QByteArray>
#include <QList>

#include <cstdio>
#include <cstdlib>

namespace onDisplay {

namespace {

constexpr int kNoDisplayStatus = 1;

// A message Qt gave while the application was being created, kept until it is clear whether to show it.
struct HeldMessage {
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;
};

QList<HeldMessage>& heldMessages() {
    static QList<HeldMessage> held;
    return held;
}

// The displays the platform may have tried, as the environment names them.
QString displayNames() {
    QStringList names;
    for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        if (qEnvironmentVariableIsSet(variable)) {
            names << QStringLiteral("%1=%2").arg(QLatin1String(variable), qEnvironmentVariable(variable));
        }
    }
    return names.isEmpty() ? QStringLiteral("neither DISPLAY nor WAYLAND_DISPLAY is set")
                           : names.join(QStringLiteral(", "));
}

// While the application is created: Qt's lines about a display it could not open are replaced by one
// of ours when they end in its fatal message, and shown as they came otherwise.
void holdMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        const QByteArray line =
            QStringLiteral("Corvella: no display could be opened (%1).\n").arg(displayNames()).toLocal8Bit();
        std::fputs(line.constData(), stderr);
        std::fflush(stderr);
        std::_Exit(kNoDisplayStatus);
    }
    heldMessages().append({type, context.file, context.line, context.function, context.category, text});
}

} // namespace

std::unique_ptr<QApplication> openApplication(int& argc, char** argv) {
    const QtMessageHandler previous = qInstallMessageHandler(holdMessages);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const HeldMessage& held : heldMessages()) {
        const QMessageLogContext context(held.file.constData(), held.line, held.function.constData(),
                                         held.category.constData());
        qt_message_output(held.type, context, held.text);
    }
    heldMessages().clear();
    return application;
}

} // namespace onDisplay
