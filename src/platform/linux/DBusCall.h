#pragma once

#include <QDBusConnection>
#include <QDBusMessage>

#include <functional>

class QObject;

// One D-Bus call that never blocks: the answer (a reply or an error, also
// after the timeout) comes back on `context`'s thread, and never after
// `context` is gone. Calls never start a service that is not running.
namespace DBusCall {
constexpr int defaultTimeoutMs = 5000;

QDBusMessage method(const QString &service, const QString &path, const QString &interface,
                    const QString &name, const QVariantList &arguments = {});
void async(QDBusConnection bus, QDBusMessage message, QObject *context,
           std::function<void(const QDBusMessage &)> done, int timeoutMs = defaultTimeoutMs);
// Whether `name` has an owner on `bus`.
void hasOwner(QDBusConnection bus, const QString &name, QObject *context, std::function<void(bool)> done);
} // namespace DBusCall
