#include "MutterDisplaySleep.h"

#include "DBusCall.h"
#include "Log.h"

#include <QDBusVariant>

namespace {

const QString mutter = QStringLiteral("org.gnome.Mutter.DisplayConfig");
const QString mutterPath = QStringLiteral("/org/gnome/Mutter/DisplayConfig");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString powerSaveMode = QStringLiteral("PowerSaveMode");
constexpr int displaysOff = 3;

} // namespace

MutterDisplaySleep::MutterDisplaySleep(QDBusConnection session, QObject *parent)
    : DesktopAction(parent)
    , m_session(std::move(session))
{}

void MutterDisplaySleep::probe()
{
    DBusCall::async(
        m_session,
        DBusCall::method(mutter, mutterPath, properties, QStringLiteral("Get"), {mutter, powerSaveMode}),
        this, [this](const QDBusMessage &reply) {
            setMissing(reply.type() == QDBusMessage::ReplyMessage ? Missing::Nothing : Missing::Service);
        });
}

void MutterDisplaySleep::run()
{
    DBusCall::async(m_session,
                    DBusCall::method(mutter, mutterPath, properties, QStringLiteral("Set"),
                                     {mutter, powerSaveMode, QVariant::fromValue(QDBusVariant(displaysOff))}),
                    this, [this](const QDBusMessage &reply) {
                        const bool ok = reply.type() == QDBusMessage::ReplyMessage;
                        if (!ok)
                            qCWarning(lcTools).noquote()
                                << "Mutter did not put the displays to sleep:" << reply.errorMessage();
                        Q_EMIT finished(ok);
                    });
}
