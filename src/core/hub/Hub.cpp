#include "Hub.h"

#include "SensorWatcher.h"

Hub::Hub(Settings &settings, const AppInfo &info, HubServices services)
    : m_settings(settings)
    , m_sensors(settings, std::move(services.sensors), std::move(services.dataFolder), services.appTerminator)
    , m_privacy(settings, info, std::move(services.privacy))
{}

void Hub::start()
{
    m_sensors.start();
    m_privacy.start();
}
