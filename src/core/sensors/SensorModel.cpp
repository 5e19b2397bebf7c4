#include "SensorModel.h"

#include "AppTerminator.h"
#include "Log.h"
#include "SensorHistory.h"
#include "SensorWatcher.h"
#include "Settings.h"
#include "Text.h"

SensorModel::SensorModel(const Settings &settings, std::unique_ptr<SensorWatcher> watcher, QString dataFolder,
                         AppTerminator *terminator, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_watcher(std::move(watcher))
    , m_dataFolder(std::move(dataFolder))
    , m_terminator(terminator)
{
    if (m_watcher) {
        m_state = m_watcher->state();
        connect(m_watcher.get(), &SensorWatcher::changed, this, &SensorModel::watcherChanged);
    }
}

SensorModel::~SensorModel() = default;

void SensorModel::start()
{
    if (m_watcher)
        m_watcher->start();
}

bool SensorModel::ownCameraUse() const
{
    return m_watcher && m_watcher->ownCameraUse();
}

SensorHistory &SensorModel::history()
{
    if (!m_history) {
        const QString file =
            m_dataFolder.isEmpty() ? QString() : m_dataFolder + QStringLiteral("/history.json");
        m_history = std::make_unique<SensorHistory>(file);
        connect(m_history.get(), &SensorHistory::saveFailed, this, [this](const QString &problem) {
            Q_EMIT note(
                Text::tr("Tarnwick cannot save its history (%1). It is kept until Tarnwick quits; the saved "
                         "file is left as it was.")
                    .arg(problem));
        });
    }
    return *m_history;
}

void SensorModel::setSimulating(bool on)
{
    if (m_simulating == on)
        return;
    m_simulating = on;
    Q_EMIT simulatingChanged(on);
}

void SensorModel::setShowcase(bool on)
{
    if (m_showcase == on)
        return;
    m_showcase = on;
    Q_EMIT showcaseChanged(on);
}

void SensorModel::watcherChanged(const SensorState &before, const SensorState &after)
{
    if (m_state != after) {
        m_state = after;
        Q_EMIT stateChanged(after);
    }
    if (!m_simulating) {
        const QDateTime now = m_clock();
        history().update(Sensor::Camera, after.cameraUsers, now);
        history().update(Sensor::Microphone, after.micUsers, now);
        quitNewCameraUsers(before, after);
    }
    Q_EMIT changed(before, after);
}

void SensorModel::quitNewCameraUsers(const SensorState &before, const SensorState &after)
{
    if (!m_settings.cameraOff.value() || !after.cameraOn || !m_settings.autoQuitWhenOff.value() ||
        !m_terminator || ownCameraUse())
        return;
    // Only apps that have just started: one that stays is asked once.
    const QStringList allowed = m_settings.allowList.value();
    for (const SensorUser &user : after.cameraUsers) {
        if (before.cameraUsers.contains(user) || allowed.contains(user.appId))
            continue;
        qCInfo(lcPrivacy).noquote().nospace() << "asking " << user.name << " (" << user.pid
                                              << ") to quit: it uses the camera while it is switched off";
        m_terminator->terminate(user.pid);
    }
}
