#include "Autostart.h"

#include "AutostartService.h"
#include "DefaultsKeys.h"
#include "DefaultsStore.h"
#include "Log.h"

Autostart::Autostart(AutostartService &service, DefaultsStore &defaults, const AppInfo &info)
    : m_service(service)
    , m_defaults(defaults)
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
    if (m_defaults.boolValue(QLatin1String(DefaultsKeys::autostartDecided), false))
        return;
    if (m_info.isDevelopmentBuild())
        return;
    m_defaults.setValue(QLatin1String(DefaultsKeys::autostartDecided), true);
    set(true);
}
