#include "V4l2CameraDeviceSource.h"

#include "Log.h"

#include <QFile>
#include <QSocketNotifier>
#include <QtConcurrent>

#include <algorithm>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr uint32_t folderEvents =
    IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;
constexpr uint32_t nodeEvents = IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE;

} // namespace

V4l2CameraDeviceSource::V4l2CameraDeviceSource(CameraNodeScan scan, std::chrono::milliseconds confirmDelay,
                                               std::chrono::milliseconds scanInterval, QObject *parent)
    : CameraDeviceSource(parent)
    , m_scan(std::move(scan))
    , m_confirmDelay(confirmDelay)
    , m_scanInterval(scanInterval)
{
    m_clock.start();
    m_confirm.setSingleShot(true);
    connect(&m_confirm, &QTimer::timeout, this, &V4l2CameraDeviceSource::requestScan);
    m_scanTurn.setSingleShot(true);
    connect(&m_scanTurn, &QTimer::timeout, this, &V4l2CameraDeviceSource::startScan);
    connect(&m_scanWatcher, &QFutureWatcher<Scan>::finished, this, [this] {
        // Every open the look saw was reported before it could see it: read
        // them all first, so each new hold starts at its own open.
        readEvents();
        m_scanRunning = false;
        ++m_scanCount;
        applyScan(m_scanWatcher.result(), m_scanStartedAt);
    });
}

V4l2CameraDeviceSource::~V4l2CameraDeviceSource()
{
    if (m_inotify >= 0)
        close(m_inotify);
}

void V4l2CameraDeviceSource::start()
{
    if (m_started)
        return;
    m_started = true;
    m_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify < 0) {
        qCWarning(lcCamera).noquote().nospace()
            << "cameras not watched: inotify is not available (" << qt_error_string(errno) << ")";
        return;
    }
    if (inotify_add_watch(m_inotify, QFile::encodeName(m_scan.deviceRoot()).constData(), folderEvents) < 0)
        qCWarning(lcCamera).noquote().nospace() << "cameras not watched: cannot watch " << m_scan.deviceRoot()
                                                << " (" << qt_error_string(errno) << ")";
    m_notifier = new QSocketNotifier(m_inotify, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &V4l2CameraDeviceSource::readEvents);
    m_nodesWanted = true;
    requestScan();
}

void V4l2CameraDeviceSource::readEvents()
{
    if (m_inotify < 0)
        return;
    bool activity = false;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t length = read(m_inotify, buffer, sizeof buffer);
        if (length <= 0)
            break;
        const qint64 now = m_clock.elapsed();
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Opens were lost: any node may have been opened just now.
                activity = m_nodesWanted = true;
                for (auto it = m_lastOpen.begin(); it != m_lastOpen.end(); ++it)
                    it.value() = now;
            } else if (const auto node = m_nodeWatches.constFind(event->wd);
                       node != m_nodeWatches.constEnd()) {
                activity = true;
                if (event->mask & IN_OPEN)
                    m_lastOpen.insert(*node, now);
                if (event->mask & IN_IGNORED)
                    m_nodeWatches.remove(event->wd); // the node is gone
            } else if (event->len > 0 && CameraNodeScan::isCandidateName(QFile::decodeName(event->name))) {
                activity = m_nodesWanted = true;
            }
        }
    }
    if (activity)
        requestScan();
}

void V4l2CameraDeviceSource::requestScan()
{
    if (m_scanRunning) {
        m_scanWanted = true;
        return;
    }
    if (m_scanTurn.isActive())
        return;
    const qint64 wait =
        m_scanStartedAt < 0 ? 0 : m_scanStartedAt + m_scanInterval.count() - m_clock.elapsed();
    if (wait > 0)
        m_scanTurn.start(int(wait));
    else
        startScan();
}

void V4l2CameraDeviceSource::startScan()
{
    m_scanWanted = false;
    m_scanStartedAt = m_clock.elapsed();
    const bool readNodes = std::exchange(m_nodesWanted, false);
    if (!readNodes && m_nodes.isEmpty()) {
        applyScan({}, m_scanStartedAt);
        return;
    }
    m_scanRunning = true;
    m_scanWatcher.setFuture(
        QtConcurrent::run([scan = m_scan, nodes = m_nodes, readNodes, me = qint32(getpid())] {
            Scan found;
            if (readNodes)
                found.nodes = scan.nodes();
            found.holders = scan.holders(found.nodes ? *found.nodes : nodes, me);
            return found;
        }));
}

void V4l2CameraDeviceSource::watchNodes(const QList<CameraNode> &now)
{
    const auto present = [&](const QString &path) {
        return std::any_of(now.begin(), now.end(), [&](const CameraNode &n) { return n.path == path; });
    };
    for (auto it = m_nodeWatches.begin(); it != m_nodeWatches.end();) {
        if (present(it.value())) {
            ++it;
            continue;
        }
        inotify_rm_watch(m_inotify, it.key());
        it = m_nodeWatches.erase(it);
    }
    m_lastOpen.removeIf([&](const auto &entry) { return !present(entry.key()); });
    const QList<QString> watched = m_nodeWatches.values();
    bool added = false;
    for (const CameraNode &node : now) {
        if (watched.contains(node.path))
            continue;
        const int wd = inotify_add_watch(m_inotify, QFile::encodeName(node.path).constData(), nodeEvents);
        if (wd < 0) {
            qCWarning(lcCamera).noquote().nospace()
                << "camera " << node.path << " not watched: " << qt_error_string(errno);
            continue;
        }
        m_nodeWatches.insert(wd, node.path);
        // Whoever holds it now opened it before this moment, unseen.
        m_lastOpen.insert(node.path, m_clock.elapsed());
        added = true;
    }
    m_nodes = now;
    // An open between the look and the new watch was neither seen nor reported.
    if (added)
        requestScan();
}

void V4l2CameraDeviceSource::applyScan(const Scan &scan, qint64 startedAt)
{
    if (scan.nodes)
        watchNodes(*scan.nodes);
    m_appliedScanStartedAt = startedAt;
    for (auto it = m_openSince.begin(); it != m_openSince.end();) {
        if (scan.holders.contains(it.key()))
            ++it;
        else
            it = m_openSince.erase(it);
    }
    const qint64 now = m_clock.elapsed();
    for (const CameraHolder &holder : scan.holders) {
        if (!m_openSince.contains(holder))
            m_openSince.insert(holder, m_lastOpen.value(holder.node, now));
    }
    if (m_scanWanted)
        requestScan();
    evaluate();
}

void V4l2CameraDeviceSource::evaluate()
{
    // Seen by a look that began the delay after its start: it was held at
    // least that long, whatever happened since.
    bool running = false;
    qint64 earliest = -1;
    for (const qint64 since : std::as_const(m_openSince)) {
        running = running || m_appliedScanStartedAt - since >= m_confirmDelay.count();
        earliest = earliest < 0 ? since : std::min(earliest, since);
    }
    m_confirm.stop();
    if (!running && earliest >= 0) {
        const qint64 wait = earliest + m_confirmDelay.count() - m_clock.elapsed();
        if (wait > 0)
            m_confirm.start(int(wait));
        else
            requestScan();
    }
    if (running == m_running)
        return;
    m_running = running;
    Q_EMIT runningChanged();
}
