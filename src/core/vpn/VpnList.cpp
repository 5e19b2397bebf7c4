#include "VpnList.h"

#include "Text.h"

#include <QSet>

VpnList::VpnList(std::vector<std::unique_ptr<VpnService>> sources, QObject *parent)
    : QAbstractListModel(parent)
    , m_sources(std::move(sources))
{
    for (int index = 0; index < int(m_sources.size()); ++index) {
        connect(m_sources[size_t(index)].get(), &VpnService::connectionsChanged, this,
                [this, index] { take(index); });
        take(index);
    }
}

VpnList::~VpnList() = default;

int VpnList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant VpnList::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const VpnConnection &connection = m_rows.at(index.row()).connection;
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return connection.name;
    case IdRole:
        return connection.id;
    case ProviderRole:
        return connection.provider;
    case StatusRole:
        return QVariant::fromValue(connection.status);
    case StatusTextRole:
        return statusText(connection.status);
    case ActionTextRole:
        return actionText(connection.status);
    case ConnectedRole:
        return connection.status == VpnConnection::Status::Connected;
    default:
        return {};
    }
}

QHash<int, QByteArray> VpnList::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert({{IdRole, "id"},
                  {NameRole, "name"},
                  {ProviderRole, "provider"},
                  {StatusRole, "status"},
                  {StatusTextRole, "statusText"},
                  {ActionTextRole, "actionText"},
                  {ConnectedRole, "connected"}});
    return names;
}

VpnConnection VpnList::connection(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).connection : VpnConnection();
}

void VpnList::refresh()
{
    for (const std::unique_ptr<VpnService> &source : m_sources)
        source->refresh();
}

void VpnList::setWatched(bool watched)
{
    if (m_watched == watched)
        return;
    m_watched = watched;
    for (const std::unique_ptr<VpnService> &source : m_sources)
        source->setWatched(watched);
    if (watched)
        refresh();
}

void VpnList::toggle(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    const Row &target = m_rows.at(row);
    VpnService *source = m_sources[size_t(target.source)].get();
    if (isUpOrComingUp(target.connection.status))
        source->disconnectVpn(target.connection.id);
    else
        source->connectVpn(target.connection.id);
}

QString VpnList::statusText(VpnConnection::Status status)
{
    switch (status) {
    case VpnConnection::Status::Connected:
        return Text::tr("Connected");
    case VpnConnection::Status::Connecting:
        return Text::tr("Connecting…");
    case VpnConnection::Status::Disconnecting:
        return Text::tr("Disconnecting…");
    case VpnConnection::Status::Disconnected:
        return Text::tr("Not connected");
    case VpnConnection::Status::Unknown:
        break;
    }
    return Text::tr("VPN");
}

QString VpnList::actionText(VpnConnection::Status status)
{
    return isUpOrComingUp(status) ? Text::tr("Disconnect") : Text::tr("Connect");
}

bool VpnList::isUpOrComingUp(VpnConnection::Status status)
{
    return status == VpnConnection::Status::Connected || status == VpnConnection::Status::Connecting;
}

void VpnList::take(int source)
{
    // A source that names one id twice gets its first row only: rows are told apart by id.
    QList<VpnConnection> incoming;
    QSet<QString> ids;
    for (const VpnConnection &connection : m_sources[size_t(source)]->connections()) {
        if (!ids.contains(connection.id)) {
            ids.insert(connection.id);
            incoming.append(connection);
        }
    }

    int first = 0;
    while (first < m_rows.size() && m_rows.at(first).source < source)
        ++first;
    int end = first;
    while (end < m_rows.size() && m_rows.at(end).source == source)
        ++end;

    for (int row = end - 1; row >= first; --row) {
        if (!ids.contains(m_rows.at(row).connection.id)) {
            beginRemoveRows({}, row, row);
            m_rows.removeAt(row);
            endRemoveRows();
            --end;
        }
    }
    for (int i = 0; i < incoming.size(); ++i) {
        const int row = first + i;
        const VpnConnection &connection = incoming.at(i);
        if (row < end && m_rows.at(row).connection.id == connection.id) {
            update(row, connection);
            continue;
        }
        int from = row + 1;
        while (from < end && m_rows.at(from).connection.id != connection.id)
            ++from;
        if (from < end) {
            beginMoveRows({}, from, from, {}, row);
            m_rows.move(from, row);
            endMoveRows();
            update(row, connection);
        } else {
            beginInsertRows({}, row, row);
            m_rows.insert(row, {source, connection});
            endInsertRows();
            ++end;
        }
    }
}

void VpnList::update(int row, const VpnConnection &connection)
{
    VpnConnection &current = m_rows[row].connection;
    QList<int> roles;
    if (current.name != connection.name)
        roles << Qt::DisplayRole << NameRole;
    if (current.provider != connection.provider)
        roles << ProviderRole;
    if (current.status != connection.status)
        roles << StatusRole << StatusTextRole << ActionTextRole << ConnectedRole;
    current = connection;
    if (!roles.isEmpty())
        Q_EMIT dataChanged(index(row), index(row), roles);
}
