#include "Mirror.h"

#include "Text.h"

Mirror::Mirror(CameraAccess &access, std::function<void(bool)> setOwnCameraUse,
               std::unique_ptr<DelayedTask> release, QObject *parent)
    : QObject(parent)
    , m_access(access)
    , m_setOwnCameraUse(std::move(setOwnCameraUse))
    , m_release(std::move(release))
{
    connect(&m_access, &CameraAccess::answered, this, &Mirror::refresh);
    connect(&m_access, &CameraAccess::checked, this, &Mirror::follow);
}

Mirror::~Mirror()
{
    // Quitting while the picture runs: the camera goes with the process.
    if (m_release->isPending() || m_running)
        m_setOwnCameraUse(false);
}

void Mirror::refresh()
{
    m_access.check();
}

void Mirror::follow(const CameraAccess::Status &access)
{
    m_accessStatus = access;
    switch (access.state) {
    case CameraAccess::State::Available:
        setStatus(Status::Preview);
        break;
    case CameraAccess::State::NoCamera:
        setStatus(Status::NoCamera);
        break;
    case CameraAccess::State::NoRights:
        setStatus(Status::NoRights);
        break;
    case CameraAccess::State::NotAsked:
        setStatus(Status::NotAsked);
        break;
    case CameraAccess::State::Refused:
        setStatus(Status::Refused);
        break;
    }
}

void Mirror::setStatus(Status status)
{
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT statusChanged(status);
}

Mirror::Card Mirror::card() const
{
    const QString symbol = QStringLiteral("person.crop.square");
    switch (m_status) {
    case Status::NotAsked:
        return {
            symbol, Text::tr("See yourself before a call"),
            Text::tr("Tarnwick needs the camera for the mirror. The camera light is on while you look and "
                     "off when you leave. The picture is never recorded."),
            Text::tr("Turn On the Mirror"), Action::Ask};
    case Status::Refused:
        return {symbol, Text::tr("The mirror needs the camera"),
                Text::tr("Allow Tarnwick to use the camera in your desktop's settings for apps. The picture "
                         "never leaves this computer."),
                Text::tr("Ask Again"), Action::Ask};
    case Status::NoRights:
        return {symbol, Text::tr("The mirror needs the camera"),
                Text::tr("Your account may not open the camera (%1). Add it to the group “%2”, then log out "
                         "and back in. The picture never leaves this computer.")
                    .arg(m_accessStatus.node, m_accessStatus.group),
                Text::tr("Copy the Command"), Action::CopyCommand};
    case Status::Busy:
        return {symbol, Text::tr("The camera is busy"),
                Text::tr("Another app is using the camera. Close it, then try again."), Text::tr("Try Again"),
                Action::TryAgain};
    case Status::NoCamera:
    case Status::Preview:
    case Status::Checking:
        break;
    }
    return {symbol, Text::tr("No camera found"),
            Text::tr("Connect a camera to see yourself before a call. The picture is never recorded."),
            Text::tr("Try Again"), Action::TryAgain};
}

QString Mirror::previewNote()
{
    return Text::tr("Only you see this. Nothing is recorded.");
}

QString Mirror::accessCommand() const
{
    // Quoted for the shell the user pastes it into: a group name is the
    // administrator's choice, not necessarily a plain word.
    QString group = m_accessStatus.group;
    group.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QStringLiteral("sudo usermod -aG '%1' \"$USER\"").arg(group);
}

void Mirror::ask()
{
    m_access.request();
}

void Mirror::previewStarted()
{
    m_running = true;
    m_release->cancel();
    m_setOwnCameraUse(true);
}

void Mirror::previewStopped()
{
    if (!m_running)
        return;
    m_running = false;
    m_release->start(releaseDelay, [this] { m_setOwnCameraUse(false); });
}

void Mirror::cameraBusy()
{
    previewStopped();
    setStatus(Status::Busy);
}
