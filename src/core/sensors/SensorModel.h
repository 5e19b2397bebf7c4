#pragma once

#include "Clock.h"
#include "SensorState.h"

#include <QObject>

#include <memory>

class AppTerminator;
class SensorHistory;
class SensorWatcher;
class Settings;

// What the sensors report, as the rest of the app sees it: the last state the
// watcher published, recorded in the history, and apps that start using the
// camera while it is switched off asked to quit (when the user chose so).
// Made-up uses (demonstrations, the tutorial) are shown but neither recorded
// nor acted on.
class SensorModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(SensorState sensorState READ state NOTIFY stateChanged)
    Q_PROPERTY(bool simulating READ simulating WRITE setSimulating NOTIFY simulatingChanged)
    Q_PROPERTY(bool showcase READ showcase WRITE setShowcase NOTIFY showcaseChanged)

public:
    // Without a watcher it watches nothing; an empty `dataFolder` keeps the
    // history in memory only; without a terminator nobody is asked to quit.
    SensorModel(const Settings &settings, std::unique_ptr<SensorWatcher> watcher,
                QString dataFolder = QString(), AppTerminator *terminator = nullptr,
                QObject *parent = nullptr);
    ~SensorModel() override;

    void start();

    SensorWatcher *watcher() const { return m_watcher.get(); }
    const SensorState &state() const { return m_state; }
    // This app's own camera preview is running.
    bool ownCameraUse() const;
    // Created from the data folder on first use.
    SensorHistory &history();

    bool simulating() const { return m_simulating; }
    void setSimulating(bool on);
    bool showcase() const { return m_showcase; }
    void setShowcase(bool on);

    void setClock(Clock clock) { m_clock = std::move(clock); }

Q_SIGNALS:
    void stateChanged(const SensorState &state);
    // Every state the watcher publishes, after it is stored and recorded.
    void changed(const SensorState &before, const SensorState &after);
    void simulatingChanged(bool on);
    void showcaseChanged(bool on);
    void note(const QString &text);

private:
    void watcherChanged(const SensorState &before, const SensorState &after);
    void quitNewCameraUsers(const SensorState &before, const SensorState &after);

    const Settings &m_settings;
    std::unique_ptr<SensorWatcher> m_watcher;
    QString m_dataFolder;
    AppTerminator *m_terminator = nullptr;
    SensorState m_state;
    std::unique_ptr<SensorHistory> m_history;
    bool m_simulating = false;
    bool m_showcase = false;
    Clock m_clock = systemClock();
};
