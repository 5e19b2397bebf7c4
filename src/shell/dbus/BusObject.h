#pragma once

#include "HubTab.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QVariantMap>

#include <functional>
#include <optional>

class PrivacySwitch;
class SensorModel;

// Tarnwick on the session bus: org.freedesktop.Application and the scripting
// interface dev.orvane.Tarnwick1 on the object the application id names. The
// interfaces are answered by hand so that their published XML (data/dbus/)
// is also what introspection returns, and every argument is checked against
// it before anything is done.
class BusObject : public QDBusVirtualObject {
    Q_OBJECT
public:
    // Opens the hub, on `tab` when one is given.
    using OpenHub = std::function<void(std::optional<HubTab> tab)>;

    BusObject(QString busName, SensorModel &sensors, PrivacySwitch &privacy, OpenHub openHub,
              QObject *parent = nullptr);
    ~BusObject() override;

    // The object path org.freedesktop.Application derives from a bus name.
    static QString objectPath(const QString &busName);

    // Registers the object and asks for the name. Without a bus, or with the
    // name taken by another program, Tarnwick runs on without it (one log
    // line); a name taken is queued for, and answered once it is let go.
    void publish(QDBusConnection bus);

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;
    QString introspect(const QString &path) const override;

private:
    QDBusMessage answer(const QDBusMessage &call);
    QDBusMessage answerProperties(const QDBusMessage &call) const;
    QVariantMap properties() const;
    void announceChanges();

    QString m_busName;
    QString m_path;
    SensorModel &m_sensors;
    PrivacySwitch &m_privacy;
    OpenHub m_openHub;
    QString m_interfacesXml;
    std::optional<QDBusConnection> m_bus;
    QVariantMap m_announced;
};
