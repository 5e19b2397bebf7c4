#include "BusObject.h"

#include "Log.h"
#include "PrivacySwitch.h"
#include "SensorModel.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QFile>
#include <QRegularExpression>

// A sensor's user as the scripting interface gives it: (pid, name, app id).
struct BusUser {
    qint32 pid = 0;
    QString name;
    QString appId;

    friend bool operator==(const BusUser &, const BusUser &) = default;
};
Q_DECLARE_METATYPE(BusUser)

QDBusArgument &operator<<(QDBusArgument &out, const BusUser &user)
{
    out.beginStructure();
    out << user.pid << user.name << user.appId;
    out.endStructure();
    return out;
}

const QDBusArgument &operator>>(const QDBusArgument &in, BusUser &user)
{
    in.beginStructure();
    in >> user.pid >> user.name >> user.appId;
    in.endStructure();
    return in;
}

namespace {

const QString applicationInterface = QStringLiteral("org.freedesktop.Application");
const QString scriptingInterface = QStringLiteral("dev.orvane.Tarnwick1");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString introspectableInterface = QStringLiteral("org.freedesktop.DBus.Introspectable");

// What every object on the bus answers; the bus library answers Peer itself.
constexpr char standardInterfaces[] = R"(<interface name="org.freedesktop.DBus.Introspectable">
<method name="Introspect"><arg name="xml_data" type="s" direction="out"/></method>
</interface>
<interface name="org.freedesktop.DBus.Peer">
<method name="Ping"/>
<method name="GetMachineId"><arg name="machine_uuid" type="s" direction="out"/></method>
</interface>
<interface name="org.freedesktop.DBus.Properties">
<method name="Get"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="out"/></method>
<method name="GetAll"><arg name="interface_name" type="s" direction="in"/><arg name="properties" type="a{sv}" direction="out"/></method>
<method name="Set"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="in"/></method>
<signal name="PropertiesChanged"><arg name="interface_name" type="s"/><arg name="changed_properties" type="a{sv}"/><arg name="invalidated_properties" type="as"/></signal>
</interface>
)";

QVariant busUsers(const QList<SensorUser> &users)
{
    QList<BusUser> list;
    for (const SensorUser &user : users)
        list.append({user.pid, user.name, user.appId});
    return QVariant::fromValue(list);
}

// The interfaces of a published XML file, without its comments and <node>.
QString interfacesIn(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString xml = QString::fromUtf8(file.readAll());
    xml.remove(
        QRegularExpression(QStringLiteral("<!--.*?-->"), QRegularExpression::DotMatchesEverythingOption));
    xml.remove(QRegularExpression(QStringLiteral("\\n\\s*(?=\\n)")));
    const qsizetype from = xml.indexOf(QLatin1String("<interface"));
    const QLatin1String end("</interface>");
    const qsizetype to = xml.lastIndexOf(end);
    return from < 0 || to < from ? QString() : xml.mid(from, to + end.size() - from) + QLatin1Char('\n');
}

QDBusMessage wrongArguments(const QDBusMessage &call, const QString &expected)
{
    return call.createErrorReply(
        QDBusError::InvalidArgs,
        QStringLiteral("%1 takes (%2), not (%3)").arg(call.member(), expected, call.signature()));
}

} // namespace

BusObject::BusObject(QString busName, SensorModel &sensors, PrivacySwitch &privacy, OpenHub openHub,
                     QObject *parent)
    : QDBusVirtualObject(parent)
    , m_busName(std::move(busName))
    , m_path(objectPath(m_busName))
    , m_sensors(sensors)
    , m_privacy(privacy)
    , m_openHub(std::move(openHub))
    , m_interfacesXml(interfacesIn(QStringLiteral(":/dbus/org.freedesktop.Application.xml")) +
                      interfacesIn(QStringLiteral(":/dbus/dev.orvane.Tarnwick1.xml")))
{
    qDBusRegisterMetaType<BusUser>();
    qDBusRegisterMetaType<QList<BusUser>>();
    m_announced = properties();
    connect(&m_sensors, &SensorModel::stateChanged, this, &BusObject::announceChanges);
    connect(&m_privacy, &PrivacySwitch::cameraOffChanged, this, &BusObject::announceChanges);
    connect(&m_privacy, &PrivacySwitch::micOffChanged, this, &BusObject::announceChanges);
}

