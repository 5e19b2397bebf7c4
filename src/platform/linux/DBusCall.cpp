#include "DBusCall.h"

#include <QDBusError>
#include <QDBusPendingCallWatcher>

namespace DBusCall {

QDBusMessage method(const QString &service, const QString &path, const QString &interface,
                    const QString &name, const QVariantList &arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, name);
    message.setArguments(arguments);
    message.setAutoStartService(false);
    return message;
}

void async(QDBusConnection bus, QDBusMessage message, QObject *context,
           std::function<void(const QDBusMessage &)> done, int timeoutMs)
{
    if (!bus.isConnected()) {
        // A call on a bus that is not there would never answer at all.
        QMetaObject::invokeMethod(
            context,
            [done = std::move(done), message] {
                done(message.createErrorReply(QDBusError::Disconnected, QStringLiteral("no such bus")));
            },
            Qt::QueuedConnection);
        return;
    }
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, timeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(watcher->reply());
    });
}

void hasOwner(QDBusConnection bus, const QString &name, QObject *context, std::function<void(bool)> done)
{
    async(bus,
          method(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"), {name}),
          context, [done = std::move(done)](const QDBusMessage &reply) {
              done(reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool());
          });
}

} // namespace DBusCall
