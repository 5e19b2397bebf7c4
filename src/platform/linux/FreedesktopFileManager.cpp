#include "FreedesktopFileManager.h"

#include "Log.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>

namespace {

const QString service = QStringLiteral("org.freedesktop.FileManager1");

QString uri(const QByteArray &path)
{
    return QString::fromLatin1("file://" + path.toPercentEncoding("/"));
}

void xdgOpen(const QByteArray &path)
{
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {QFile::decodeName(path)}))
        qCWarning(lcShelf).noquote() << "xdg-open could not be started for" << path;
}

} // namespace

FreedesktopFileManager::FreedesktopFileManager(QDBusConnection bus)
    : m_bus(std::move(bus))
{}

void FreedesktopFileManager::reveal(const QList<QByteArray> &paths)
{
    if (paths.isEmpty())
        return;
    if (m_bus.isConnected() && m_bus.interface()->isServiceRegistered(service).value()) {
        QStringList uris;
        for (const QByteArray &path : paths)
            uris.append(uri(path));
        QDBusMessage call = QDBusMessage::createMethodCall(
            service, QStringLiteral("/org/freedesktop/FileManager1"), service, QStringLiteral("ShowItems"));
        call << uris << QString();
        m_bus.asyncCall(call);
        return;
    }
    const QByteArray &first = paths.first();
    xdgOpen(first.left(std::max<qsizetype>(1, first.lastIndexOf('/'))));
}

void FreedesktopFileManager::open(const QByteArray &path)
{
    xdgOpen(path);
}
