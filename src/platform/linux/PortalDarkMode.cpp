#include "PortalDarkMode.h"

#include "DBusCall.h"

namespace {

const QString portal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settings = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorScheme = QStringLiteral("color-scheme");
constexpr uint preferDark = 1;

} // namespace

PortalDarkMode::PortalDarkMode(QDBusConnection session, std::unique_ptr<DesktopToggle> writer,
                               QObject *parent)
    : DesktopToggle(parent)
    , m_session(std::move(session))
    , m_writer(std::move(writer))
{
    connect(m_writer.get(), &DesktopFacility::changed, this, &PortalDarkMode::update);
    connect(m_writer.get(), &DesktopToggle::switched, this, &DesktopToggle::switched);
}

void PortalDarkMode::probe()
{
    m_writer->probe();
    if (!m_listening)
        m_listening = m_session.connect(portal, portalPath, settings, QStringLiteral("SettingChanged"), this,
                                        SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    DBusCall::async(
        m_session,
        DBusCall::method(portal, portalPath, settings, QStringLiteral("Read"), {appearance, colorScheme}),
        this, [this](const QDBusMessage &reply) {
            if (reply.type() == QDBusMessage::ReplyMessage)
                take(reply.arguments().value(0));
            else
                m_portalDark.reset();
            update();
        });
}

void PortalDarkMode::take(const QVariant &value)
{
    // Read wraps the value in one variant more than the signal does.
    QVariant inner = value;
    while (inner.userType() == qMetaTypeId<QDBusVariant>())
        inner = inner.value<QDBusVariant>().variant();
    bool ok = false;
    const uint scheme = inner.toUInt(&ok);
    m_portalDark = ok ? std::optional<bool>(scheme == preferDark) : std::nullopt;
}

void PortalDarkMode::onSettingChanged(const QString &group, const QString &key, const QDBusVariant &value)
{
    if (group != appearance || key != colorScheme)
        return;
    take(value.variant());
    update();
}

void PortalDarkMode::setOn(bool on)
{
    m_writer->setOn(on);
}

void PortalDarkMode::update()
{
    setMissing(m_writer->missing());
    setState(m_portalDark.value_or(m_writer->isOn()));
}
