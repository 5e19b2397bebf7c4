#include "Hub.h"

#include "SensorWatcher.h"
#include "ShelfStore.h"

Hub::Hub(Settings &settings, const AppInfo &info, HubServices services)
    : m_settings(settings)
    , m_sensors(settings, std::move(services.sensors), services.dataFolder, services.appTerminator)
    , m_privacy(settings, info, std::move(services.privacy))
    , m_dataFolder(services.dataFolder)
    , m_cacheFolder(std::move(services.cacheFolder))
    , m_shelfFiles(services.shelfFiles)
{}

Hub::~Hub() = default;

ShelfStore &Hub::shelf()
{
    Q_ASSERT(m_shelfFiles);
    if (!m_shelf) {
        const QString file = m_dataFolder.isEmpty() ? QString() : m_dataFolder + QStringLiteral("/shelf.json");
        m_shelf = std::make_unique<ShelfStore>(file, m_cacheFolder + QStringLiteral("/Shelf"), *m_shelfFiles,
                                               ShelfStore::usualPlaces());
        if (m_shelfMade)
            m_shelfMade(*m_shelf);
    }
    return *m_shelf;
}

void Hub::start()
{
    m_sensors.start();
    m_privacy.start();
}
