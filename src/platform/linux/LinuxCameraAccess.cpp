#include "LinuxCameraAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

namespace {

// The group a node belongs to, by name when the system knows it.
QString groupOf(gid_t gid)
{
    std::array<char, 4096> buffer{};
    group entry{};
    group *found = nullptr;
    if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->gr_name);
    return QString::number(gid);
}

} // namespace

LinuxCameraAccess::LinuxCameraAccess(CameraNodeScan scan, QDBusConnection session, bool sandboxed,
                                     QObject *parent)
    : CameraAccess(parent)
    , m_scan(std::move(scan))
    , m_request(std::move(session))
    , m_sandboxed(sandboxed)
{
    m_worker.setMaxThreadCount(1);
}

LinuxCameraAccess::~LinuxCameraAccess()
{
    m_worker.waitForDone();
}

void LinuxCameraAccess::check()
{
    if (m_sandboxed) {
        Q_EMIT checked({m_portalAnswer, {}, {}});
        return;
    }
    m_worker.start([this] {
        const Status found = status();
        // The destructor waits for this job, so `this` is still there.
        QMetaObject::invokeMethod(
            this, [this, found] { Q_EMIT checked(found); }, Qt::QueuedConnection);
    });
}

bool LinuxCameraAccess::inSandbox()
{
    return QFileInfo::exists(QStringLiteral("/.flatpak-info"));
}

CameraAccess::Status LinuxCameraAccess::status() const
{
    if (m_sandboxed)
        return {m_portalAnswer, {}, {}};
    if (!m_scan.nodes().isEmpty())
        return {State::Available, {}, {}};
    // Nodes that did not open for want of rights are cameras this user may
    // be given; anything else there is not a camera.
    const QStringList names =
        QDir(m_scan.deviceRoot()).entryList(QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        if (!CameraNodeScan::isCandidateName(name))
            continue;
        const QString path = m_scan.deviceRoot() + QLatin1Char('/') + name;
        const QByteArray encoded = QFile::encodeName(path);
        struct stat st {};
        if (stat(encoded.constData(), &st) != 0 || !S_ISCHR(st.st_mode))
            continue;
        const int fd = open(encoded.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            close(fd);
        } else if (errno == EACCES || errno == EPERM) {
            return {State::NoRights, path, groupOf(st.st_gid)};
        }
    }
    return {State::NoCamera, {}, {}};
}

void LinuxCameraAccess::request()
{
    if (!m_sandboxed) {
        // Device rights are the administrator's to give; there is nobody to ask.
        Q_EMIT answered();
        return;
    }
    m_request.start(
        QStringLiteral("org.freedesktop.portal.Camera"), QStringLiteral("AccessCamera"), {}, {},
        [this](uint response, const QVariantMap &) {
            m_portalAnswer = response == 0 ? State::Available : State::Refused;
            Q_EMIT answered();
        },
        // The user answers a dialog.
        10 * 60 * 1000);
}
