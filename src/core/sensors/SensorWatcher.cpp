#include "SensorWatcher.h"

#include "AudioCaptureSource.h"
#include "CameraClientFinder.h"
#include "CameraDeviceSource.h"
#include "ProcessDirectory.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace {

// Its own camera use is known by what the kernel vouches for, never by a
// pid a client claims.
QList<ClientClaim> othersIn(QList<ClientClaim> claims, qint32 me)
{
    claims.removeIf([me](const ClientClaim &claim) { return claim.hostPid == me; });
    return claims;
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
    , m_micUsers(sources.processes)
{
    m_attributionRuns.setMaxThreadCount(4);
    m_micNaming.setMaxThreadCount(1);
    m_micNamingBound.setSingleShot(true);
    m_micNamingBound.setInterval(std::chrono::milliseconds(250));
    connect(&m_micNamingBound, &QTimer::timeout, this, [this] {
        m_micNamingLate = true;
        publishMic();
    });
}

SensorWatcher::~SensorWatcher()
{
    // A run in flight still uses the sources and must not outlive their owner.
    cancelAttributions();
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
    QHash<quint32, StreamUser> streamUsers;
    QList<AudioCapture> fresh;
    // The source leaves out this process's own streams by what it created:
    // a pid is only a claim, and anyone may claim ours.
    for (const AudioCapture &capture : std::as_const(captures)) {
        // A stream keeps its user while it lives: only new ones are named.
        const auto known = m_streamUsers.constFind(capture.id);
        if (known != m_streamUsers.constEnd() && known->capture == capture) {
            streamUsers.insert(capture.id, *known);
        } else {
            streamUsers.insert(capture.id, {capture, std::nullopt});
            fresh.append(capture);
        }
    }
    m_streamUsers = std::move(streamUsers);
    if (!fresh.isEmpty())
        startMicNaming(std::move(fresh));
    publishMic();
}

void SensorWatcher::startMicNaming(QList<AudioCapture> fresh)
{
    if (m_attributionStop.stop_requested())
        return;
    const qsizetype live = m_streamUsers.size();
    m_micNaming.start([this, fresh = std::move(fresh), live, stop = m_attributionStop.get_token()] {
        QHash<quint32, SensorUser> names;
        for (const AudioCapture &capture : fresh) {
            if (stop.stop_requested())
                return;
            names.insert(capture.id, m_micUsers.resolve(capture));
        }
        // Answers of processes that exited are never used again; drop them once they pile up.
        if (m_micUsers.size() > 2 * live + 64)
            m_micUsers.forgetExited();
        // Posted to the watcher itself, which waits for this run when destroyed.
        QMetaObject::invokeMethod(
            this, [this, names] { applyMicNames(names); }, Qt::QueuedConnection);
    });
}

void SensorWatcher::applyMicNames(const QHash<quint32, SensorUser> &names)
{
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        // A stream that ended, or whose id now belongs to another, keeps what it has.
        const auto stream = m_streamUsers.find(it.key());
        if (stream != m_streamUsers.end() && !stream->user)
            stream->user = it.value();
    }
    publishMic();
}

void SensorWatcher::publishMic()
{
    QList<quint32> ids = m_streamUsers.keys();
    std::sort(ids.begin(), ids.end());
    QList<SensorUser> users;
    bool waiting = false;
    for (const quint32 id : std::as_const(ids)) {
        const StreamUser &stream = m_streamUsers[id];
        waiting = waiting || !stream.user;
        const SensorUser user = stream.user ? *stream.user : SensorUser::claimed(stream.capture);
        // Helpers of one application collapse into the application, first kept.
        if (!holds(users, user))
            users.append(user);
    }
    if (!waiting) {
        m_micNamingBound.stop();
        m_micNamingLate = false;
    } else if (!m_micNamingLate) {
        // Names usually follow within milliseconds: one publication with them.
        if (!m_micNamingBound.isActive())
            m_micNamingBound.start();
        return;
    }
    if (!users.isEmpty() == m_state.micOn && users == m_state.micUsers)
        return;
    publish(SensorState{m_state.cameraOn, !users.isEmpty(), m_state.cameraUsers, users});
}

void SensorWatcher::startAttribution(int generation)
{
    if (m_attributionStop.stop_requested())
        return;
    CameraClientFinder &finder = m_sources.cameraClients;
    const ProcessDirectory &processes = m_sources.processes;
    const qint32 me = m_me;
    const auto retryDelay = m_retryDelay;
    m_attributionRuns.start([this, &finder, &processes, me, retryDelay, generation,
                             stop = m_attributionStop.get_token()] {
        QList<ClientClaim> claims = othersIn(finder.clients(stop), me);
        if (claims.isEmpty()) {
            // A client that just opened the camera may not be visible yet.
            std::mutex mutex;
            std::unique_lock lock(mutex);
            std::condition_variable_any().wait_for(lock, stop, retryDelay, [] { return false; });
            if (stop.stop_requested())
                return;
            claims = othersIn(finder.clients(stop), me);
        }
        // Naming walks /proc: here, off the main thread.
        QList<SensorUser> users;
        for (const ClientClaim &claim : std::as_const(claims)) {
            if (stop.stop_requested())
                return;
            // A process that ended since is gone, not hiding.
            if (claim.hostPid > 0 && !processes.isRunning(claim.hostPid))
                continue;
            const SensorUser user = SensorUser::resolve(claim, processes);
            if (!holds(users, user) && (user.pid == 0 || processes.isRunning(user.pid)))
                users.append(user);
        }
        // Posted to the watcher itself: Qt drops events for a receiver that is
        // gone, and the destructor waits for this run, so a late result never
        // reaches a dead watcher.
        QMetaObject::invokeMethod(
            this, [this, generation, users] { applyAttribution(generation, users); }, Qt::QueuedConnection);
    });
}

void SensorWatcher::applyAttribution(int generation, const QList<SensorUser> &users)
{
    if (generation != m_attributionGeneration || !m_state.cameraOn || users.isEmpty())
        return;
    publish(SensorState{m_state.cameraOn, m_state.micOn, users, m_state.micUsers});
}

void SensorWatcher::waitForAttributions()
{
    m_attributionRuns.waitForDone();
    m_micNaming.waitForDone();
}

void SensorWatcher::cancelAttributions()
{
    m_attributionStop.request_stop();
    waitForAttributions();
}
