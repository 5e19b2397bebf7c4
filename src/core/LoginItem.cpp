#include "LoginItem.h"

#include "DefaultsKeys.h"
#include "DefaultsStore.h"
#include "Log.h"
#include "LoginItemService.h"

LoginItem::LoginItem(LoginItemService &service, DefaultsStore &defaults, const AppInfo &info)
    : m_service(service)
    , m_defaults(defaults)
    , m_info(info)
{}

bool LoginItem::isOn() const
{
    return m_service.isRegistered();
}

void LoginItem::set(bool on)
{
    const QString error = m_service.setRegistered(on);
    if (!error.isEmpty())
        TW_WARN << "login item: " << error;
}

void LoginItem::turnOnOnce()
{
    if (m_defaults.boolValue(QLatin1String(DefaultsKeys::loginItemDecided), false))
        return;
    if (m_info.isDevelopmentBuild())
        return;
    m_defaults.setValue(QLatin1String(DefaultsKeys::loginItemDecided), true);
    set(true);
}
