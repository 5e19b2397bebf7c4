#pragma once

#include "SensorUser.h"

#include <QObject>

#include <functional>

class SensorModel;
template <typename T> class Setting;

// The four-step welcome: each step explains one thing and can demonstrate it
// on the real screen. Demonstrations are made-up sensor states handed to the
// watcher while the sensor model simulates, so nothing is recorded or acted
// on; finishing (Done, Skip or closing the window) gives the real state back
// and remembers that the tutorial was seen.
class Tutorial : public QObject {
    Q_OBJECT
public:
    enum class Step { Camera, Microphone, Hub, Toggle };
    Q_ENUM(Step)
    static constexpr int stepCount = 4;

    // What the tutorial asks of the shell.
    struct Shell {
        std::function<void()> openHub; // on its privacy section
        std::function<void()> closeWindow;
        std::function<void()> endBanner;
    };

    Tutorial(SensorModel &sensors, Setting<bool> &seen, Shell shell, QObject *parent = nullptr);

    Step step() const { return m_step; }
    bool running() const { return m_running; }
    // The current step's demonstration has been shown.
    bool shown() const { return m_shown; }

    void begin();
    void show();
    // From the last step: finishes and closes the window.
    void next();
    void back();
    // The hub opened, by the tutorial or by the user.
    void hubOpened();
    void finish();

    // The made-up users of the demonstrations: named and drawn like the
    // real apps, but tied to no process, so nothing can act on one.
    static SensorUser cameraSample();
    static SensorUser microphoneSample();

Q_SIGNALS:
    void changed();

private:
    void moveTo(Step step);
    void endDemonstration();

    SensorModel &m_sensors;
    Setting<bool> &m_seen;
    Shell m_shell;
    Step m_step = Step::Camera;
    bool m_running = false;
    bool m_shown = false;
};
