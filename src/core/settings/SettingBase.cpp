#include "SettingBase.h"

#include "Log.h"

SettingBase::SettingBase(DefaultsStore &store, const char *key)
    : m_store(store)
    , m_key(QLatin1String(key))
{}

void SettingBase::reportInvalid(const char *expected) const
{
    qCWarning(lcSettings).noquote().nospace()
        << "setting \"" << m_key << "\" should be " << expected << "; using the default";
}
