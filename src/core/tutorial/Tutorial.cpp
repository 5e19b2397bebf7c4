#include "Tutorial.h"

#include "SensorModel.h"
#include "SensorWatcher.h"
#include "Setting.h"

Tutorial::Tutorial(SensorModel &sensors, Setting<bool> &seen, Shell shell, QObject *parent)
    : QObject(parent)
    , m_sensors(sensors)
    , m_seen(seen)
    , m_shell(std::move(shell))
{}

// Asked for again mid-way, the tutorial starts over without the last
// step's made-up use still showing.
void Tutorial::begin()
{
    if (m_running && m_sensors.simulating())
        endDemonstration();
    m_step = Step::Camera;
    m_shown = false;
    m_running = true;
    Q_EMIT changed();
}

void Tutorial::show()
{
    m_sensors.setSimulating(true);
    SensorWatcher *watcher = m_sensors.watcher();
    switch (m_step) {
    case Step::Camera:
        if (watcher)
            watcher->simulate(SensorState{true, false, {cameraSample()}, {}});
        break;
    case Step::Microphone:
        if (watcher)
            watcher->simulate(SensorState{false, true, {}, {microphoneSample()}});
        break;
    case Step::Hub:
        m_shell.openHub();
        break;
    case Step::Toggle:
        break;
    }
    m_shown = true;
    Q_EMIT changed();
}

void Tutorial::next()
{
    if (m_step == Step::Toggle) {
        finish();
        m_shell.closeWindow();
        return;
    }
    moveTo(Step(int(m_step) + 1));
}

void Tutorial::back()
{
    if (m_step != Step::Camera)
        moveTo(Step(int(m_step) - 1));
}

void Tutorial::moveTo(Step step)
{
    m_step = step;
    m_shown = false;
    Q_EMIT changed();
}

void Tutorial::hubOpened()
{
    if (m_running && m_step == Step::Hub && !m_shown) {
        m_shown = true;
        Q_EMIT changed();
    }
}

void Tutorial::finish()
{
    if (!m_running)
        return;
    m_running = false;
    m_seen.set(true);
    endDemonstration();
    Q_EMIT changed();
}

void Tutorial::endDemonstration()
{
    if (m_sensors.simulating()) {
        m_sensors.setSimulating(false);
        if (SensorWatcher *watcher = m_sensors.watcher())
            watcher->resync();
    }
    m_shell.endBanner();
}

SensorUser Tutorial::cameraSample()
{
    return SensorUser{-1, QStringLiteral("Cheese"), QStringLiteral("org.gnome.Cheese"),
                      QStringLiteral("org.gnome.Cheese")};
}

SensorUser Tutorial::microphoneSample()
{
    return SensorUser{-1, QStringLiteral("Sound Recorder"), QStringLiteral("org.gnome.SoundRecorder"),
                      QStringLiteral("org.gnome.SoundRecorder")};
}
