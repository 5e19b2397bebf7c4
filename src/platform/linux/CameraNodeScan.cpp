#include "CameraNodeScan.h"

#include "ProcFs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <dirent.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

CameraNodeScan::CameraNodeScan(QString deviceRoot, NodeCheck check, QString procRoot)
    : m_deviceRoot(QFileInfo(deviceRoot).canonicalFilePath())
    , m_check(check)
    , m_procRoot(std::move(procRoot))
{
    if (m_deviceRoot.isEmpty())
        m_deviceRoot = deviceRoot; // missing now; may appear later
}

bool CameraNodeScan::isCaptureNode(const QString &path) const
{
    if (m_check == NodeCheck::AnyCharacterDevice)
        return true;
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    v4l2_capability caps{};
    const bool queried = ioctl(fd, VIDIOC_QUERYCAP, &caps) == 0;
    close(fd);
    if (!queried)
        return false;
    // The node's own capabilities; `capabilities` describes the whole device.
    const quint32 own = (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
    // Metadata nodes of the same camera report META_CAPTURE only.
    return (own & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_CAPTURE_MPLANE)) != 0;
}

QList<CameraNode> CameraNodeScan::nodes() const
{
    QList<CameraNode> found;
    const QStringList names = QDir(m_deviceRoot).entryList(QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        if (!isCandidateName(name))
            continue;
        const QString path = m_deviceRoot + QLatin1Char('/') + name;
        struct stat st {};
        if (stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISCHR(st.st_mode))
            continue;
        if (isCaptureNode(path))
            found.append({path, st.st_rdev});
    }
    return found;
}

QList<CameraHolder> CameraNodeScan::holders(const QList<CameraNode> &nodes, qint32 excludedPid) const
{
    QList<CameraHolder> found;
    if (nodes.isEmpty())
        return found;
    QHash<QByteArray, dev_t> wanted;
    for (const CameraNode &node : nodes)
        wanted.insert(QFile::encodeName(node.path), node.device);

    for (const pid_t pid : ProcFs::pids(m_procRoot)) {
        if (pid == excludedPid)
            continue;
        const QByteArray fdPath = QFile::encodeName(QStringLiteral("%1/%2/fd").arg(m_procRoot).arg(pid));
        // Other users' processes cannot be looked into; they are not ours to name.
        const int dirFd = open(fdPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0)
            continue;
        DIR *dir = fdopendir(dirFd);
        if (!dir) {
            close(dirFd);
            continue;
        }
        QList<QString> held;
        char target[4096];
        while (const dirent *entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            // Most descriptors are sockets and pipes: reading the link is
            // cheaper than following it.
            const ssize_t length = readlinkat(dirFd, entry->d_name, target, sizeof target);
            if (length <= 0 || length >= ssize_t(sizeof target))
                continue;
            const QByteArray path(target, length);
            const auto node = wanted.constFind(path);
            if (node == wanted.constEnd())
                continue;
            struct stat st {};
            if (fstatat(dirFd, entry->d_name, &st, 0) != 0 || !S_ISCHR(st.st_mode) || st.st_rdev != *node)
                continue;
            const QString nodePath = QFile::decodeName(path);
            if (!held.contains(nodePath))
                held.append(nodePath);
        }
        closedir(dir);
        for (const QString &node : held)
            found.append({qint32(pid), node});
    }
    return found;
}
