#include "ShellExtensionToggle.h"

#include "DBusCall.h"
#include "Log.h"

#include <QDBusArgument>

namespace {

const QString shell = QStringLiteral("org.gnome.Shell.Extensions");
const QString shellPath = QStringLiteral("/org/gnome/Shell/Extensions");
// The shell's extension states that mean running, or about to be.
constexpr double active = 1;
constexpr double enabling = 8;

} // namespace

ShellExtensionToggle::ShellExtensionToggle(QDBusConnection session, QString uuid, QObject *parent)
    : DesktopToggle(parent)
    , m_session(std::move(session))
    , m_uuid(std::move(uuid))
{}

void ShellExtensionToggle::probe()
{
    if (!m_listening)
        m_listening = m_session.connect(shell, shellPath, shell, QStringLiteral("ExtensionStateChanged"),
                                        this, SLOT(onStateChanged(QString, QVariantMap)));
    read([](bool) {});
}

void ShellExtensionToggle::read(std::function<void(bool)> done)
{
    DBusCall::async(m_session,
                    DBusCall::method(shell, shellPath, shell, QStringLiteral("GetExtensionInfo"), {m_uuid}),
                    this, [this, done = std::move(done)](const QDBusMessage &reply) {
                        if (reply.type() != QDBusMessage::ReplyMessage) {
                            setMissing(Missing::Service);
                            done(false);
                            return;
                        }
                        take(qdbus_cast<QVariantMap>(reply.arguments().value(0)));
                        done(true);
                    });
}

void ShellExtensionToggle::take(const QVariantMap &info)
{
    // The shell answers an unknown extension with nothing at all.
    if (info.isEmpty()) {
        setMissing(Missing::DesktopIcons);
        return;
    }
    setMissing(Missing::Nothing);
    const double state = info.value(QStringLiteral("state")).toDouble();
    setState(state != active && state != enabling);
}

void ShellExtensionToggle::onStateChanged(const QString &uuid, const QVariantMap &info)
{
    if (uuid == m_uuid)
        take(info);
}

void ShellExtensionToggle::setOn(bool on)
{
    const QString method = on ? QStringLiteral("DisableExtension") : QStringLiteral("EnableExtension");
    DBusCall::async(m_session, DBusCall::method(shell, shellPath, shell, method, {m_uuid}), this,
                    [this, on](const QDBusMessage &reply) {
                        const bool accepted =
                            reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
                        if (!accepted)
                            qCWarning(lcTools).noquote()
                                << "the shell did not switch" << m_uuid << reply.errorMessage();
                        read([this, on, accepted](bool answered) {
                            Q_EMIT switched(accepted && answered && isOn() == on);
                        });
                    });
}
