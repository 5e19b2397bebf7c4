#include "Autostart.h"

#include "AutostartService.h"
#include "Log.h"
#include "Settings.h"

Autostart::Autostart(AutostartService &service, Settings &settings, const AppInfo &info)
    : m_service(service)
    , m_settings(settings)
    , m_info(info)
{}

bool Autostart::isOn() const
{
    return m_service.isRegistered();
}

void Autostart::set(bool on)
{
    const QString error = m_service.setRegistered(on);
    if (!error.isEmpty())
        qCWarning(lcSettings).noquote().nospace() << "autostart: " << error;
}

void Autostart::turnOnOnce()
{
    if (m_settings.autostartDecided.value())
        return;
    if (m_info.isDevelopmentBuild())
        return;
    m_settings.autostartDecided.set(true);
    set(true);
}
