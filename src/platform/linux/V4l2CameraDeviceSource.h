#pragma once

#include "CameraDeviceSource.h"
#include "CameraNodeScan.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QHash>
#include <QTimer>

#include <chrono>
#include <optional>

class QSocketNotifier;

// Whether a V4L2 camera is in use, from who holds its capture nodes open.
//
// The kernel reports every open and close of a watched node (inotify); each
// report means "look again", and the look (a walk over every process's open
// files, and after device folder changes a query of every node, which can
// wake a camera) runs on a worker thread. Looks start at most once per
// `scanInterval`, so a program that opens a node again and again costs a few
// looks a second, not one per open.
//
// Probe rule: browsers and PipeWire open every camera node for a moment to
// learn what it can do. A node therefore counts as in use only once some
// process has held it open without a break for `confirmDelay`: a hold starts
// at the latest open of its node the kernel reported before the look that
// found it (never earlier than its own open), and is confirmed by a look that
// began the delay after that and still sees it. It stops counting as soon as
// no process has held it that long (at once when the last one closes it). A
// probe shorter than the delay is never seen as a use. A single-shot timer
// runs only while a hold waits for its confirming look or a look waits for
// its turn.
class V4l2CameraDeviceSource : public CameraDeviceSource {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultConfirmDelay{300};
    static constexpr std::chrono::milliseconds defaultScanInterval{100};

    explicit V4l2CameraDeviceSource(CameraNodeScan scan = CameraNodeScan(),
                                    std::chrono::milliseconds confirmDelay = defaultConfirmDelay,
                                    std::chrono::milliseconds scanInterval = defaultScanInterval,
                                    QObject *parent = nullptr);
    ~V4l2CameraDeviceSource() override;

    void start() override;
    bool isAnyCameraRunning() const override { return m_running; }

    // The capture nodes watched now; found on a worker after start().
    QList<CameraNode> nodes() const { return m_nodes; }
    // How many looks over the processes finished so far.
    int scanCount() const { return m_scanCount; }

private:
    struct Scan {
        std::optional<QList<CameraNode>> nodes; // when the device folder was read again
        QList<CameraHolder> holders;
    };

    void readEvents();
    void requestScan();
    void startScan();
    void applyScan(const Scan &scan, qint64 startedAt);
    void watchNodes(const QList<CameraNode> &nodes);
    void evaluate();

    CameraNodeScan m_scan;
    const std::chrono::milliseconds m_confirmDelay;
    const std::chrono::milliseconds m_scanInterval;
    bool m_started = false;
    int m_inotify = -1;
    QSocketNotifier *m_notifier = nullptr;
    QHash<int, QString> m_nodeWatches; // watch descriptor → node path
    QList<CameraNode> m_nodes;

    QFutureWatcher<Scan> m_scanWatcher;
    QTimer m_scanTurn; // a wanted look waiting for its interval
    qint64 m_scanStartedAt = -1;
    qint64 m_appliedScanStartedAt = -1; // of the look whose holders are known
    int m_scanCount = 0;
    bool m_scanRunning = false;
    bool m_scanWanted = false;  // something happened after the running look began
    bool m_nodesWanted = false; // the device folder changed

    QElapsedTimer m_clock;
    // The latest open of each node the kernel reported, in m_clock
    // milliseconds; the moment the node was first watched before any.
    QHash<QString, qint64> m_lastOpen;
    // Since when each (process, node) pair has been held without a break.
    QHash<CameraHolder, qint64> m_openSince;
    QTimer m_confirm;
    bool m_running = false;
};
