#include "SwitchCheck.h"

#include "AccessRevoker.h"
#include "ConditionWait.h"
#include "Detached.h"
#include "MicGuard.h"
#include "PrivacySwitch.h"
#include "Report.h"

#include <QFutureWatcher>

#include <algorithm>
#include <cmath>

namespace {

struct CameraApps {
    bool storeAvailable = false;
    QList<AccessRevoker::AppInfo> apps;
};

} // namespace

SwitchCheck::SwitchCheck(Report &report, PrivacySwitch &privacy, InputDeviceControl &inputs,
                         std::shared_ptr<CameraPermissionStore> permissions, QObject *parent)
    : QObject(parent)
    , m_report(report)
    , m_privacy(privacy)
    , m_inputs(inputs)
    , m_permissions(std::move(permissions))
{
    connect(&m_privacy, &PrivacySwitch::note, this, [this](const QString &text) { m_note = text; });
}

QString SwitchCheck::levels(const QList<InputDevice> &devices)
{
    QStringList parts;
    for (const InputDevice &device : devices) {
        QString part = device.name.isEmpty() ? device.uid : device.name;
        part.replace(QLatin1Char('\n'), QLatin1Char(' '));
        for (quint32 volume : device.volumes)
            part += QStringLiteral(" %1 %").arg(std::lround(100.0 * volume / InputDevice::volumeNorm));
        if (device.mute.value_or(false))
            part += QStringLiteral(" muted");
        parts.append(part);
    }
    return parts.join(QStringLiteral(", "));
}

void SwitchCheck::waitFor(std::function<bool()> condition, std::function<void(bool)> next)
{
    ConditionWait::start(this, waitMs, std::move(condition), std::move(next))
        ->recheckOn(&m_inputs, &InputDeviceControl::devicesChanged)
        ->recheckOn(&m_inputs, &InputDeviceControl::availableChanged)
        ->recheckOn(&m_privacy, &PrivacySwitch::note);
}

bool SwitchCheck::allSilent() const
{
    const QList<InputDevice> devices = m_inputs.devices();
    return std::all_of(devices.cbegin(), devices.cend(),
                       [](const InputDevice &d) { return MicGuard::isSilent(d); });
}

void SwitchCheck::run()
{
    m_inputs.start();
    waitFor([this] { return m_inputs.isAvailable() && !m_inputs.devices().isEmpty(); },
            [this](bool found) { foundInputs(found); });
}

void SwitchCheck::foundInputs(bool found)
{
    m_report.check(found, QStringLiteral("found the microphones"));
    MicGuard *guard = m_privacy.micGuard();
    if (!found || !guard) {
        m_report.note(QStringLiteral("no audio inputs: the microphone statements were not checked"));
        listCameraApps();
        return;
    }
    m_before = m_inputs.devices();
    m_report.line(QStringLiteral("inputs: ") + levels(m_before));
    guard->turnOn();
    waitFor([this] { return allSilent(); }, [this](bool silent) { silenced(silent); });
}

void SwitchCheck::silenced(bool silent)
{
    m_report.check(silent, QStringLiteral("Microphone off: every input is silent"));
    turnOneUp();
}

void SwitchCheck::turnOneUp()
{
    // What an app does: unmute the first input and raise every channel.
    const QList<InputDevice> devices = m_inputs.devices();
    const auto target = std::find_if(devices.cbegin(), devices.cend(),
                                     [](const InputDevice &d) { return d.mute || !d.volumes.isEmpty(); });
    if (target == devices.cend()) {
        m_report.fail(QStringLiteral(
            "the guard silences it again when an app turns it up (no input can be turned up)"));
        m_privacy.micGuard()->turnOff();
        waitFor([this] { return m_inputs.devices() == m_before; }, [this](bool same) { givenBack(same); });
        return;
    }
    m_turnedUp = *target;
    m_note.clear();
    if (target->mute)
        m_inputs.setMute(target->uid, false);
    if (!target->volumes.isEmpty())
        m_inputs.setVolumes(target->uid, QList<quint32>(target->volumes.size(), InputDevice::volumeNorm / 2));
    waitFor([this] { return !m_note.isEmpty() && allSilent(); },
            [this](bool again) {
                m_report.check(again, QStringLiteral("the guard silences it again when an app turns it up"));
                m_report.check(!m_note.isEmpty(),
                               QStringLiteral("…and says so (") + m_note + QLatin1Char(')'));
                m_privacy.micGuard()->turnOff();
                waitFor([this] { return m_inputs.devices() == m_before; },
                        [this](bool same) { givenBack(same); });
            });
}

void SwitchCheck::givenBack(bool asBefore)
{
    const QString now = levels(m_inputs.devices());
    m_report.check(asBefore,
                   QStringLiteral("Microphone on: every input exactly as before (") + now + QLatin1Char(')'));
    if (!asBefore)
        m_report.line(QStringLiteral("before: ") + levels(m_before));
    listCameraApps();
}

void SwitchCheck::listCameraApps()
{
    if (!m_permissions) {
        m_report.fail(QStringLiteral("the camera list is read from the permission store (no store)"));
        finish();
        return;
    }
    const std::shared_ptr<CameraPermissionStore> store = m_permissions;
    // A watcher rather than then(): Qt 6.4 can drop a continuation attached
    // to a future that finished meanwhile.
    auto *watcher = new QFutureWatcher<CameraApps>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        const CameraApps found = watcher->result();
        QStringList names;
        for (const AccessRevoker::AppInfo &app : found.apps)
            names.append(app.name);
        m_report.line(QStringLiteral("apps that can ask for the camera: ") +
                      names.join(QStringLiteral(", ")));
        m_report.check(
            found.storeAvailable,
            QStringLiteral("the camera list is read from the permission store and the installed apps"));
        resetOwnEntry();
    });
    watcher->setFuture(Detached::run<CameraApps>([store] {
        CameraApps found;
        found.storeAvailable = store->isAvailable();
        found.apps = AccessRevoker::apps(*store);
        return found;
    }));
}

void SwitchCheck::resetOwnEntry()
{
    const std::shared_ptr<CameraPermissionStore> store = m_permissions;
    auto *watcher = new QFutureWatcher<int>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_report.check(watcher->result() == 1,
                       QStringLiteral("the system’s camera reset works from the app (own entry)"));
        finish();
    });
    watcher->setFuture(
        Detached::run<int>([store] { return AccessRevoker::revoke(*store, {QLatin1String(ownId)}); }));
}

void SwitchCheck::finish()
{
    Q_EMIT finished(m_report.finish());
}
