#pragma once

#include "SensorState.h"
#include "SensorUserCache.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <optional>
#include <stop_token>

class AudioCaptureSource;
class CameraClientFinder;
class CameraDeviceSource;
class ProcessDirectory;

// Knows at every moment whether a camera runs, who captures audio, and which
// applications those are. Listens to its sources without polling, folds what
// they say into one SensorState and publishes every new value with the
// previous one. Lives on the main thread; naming users (camera attribution
// and new capture streams) reads /proc and runs on workers.
class SensorWatcher : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool ownCameraUse READ ownCameraUse WRITE setOwnCameraUse NOTIFY ownCameraUseChanged)

public:
    struct Sources {
        AudioCaptureSource &audio;
        CameraDeviceSource &cameras;
        CameraClientFinder &cameraClients; // used from a worker thread
        ProcessDirectory &processes;
    };

    // `me` is this process's pid: its own camera use is never listed. Its own
    // captures the audio source leaves out.
    SensorWatcher(Sources sources, qint32 me, QObject *parent = nullptr);
    ~SensorWatcher() override;

    // Starts listening and publishes the first state; later calls do nothing.
    void start();

    const SensorState &state() const { return m_state; }

    // Publishes `state` as given, for demonstrations of uses that are not happening.
    void simulate(const SensorState &state);
    // After a simulation: reads the sources again. Keeps the camera users while
    // a camera still runs, whoever set them.
    void resync();

    // Set by the camera preview while it runs. Stored only: the hub and the
    // shell consult it to ignore this application's own camera use.
    bool ownCameraUse() const { return m_ownCameraUse; }
    void setOwnCameraUse(bool inUse);

    // How long attribution waits before asking again when it found nobody.
    void setAttributionRetryDelay(std::chrono::milliseconds delay) { m_retryDelay = delay; }
    // How long new capture streams may wait for their names before they are
    // shown by what their clients call themselves.
    void setMicNamingBound(std::chrono::milliseconds bound) { m_micNamingBound.setInterval(bound); }
    // Blocks until no attribution or naming run is busy off the main thread;
    // their results are then queued for the main thread.
    void waitForAttributions();
    // Ends every attribution and naming run soon, stopping the tools they
    // started; their results are dropped. Nothing starts one again. For quitting.
    void cancelAttributions();

Q_SIGNALS:
    // After every assignment of the state, with the value before and after.
    // Not coalesced: an assignment of an equal value is published too.
    void changed(const SensorState &before, const SensorState &after);
    void ownCameraUseChanged(bool inUse);

private:
    void publish(const SensorState &state);
    void recomputeCamera(bool initial);
    void recomputeMic();
    void startMicNaming(QList<AudioCapture> fresh);
    void applyMicNames(const QHash<quint32, SensorUser> &names);
    void publishMic();
    void startAttribution(int generation);
    void applyAttribution(int generation, const QList<SensorUser> &users);

    Sources m_sources;
    const qint32 m_me;
    struct StreamUser {
        AudioCapture capture;
        std::optional<SensorUser> user; // none while its naming runs
    };
    QHash<quint32, StreamUser> m_streamUsers; // by capture id: the streams capturing now
    // A stream waiting for its name past this is shown by its client's own
    // words, so a slow lookup never hides a microphone in use.
    QTimer m_micNamingBound;
    bool m_micNamingLate = false;
    SensorState m_state;
    bool m_ownCameraUse = false;
    // Counts camera recomputations that published; a late attribution result
    // applies only while it has not moved.
    int m_attributionGeneration = 0;
    bool m_started = false;
    std::chrono::milliseconds m_retryDelay{1000};
    // Runs may overlap when the camera goes off and on again; the newest wins.
    QThreadPool m_attributionRuns;
    std::stop_source m_attributionStop;
    // One thread names new streams in turn, so the cache needs no lock. After
    // the cache: destroyed, and so waited for, first.
    SensorUserCache m_micUsers;
    QThreadPool m_micNaming;
};
