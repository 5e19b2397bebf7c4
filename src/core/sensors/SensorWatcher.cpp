#include "SensorWatcher.h"

#include "AudioCaptureSource.h"
#include "CameraClientFinder.h"
#include "CameraDeviceSource.h"
#include "ProcessDirectory.h"

#include <QThread>

#include <algorithm>

namespace {

QList<qint32> without(QList<qint32> pids, qint32 me)
{
    pids.removeAll(me);
    return pids;
}

bool holds(const QList<SensorUser> &users, const SensorUser &user)
{
    const QString identity = user.identity();
    return std::any_of(users.cbegin(), users.cend(),
                       [&identity](const SensorUser &u) { return u.identity() == identity; });
}

} // namespace

SensorWatcher::SensorWatcher(Sources sources, qint32 me, QObject *parent)
    : QObject(parent)
    , m_sources(sources)
    , m_me(me)
{
    m_attributionRuns.setMaxThreadCount(4);
}

SensorWatcher::~SensorWatcher()
{
    // A run in flight still uses the finder and must not outlive its owner's sources.
    waitForAttributions();
}

void SensorWatcher::start()
{
    if (m_started)
        return;
    m_started = true;
    connect(&m_sources.cameras, &CameraDeviceSource::runningChanged, this,
            [this] { recomputeCamera(false); });
    m_sources.cameras.start();
    connect(&m_sources.audio, &AudioCaptureSource::capturesChanged, this, &SensorWatcher::recomputeMic);
    m_sources.audio.start();
    recomputeCamera(true);
    recomputeMic();
}

void SensorWatcher::publish(const SensorState &state)
{
    const SensorState before = m_state;
    m_state = state;
    // Copies, so a receiver that publishes again cannot change what later receivers see.
    const SensorState after = m_state;
    Q_EMIT changed(before, after);
}

void SensorWatcher::simulate(const SensorState &state)
{
    publish(state);
}

void SensorWatcher::resync()
{
    if (m_sources.cameras.isAnyCameraRunning())
        publish(SensorState{true, false, m_state.cameraUsers, {}});
    else
        publish(SensorState{});
    recomputeMic();
}

void SensorWatcher::setOwnCameraUse(bool inUse)
{
    if (m_ownCameraUse == inUse)
        return;
    m_ownCameraUse = inUse;
    Q_EMIT ownCameraUseChanged(inUse);
}

void SensorWatcher::recomputeCamera(bool initial)
{
    const bool cameraOn = m_sources.cameras.isAnyCameraRunning();
    if (cameraOn == m_state.cameraOn && !initial)
        return;
    // The users are cleared also when the camera comes on: names follow once
    // attribution has found them.
    publish(SensorState{cameraOn, m_state.micOn, {}, m_state.micUsers});
    ++m_attributionGeneration;
    if (cameraOn)
        startAttribution(m_attributionGeneration);
}

void SensorWatcher::recomputeMic()
{
    QList<AudioCapture> captures = m_sources.audio.captures();
    std::stable_sort(captures.begin(), captures.end(),
                     [](const AudioCapture &a, const AudioCapture &b) { return a.id < b.id; });
    QList<SensorUser> users;
    // The source leaves out this process's own streams by what it created:
    // a pid is only a claim, and anyone may claim ours.
    for (const AudioCapture &capture : std::as_const(captures)) {
        // Helpers of one application collapse into the application, first kept.
        const SensorUser user = SensorUser::resolve(capture, m_sources.processes);
        if (!holds(users, user))
            users.append(user);
    }
    if (!users.isEmpty() == m_state.micOn && users == m_state.micUsers)
        return;
    publish(SensorState{m_state.cameraOn, !users.isEmpty(), m_state.cameraUsers, users});
}

void SensorWatcher::startAttribution(int generation)
{
    CameraClientFinder &finder = m_sources.cameraClients;
    const qint32 me = m_me;
    const auto retryDelay = m_retryDelay;
    m_attributionRuns.start([this, &finder, me, retryDelay, generation] {
        QList<qint32> pids = without(finder.clients(), me);
        if (pids.isEmpty()) {
            // A client that just opened the camera may not be visible yet.
            QThread::msleep(static_cast<unsigned long>(retryDelay.count()));
            pids = without(finder.clients(), me);
        }
        // Posted to the watcher itself: Qt drops events for a receiver that is
        // gone, and the destructor waits for this run, so a late result never
        // reaches a dead watcher.
        QMetaObject::invokeMethod(
            this, [this, generation, pids] { applyAttribution(generation, pids); }, Qt::QueuedConnection);
    });
}

void SensorWatcher::applyAttribution(int generation, const QList<qint32> &pids)
{
    if (generation != m_attributionGeneration || !m_state.cameraOn)
        return;
    QList<SensorUser> users;
    for (const qint32 pid : pids) {
        const std::optional<SensorUser> user = SensorUser::resolve(pid, m_sources.processes);
        if (user && !holds(users, *user) && m_sources.processes.isRunning(user->pid))
            users.append(*user);
    }
    if (users.isEmpty())
        return;
    publish(SensorState{m_state.cameraOn, m_state.micOn, users, m_state.micUsers});
}

void SensorWatcher::waitForAttributions()
{
    m_attributionRuns.waitForDone();
}
