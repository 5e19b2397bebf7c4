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
                                               QObject *parent)
    : CameraDeviceSource(parent)
    , m_scan(std::move(scan))
    , m_confirmDelay(confirmDelay)
{
    m_clock.start();
    m_confirm.setSingleShot(true);
    connect(&m_confirm, &QTimer::timeout, this, &V4l2CameraDeviceSource::evaluate);
    connect(&m_holderScan, &QFutureWatcher<QList<CameraHolder>>::finished, this, [this] {
        m_holderScanRunning = false;
        applyHolders(m_holderScan.result(), m_holderScanStartedAt);
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
    rescanNodes();
    requestHolderScan();
}

void V4l2CameraDeviceSource::readEvents()
{
    bool nodesChanged = false;
    bool activity = false;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t length = read(m_inotify, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                nodesChanged = activity = true;
            } else if (m_nodeWatches.contains(event->wd)) {
                if (event->mask & IN_IGNORED)
                    m_nodeWatches.remove(event->wd); // the node is gone
                activity = true;
            } else if (event->len > 0 && CameraNodeScan::isCandidateName(QFile::decodeName(event->name))) {
                nodesChanged = activity = true;
            }
        }
    }
    if (nodesChanged)
        rescanNodes();
    if (activity)
        requestHolderScan();
}

void V4l2CameraDeviceSource::rescanNodes()
{
    const QList<CameraNode> now = m_scan.nodes();
    for (auto it = m_nodeWatches.begin(); it != m_nodeWatches.end();) {
        const QString path = it.value();
        const bool kept =
            std::any_of(now.begin(), now.end(), [&](const CameraNode &n) { return n.path == path; });
        if (kept) {
            ++it;
            continue;
        }
        inotify_rm_watch(m_inotify, it.key());
        it = m_nodeWatches.erase(it);
    }
    for (const CameraNode &node : now) {
        const QList<QString> watched = m_nodeWatches.values();
        if (watched.contains(node.path))
            continue;
        const int wd = inotify_add_watch(m_inotify, QFile::encodeName(node.path).constData(), nodeEvents);
        if (wd >= 0)
            m_nodeWatches.insert(wd, node.path);
        else
            qCWarning(lcCamera).noquote().nospace()
                << "camera " << node.path << " not watched: " << qt_error_string(errno);
    }
    m_nodes = now;
}

void V4l2CameraDeviceSource::requestHolderScan()
{
    if (m_holderScanRunning) {
        m_holderScanAgain = true;
        return;
    }
    m_holderScanAgain = false;
    m_holderScanStartedAt = m_clock.elapsed();
    if (m_nodes.isEmpty()) {
        applyHolders({}, m_holderScanStartedAt);
        return;
    }
    m_holderScanRunning = true;
    m_holderScan.setFuture(QtConcurrent::run(
        [scan = m_scan, nodes = m_nodes, me = qint32(getpid())] { return scan.holders(nodes, me); }));
}

void V4l2CameraDeviceSource::applyHolders(const QList<CameraHolder> &holders, qint64 startedAt)
{
    for (auto it = m_openSince.begin(); it != m_openSince.end();) {
        if (holders.contains(it.key()))
            ++it;
        else
            it = m_openSince.erase(it);
    }
    for (const CameraHolder &holder : holders) {
        if (!m_openSince.contains(holder))
            m_openSince.insert(holder, startedAt);
    }
    if (m_holderScanAgain)
        requestHolderScan();
    evaluate();
}

void V4l2CameraDeviceSource::evaluate()
{
    // An open or close reported after the last scan began may have ended a
    // hold; only a scan that saw everything so far may confirm one.
    const bool current = !m_holderScanRunning;
    const qint64 now = m_clock.elapsed();
    qint64 earliest = -1;
    for (const qint64 since : std::as_const(m_openSince))
        earliest = earliest < 0 ? since : std::min(earliest, since);
    const bool heldLongEnough = earliest >= 0 && now - earliest >= m_confirmDelay.count();
    const bool running = heldLongEnough && (current || m_running);
    if (earliest >= 0 && !running && current)
        m_confirm.start(int(std::max<qint64>(0, earliest + m_confirmDelay.count() - now)));
    else
        m_confirm.stop();
    if (running == m_running)
        return;
    m_running = running;
    Q_EMIT runningChanged();
}
