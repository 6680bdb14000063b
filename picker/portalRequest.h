// A typed proxy for one org.freedesktop.portal.Request object, so its answer arrives as a Qt signal.
#pragma once

#include <QDBusAbstractInterface>
#include <QDBusConnection>
#include <QString>
#include <QVariantMap>

namespace colorPicker::detail {

class PortalRequest : public QDBusAbstractInterface {
    Q_OBJECT
public:
    PortalRequest(const QString& service, const QString& path, const QDBusConnection& bus)
        : QDBusAbstractInterface(service, path, "org.freedesktop.portal.Request", bus, nullptr) {}

Q_SIGNALS:
    // Named exactly like the D-Bus signal: connecting to it is what subscribes to the bus signal.
    void Response(uint response, const QVariantMap& results);
};

} // namespace colorPicker::detail
