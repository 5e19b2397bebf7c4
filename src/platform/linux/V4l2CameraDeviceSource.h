#pragma once

#include "CameraDeviceSource.h"
#include "CameraNodeScan.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QHash>
#include <QTimer>

#include <chrono>

class QSocketNotifier;

// Whether a V4L2 camera is in use, from who holds its capture nodes open.
//
// The kernel reports every open and close of a watched node (inotify); each
// report means "look again", and the look (a walk over every process's open
// files) runs on a worker thread. Device folder changes add and remove nodes.
//
// Probe rule: browsers and PipeWire open every camera node for a moment to
// learn what it can do. A node therefore counts as in use only once some
// process has held it open without a break for `confirmDelay`, and stops
// counting as soon as no process has held it that long (at once when the last
// one closes it). A probe shorter than the delay is never seen as a use; a
// real use is reported the delay after it began. A single-shot timer runs
// only while an open is waiting for its confirmation.
class V4l2CameraDeviceSource : public CameraDeviceSource {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultConfirmDelay{300};

    explicit V4l2CameraDeviceSource(CameraNodeScan scan = CameraNodeScan(),
                                    std::chrono::milliseconds confirmDelay = defaultConfirmDelay,
                                    QObject *parent = nullptr);
    ~V4l2CameraDeviceSource() override;

    void start() override;
    bool isAnyCameraRunning() const override { return m_running; }

    // The capture nodes watched now.
    QList<CameraNode> nodes() const { return m_nodes; }

private:
    void readEvents();
    void rescanNodes();
    void requestHolderScan();
    void applyHolders(const QList<CameraHolder> &holders, qint64 startedAt);
    void evaluate();

    CameraNodeScan m_scan;
    const std::chrono::milliseconds m_confirmDelay;
    bool m_started = false;
    int m_inotify = -1;
    QSocketNotifier *m_notifier = nullptr;
    QHash<int, QString> m_nodeWatches; // watch descriptor → node path
    QList<CameraNode> m_nodes;

    QFutureWatcher<QList<CameraHolder>> m_holderScan;
    qint64 m_holderScanStartedAt = 0;
    bool m_holderScanRunning = false; // until its result is applied
    bool m_holderScanAgain = false;   // something happened after the running scan began

    QElapsedTimer m_clock;
    // Since when each (process, node) pair has been seen open without a break,
    // in m_clock milliseconds: the start of the first scan that saw it.
    QHash<CameraHolder, qint64> m_openSince;
    QTimer m_confirm;
    bool m_running = false;
};
