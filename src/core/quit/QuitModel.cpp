#include "QuitModel.h"

#include "Quitter.h"
#include "RunningApps.h"
#include "Settings.h"
#include "Text.h"

QuitModel::QuitModel(Settings &settings, RunningApps &running, Quitter &quitter, QObject *parent)
    : QAbstractListModel(parent)
    , m_settings(settings)
    , m_running(running)
    , m_quitter(quitter)
{
    connect(&running, &RunningApps::listed, this, &QuitModel::setApps);
    connect(&quitter, &Quitter::progress, this, [this](const QuitReport &report) {
        if (m_phase != Phase::Quitting)
            return;
        m_closedCount = int(report.closed.size());
        Q_EMIT changed();
    });
    connect(&quitter, &Quitter::finished, this, [this](const QuitReport &report) {
        if (m_phase != Phase::Quitting)
            return;
        m_report = report;
        setPhase(Phase::Done);
        // Listed again in name order, each keeping the memory it was measured with.
        if (!m_fixed)
            m_running.refresh(false);
    });
    const auto planChanged = [this] {
        if (!m_apps.isEmpty())
            Q_EMIT dataChanged(index(0), index(int(m_apps.size()) - 1), {WillQuitRole, Qt::CheckStateRole});
        Q_EMIT changed();
    };
    connect(&settings.quitPreset, &SettingBase::changed, this, planChanged);
    connect(&settings.quitKeep, &SettingBase::changed, this, planChanged);
}

int QuitModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_apps.size());
}

QVariant QuitModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_apps.size())
        return {};
    const AppEntry &app = m_apps.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return app.name;
    case MemoryRole:
        return app.memory > 0 ? formatBytes(app.memory) : QString();
    case IconRole:
        return app.icon;
    case WillQuitRole:
        return willQuit(app);
    case Qt::CheckStateRole:
        return willQuit(app) ? Qt::Checked : Qt::Unchecked;
    case Qt::AccessibleTextRole:
        return Text::tr("Quit %1").arg(app.name);
    default:
        return {};
    }
}

bool QuitModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= m_apps.size() || role != Qt::CheckStateRole)
        return false;
    setWillQuit(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags QuitModel::flags(const QModelIndex &index) const
{
    return QAbstractListModel::flags(index) | Qt::ItemIsUserCheckable;
}

QHash<int, QByteArray> QuitModel::roleNames() const
{
    return {{NameRole, "name"}, {MemoryRole, "memory"}, {IconRole, "icon"}, {WillQuitRole, "willQuit"}};
}

void QuitModel::setFixedApps(std::optional<QList<AppEntry>> apps)
{
    m_fixed = std::move(apps);
    if (m_fixed)
        setApps(*m_fixed, true);
}

void QuitModel::refresh()
{
    // A run going on keeps its list; its result stays on screen until "Done".
    if (m_phase == Phase::Quitting)
        return;
    if (m_fixed)
        setApps(*m_fixed, true);
    else
        m_running.refresh(true);
}

void QuitModel::setApps(const QList<AppEntry> &apps, bool measured)
{
    QList<AppEntry> shown = apps;
    if (!measured) {
        for (AppEntry &app : shown) {
            const auto before = std::find_if(m_apps.cbegin(), m_apps.cend(),
                                             [&app](const AppEntry &old) { return old.pid == app.pid; });
            app.memory = before != m_apps.cend() ? before->memory : 0;
        }
    }
    beginResetModel();
    m_apps = shown;
    endResetModel();
    Q_EMIT changed();
}

QuitPreset QuitModel::preset() const
{
    return QuitPresets::fromRaw(m_settings.quitPreset.value());
}

void QuitModel::setPreset(QuitPreset preset)
{
    m_settings.quitPreset.set(QuitPresets::rawValue(preset));
}

QuitPlan QuitModel::plan() const
{
    const QStringList keep = m_settings.quitKeep.value();
    return QuitPlanner::plan(m_apps, preset(), QSet<QString>(keep.cbegin(), keep.cend()),
                             m_inUse ? m_inUse() : QSet<qint32>());
}

bool QuitModel::willQuit(const AppEntry &app) const
{
    return plan().toQuit.contains(app);
}

void QuitModel::setWillQuit(int row, bool quit)
{
    if (row < 0 || row >= m_apps.size())
        return;
    // Ticking only takes an app out of the keep set: one the preset keeps stays kept.
    QStringList keep = m_settings.quitKeep.value();
    const QString key = m_apps.at(row).key();
    if (quit)
        keep.removeAll(key);
    else
        keep.append(key);
    m_settings.quitKeep.set(keep);
}

QString QuitModel::buttonTitle() const
{
    if (m_phase == Phase::Quitting)
        return Text::tr("Closing… %1 of %2").arg(m_closedCount).arg(m_quittingCount);
    const QuitPlan current = plan();
    const int count = int(current.toQuit.size());
    if (count == 0)
        return Text::tr("Nothing to Quit");
    const QString title = count == 1 ? Text::tr("Quit 1 App") : Text::tr("Quit %n Apps", nullptr, count);
    return current.bytes() > 0 ? Text::tr("%1 · frees %2 of memory").arg(title, formatBytes(current.bytes()))
                               : title;
}

bool QuitModel::canQuit() const
{
    return m_phase == Phase::Ready && !plan().toQuit.isEmpty();
}

void QuitModel::quitAll()
{
    if (!canQuit())
        return;
    const QList<AppEntry> toQuit = plan().toQuit;
    m_closedCount = 0;
    m_quittingCount = int(toQuit.size());
    setPhase(Phase::Quitting);
    m_quitter.quit(toQuit);
}

void QuitModel::forceQuit(const AppEntry &app)
{
    m_quitter.forceQuit(app);
    if (m_phase != Phase::Done)
        return;
    const qsizetype removed =
        m_report.stillOpen.removeIf([&app](const AppEntry &open) { return open.pid == app.pid; });
    if (removed > 0)
        m_report.closed.append(app);
    Q_EMIT changed();
}

void QuitModel::done()
{
    setPhase(Phase::Ready);
    refresh();
}

void QuitModel::setPhase(Phase phase)
{
    if (phase == m_phase)
        return;
    const bool wasBusy = m_phase == Phase::Quitting;
    m_phase = phase;
    Q_EMIT changed();
    if (wasBusy != (phase == Phase::Quitting))
        Q_EMIT busyChanged(phase == Phase::Quitting);
}