BusObject::~BusObject()
{
    if (!m_bus)
        return;
    m_bus->unregisterObject(m_path);
    m_bus->unregisterService(m_busName);
}

QString BusObject::objectPath(const QString &busName)
{
    return QLatin1Char('/') + QString(busName)
                                  .replace(QLatin1Char('.'), QLatin1Char('/'))
                                  .replace(QLatin1Char('-'), QLatin1Char('_'));
}

void BusObject::publish(QDBusConnection bus)
{
    if (!bus.isConnected()) {
        qCWarning(lcBus).noquote().nospace() << "no session bus (" << bus.lastError().message()
                                             << "); Tarnwick runs without its D-Bus interface";
        return;
    }
    if (!bus.registerVirtualObject(m_path, this)) {
        qCWarning(lcBus).noquote().nospace()
            << "cannot put " << m_path << " on the session bus (" << bus.lastError().message()
            << "); Tarnwick runs without its D-Bus interface";
        return;
    }
    m_bus = bus;
    QDBusConnectionInterface *daemon = bus.interface();
    connect(daemon, &QDBusConnectionInterface::serviceRegistered, this, [this](const QString &name) {
        if (name == m_busName)
            qCInfo(lcBus).noquote() << "answering on the session bus as" << name;
    });
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = daemon->registerService(
        m_busName, QDBusConnectionInterface::QueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid())
        qCWarning(lcBus).noquote().nospace()
            << "cannot own " << m_busName << " on the session bus (" << reply.error().message()
            << "); a second launch will not find this one";
    else if (reply.value() == QDBusConnectionInterface::ServiceQueued)
        qCWarning(lcBus).noquote().nospace()
            << "the session bus name " << m_busName << " belongs to another program (pid "
            << daemon->servicePid(m_busName).value()
            << "); Tarnwick runs on and takes the name once that program lets it go";
}

bool BusObject::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage)
        return false;
    QDBusMessage reply = answer(message);
    if (!message.isReplyRequired())
        return true;
    QDBusConnection(connection).send(reply);
    return true;
}

QString BusObject::introspect(const QString &) const
{
    return m_interfacesXml;
}

QDBusMessage BusObject::answer(const QDBusMessage &call)
{
    const QString interface = call.interface();
    const QString member = call.member();
    const auto in = [&interface](const QString &name) { return interface.isEmpty() || interface == name; };
    const auto arguments = [&call](const char *signature) {
        return call.signature() == QLatin1String(signature);
    };

    if (interface == propertiesInterface)
        return answerProperties(call);
    if (in(introspectableInterface) && member == QLatin1String("Introspect"))
        return call.createReply(
            QStringLiteral(
                "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
                " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n") +
            QLatin1String(standardInterfaces) + m_interfacesXml + QStringLiteral("</node>\n"));
    if (in(applicationInterface) && member == QLatin1String("Activate")) {
        // The platform data (a startup id or activation token) is of no use
        // to a panel that never takes the focus.
        if (!arguments("a{sv}"))
            return wrongArguments(call, QStringLiteral("a{sv}"));
        m_openHub(std::nullopt);
        return call.createReply();
    }
    if (in(applicationInterface) && member == QLatin1String("Open"))
        return arguments("asa{sv}") ? call.createErrorReply(QDBusError::NotSupported,
                                                            QStringLiteral("Tarnwick opens no files"))
                                    : wrongArguments(call, QStringLiteral("as, a{sv}"));
    if (in(applicationInterface) && member == QLatin1String("ActivateAction"))
        return arguments("sava{sv}")
                   ? call.createErrorReply(QDBusError::InvalidArgs,
                                           QStringLiteral("Tarnwick has no action named \"%1\"")
                                               .arg(call.arguments().constFirst().toString()))
                   : wrongArguments(call, QStringLiteral("s, av, a{sv}"));
    const bool setCamera = member == QLatin1String("SetCameraOff");
    if (in(scriptingInterface) && (setCamera || member == QLatin1String("SetMicrophoneOff"))) {
        if (!arguments("b"))
            return wrongArguments(call, QStringLiteral("b"));
        const bool off = call.arguments().constFirst().toBool();
        if (setCamera)
            m_privacy.setCameraOff(off);
        else
            m_privacy.setMicOff(off);
        return call.createReply();
    }
    if (in(scriptingInterface) && member == QLatin1String("OpenHub")) {
        if (!arguments("s"))
            return wrongArguments(call, QStringLiteral("s"));
        const QString section = call.arguments().constFirst().toString();
        const std::optional<HubTab> tab = HubTabs::fromText(section);
        if (!tab) {
            QStringList sections;
            for (HubTab each : HubTabs::all())
                sections.append(HubTabs::text(each));
            return call.createErrorReply(QDBusError::InvalidArgs,
                                         QStringLiteral("no section named \"%1\"; the sections are %2")
                                             .arg(section, sections.join(QStringLiteral(", "))));
        }
        m_openHub(tab);
        return call.createReply();
    }
    return call.createErrorReply(QDBusError::UnknownMethod,
                                 QStringLiteral("no method %1 in %2").arg(member, interface));
}

