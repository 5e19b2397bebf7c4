#include "UDisksEjector.h"

#include "DBusCall.h"
#include "Detached.h"
#include "Log.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QFutureWatcher>

namespace {

const QString udisks = QStringLiteral("org.freedesktop.UDisks2");
const QString driveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString blockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString filesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");

using Interfaces = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, Interfaces>;

// UDisks gives paths as zero-terminated byte strings.
QByteArray pathBytes(QByteArray bytes)
{
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    return bytes;
}

QList<QByteArray> mountPoints(const QVariant &value)
{
    QList<QByteArray> points;
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentType() != QDBusArgument::ArrayType)
        return points;
    argument.beginArray();
    while (!argument.atEnd()) {
        QByteArray point;
        argument >> point;
        points.append(pathBytes(point));
    }
    argument.endArray();
    return points;
}

struct FileSystem {
    QString path;
    QString name;
};

struct Drive {
    QString path;
    bool ejectable = false;
    bool canPowerOff = false;
    QString name;
    QList<FileSystem> mounted;
    bool holdsRoot = false;
};

bool isExternal(const QVariantMap &drive)
{
    static const QStringList buses{QStringLiteral("usb"), QStringLiteral("sdio"), QStringLiteral("ieee1394")};
    return drive.value(QStringLiteral("Removable")).toBool() ||
           drive.value(QStringLiteral("MediaRemovable")).toBool() ||
           drive.value(QStringLiteral("Ejectable")).toBool() ||
           buses.contains(drive.value(QStringLiteral("ConnectionBus")).toString());
}

QDBusMessage callUDisks(QDBusConnection &bus, const QString &path, const QString &interface,
                        const QString &method, int timeoutMs = DBusCall::defaultTimeoutMs)
{
    return bus.call(DBusCall::method(udisks, path, interface, method, {QVariantMap()}), QDBus::Block,
                    timeoutMs);
}

} // namespace

UDisksEjector::UDisksEjector(QDBusConnection system, QObject *parent)
    : DiskEjector(parent)
    , m_system(std::move(system))
{
    qDBusRegisterMetaType<Interfaces>();
    qDBusRegisterMetaType<ManagedObjects>();
}

void UDisksEjector::probe()
{
    DBusCall::hasOwner(m_system, udisks, this,
                       [this](bool owned) { setMissing(owned ? Missing::Nothing : Missing::Service); });
}

void UDisksEjector::ejectAll()
{
    if (m_running)
        return;
    m_running = true;
    auto *watcher = new QFutureWatcher<Result>(this);
    connect(watcher, &QFutureWatcher<Result>::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_running = false;
        const Result result = watcher->result();
        Q_EMIT ejected(result.count, result.failed);
    });
    watcher->setFuture(Detached::run<Result>([bus = m_system] { return ejectAllNow(bus); }));
}

UDisksEjector::Result UDisksEjector::ejectAllNow(QDBusConnection system)
{
    Result result;
    const QDBusMessage reply = system.call(DBusCall::method(
        udisks, QStringLiteral("/org/freedesktop/UDisks2"),
        QStringLiteral("org.freedesktop.DBus.ObjectManager"), QStringLiteral("GetManagedObjects")));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qCWarning(lcTools).noquote() << "UDisks did not list the disks:" << reply.errorMessage();
        return result;
    }
    const auto objects = qdbus_cast<ManagedObjects>(reply.arguments().value(0).value<QDBusArgument>());

    QMap<QString, Drive> drives; // by object path: the order UDisks' paths sort in
    for (auto object = objects.constBegin(); object != objects.constEnd(); ++object) {
        const QVariantMap drive = object->value(driveInterface);
        if (!object->contains(driveInterface) || !isExternal(drive))
            continue;
        Drive &entry = drives[object.key().path()];
        entry.path = object.key().path();
        entry.ejectable = drive.value(QStringLiteral("Ejectable")).toBool();
        entry.canPowerOff = drive.value(QStringLiteral("CanPowerOff")).toBool();
        entry.name = QStringList{drive.value(QStringLiteral("Vendor")).toString().trimmed(),
                                 drive.value(QStringLiteral("Model")).toString().trimmed()}
                         .join(QLatin1Char(' '))
                         .trimmed();
    }
    for (auto object = objects.constBegin(); object != objects.constEnd(); ++object) {
        if (!object->contains(filesystemInterface))
            continue;
        const QVariantMap block = object->value(blockInterface);
        const auto drive = drives.find(block.value(QStringLiteral("Drive")).value<QDBusObjectPath>().path());
        const QList<QByteArray> points =
            mountPoints(object->value(filesystemInterface).value(QStringLiteral("MountPoints")));
        if (drive == drives.end() || points.isEmpty())
            continue;
        drive->holdsRoot = drive->holdsRoot || points.contains("/");
        QString name = block.value(QStringLiteral("IdLabel")).toString().trimmed();
        if (name.isEmpty())
            name = drive->name;
        if (name.isEmpty())
            name =
                QFileInfo(QFile::decodeName(pathBytes(block.value(QStringLiteral("Device")).toByteArray())))
                    .fileName();
        drive->mounted.append({object.key().path(), name});
    }

    for (const Drive &drive : std::as_const(drives)) {
        if (drive.mounted.isEmpty() || drive.holdsRoot)
            continue;
        bool unmounted = true;
        for (const FileSystem &fileSystem : drive.mounted) {
            const QDBusMessage answer = callUDisks(system, fileSystem.path, filesystemInterface,
                                                   QStringLiteral("Unmount"), unmountTimeoutMs);
            if (answer.type() != QDBusMessage::ReplyMessage) {
                qCWarning(lcTools).noquote()
                    << "could not unmount" << fileSystem.path << answer.errorMessage();
                if (!result.failed.contains(fileSystem.name))
                    result.failed.append(fileSystem.name);
                unmounted = false;
            }
        }
        if (!unmounted)
            continue;
        // Unmounted is safe to unplug; ejecting or powering off only makes it plain.
        if (drive.ejectable || drive.canPowerOff) {
            const QDBusMessage answer =
                callUDisks(system, drive.path, driveInterface,
                           drive.ejectable ? QStringLiteral("Eject") : QStringLiteral("PowerOff"));
            if (answer.type() != QDBusMessage::ReplyMessage)
                qCInfo(lcTools).noquote()
                    << "unmounted but not ejected:" << drive.path << answer.errorMessage();
        }
        ++result.count;
    }
    return result;
}
