#include "SiblingApps.h"

#include "Detached.h"
#include "Doors.h"

#include <QFutureWatcher>

SiblingApps::SiblingApps(QList<OrvaneApp> catalogue, std::shared_ptr<const InstalledApps> installed,
                         QObject *parent)
    : QObject(parent)
    , m_catalogue(std::move(catalogue))
    , m_installed(std::move(installed))
{
    for (const OrvaneApp &app : m_catalogue)
        m_siblings.append({app, std::nullopt});
}

QList<SiblingApps::Sibling> SiblingApps::match(const QList<OrvaneApp> &catalogue,
                                               const InstalledApps &installed)
{
    QList<Sibling> siblings;
    for (const OrvaneApp &app : catalogue) {
        Sibling sibling{app, std::nullopt};
        for (const QString &id : app.appIds) {
            sibling.installed = installed.find(id);
            if (sibling.installed)
                break;
        }
        siblings.append(sibling);
    }
    return siblings;
}

void SiblingApps::refresh()
{
    const quint64 generation = ++m_generation;
    auto *watcher = new QFutureWatcher<QList<Sibling>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != m_generation)
            return;
        m_siblings = watcher->result();
        m_known = true;
        Q_EMIT found();
    });
    watcher->setFuture(Detached::run<QList<Sibling>>(
        [catalogue = m_catalogue, installed = m_installed] { return match(catalogue, *installed); }));
}

QList<SiblingApps::Sibling> SiblingApps::installed() const
{
    QList<Sibling> found;
    for (const Sibling &sibling : m_siblings) {
        if (sibling.installed)
            found.append(sibling);
    }
    return found;
}

QList<OrvaneApp> SiblingApps::recommendations(const QStringList &dismissed) const
{
    QList<OrvaneApp> shown;
    for (const Sibling &sibling : m_siblings) {
        if (!sibling.installed && !dismissed.contains(sibling.app.id))
            shown.append(sibling.app);
    }
    return shown;
}

void SiblingApps::setRunning(const QStringList &appIds)
{
    if (appIds == m_running)
        return;
    m_running = appIds;
    Q_EMIT found();
}

bool SiblingApps::isRunning(const OrvaneApp &app) const
{
    return std::any_of(app.appIds.cbegin(), app.appIds.cend(),
                       [this](const QString &id) { return m_running.contains(id); });
}

QList<HubDoor> SiblingApps::doors() const
{
    QList<HubDoor> found;
    for (const Sibling &sibling : m_siblings) {
        if (!sibling.installed)
            continue;
        if (const std::optional<HubDoor> door =
                Doors::door(sibling.installed->appId, sibling.installed->hubDoor))
            found.append(*door);
    }
    return found;
}