QDBusMessage BusObject::answerProperties(const QDBusMessage &call) const
{
    const QString member = call.member();
    const QList<QVariant> arguments = call.arguments();
    const QString interface = arguments.value(0).toString();
    const bool known = interface == scriptingInterface || interface == applicationInterface;
    // org.freedesktop.Application has no properties.
    const QVariantMap all = interface == scriptingInterface ? properties() : QVariantMap();
    if (member == QLatin1String("GetAll")) {
        if (call.signature() != QLatin1String("s"))
            return wrongArguments(call, QStringLiteral("s"));
        if (!known)
            return call.createErrorReply(QDBusError::UnknownInterface,
                                         QStringLiteral("no interface ") + interface);
        return call.createReply(all);
    }
    const QString name = arguments.value(1).toString();
    const bool get = member == QLatin1String("Get");
    if (!get && member != QLatin1String("Set"))
        return call.createErrorReply(QDBusError::UnknownMethod,
                                     QStringLiteral("no method %1 in %2").arg(member, propertiesInterface));
    if (call.signature() != QLatin1String(get ? "ss" : "ssv"))
        return wrongArguments(call, QLatin1String(get ? "s, s" : "s, s, v"));
    if (!all.contains(name))
        return call.createErrorReply(QDBusError::UnknownProperty,
                                     QStringLiteral("no property %1 in %2").arg(name, interface));
    if (!get)
        return call.createErrorReply(
            QDBusError::PropertyReadOnly,
            QStringLiteral("%1 is read-only; the methods of %2 change it").arg(name, scriptingInterface));
    return call.createReply(QVariant::fromValue(QDBusVariant(all.value(name))));
}

QVariantMap BusObject::properties() const
{
    const SensorState &state = m_sensors.state();
    return {{QStringLiteral("CameraOn"), state.cameraOn},
            {QStringLiteral("CameraUsers"), busUsers(state.cameraUsers)},
            {QStringLiteral("MicrophoneOn"), state.micOn},
            {QStringLiteral("MicrophoneUsers"), busUsers(state.micUsers)},
            {QStringLiteral("CameraOff"), m_privacy.cameraOff()},
            {QStringLiteral("MicrophoneOff"), m_privacy.micOff()}};
}

void BusObject::announceChanges()
{
    const QVariantMap now = properties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (m_announced.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    m_announced = now;
    if (changed.isEmpty() || !m_bus)
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(m_path, propertiesInterface, QStringLiteral("PropertiesChanged"));
    signal << scriptingInterface << changed << QStringList();
    m_bus->send(signal);
}
