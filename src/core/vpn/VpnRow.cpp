#include "VpnRow.h"

#include "VpnList.h"

VpnRow::VpnRow(VpnList *list, QObject *parent)
    : QObject(parent)
    , m_list(list)
{
    connect(list, &VpnList::dataChanged, this, &VpnRow::update);
    connect(list, &VpnList::rowsInserted, this, &VpnRow::update);
    connect(list, &VpnList::rowsRemoved, this, &VpnRow::update);
    connect(list, &VpnList::rowsMoved, this, &VpnRow::update);
    connect(list, &VpnList::modelReset, this, &VpnRow::update);
    update();
}

QString VpnRow::name() const
{
    return m_shown ? m_shown->name : QString();
}

VpnConnection::Status VpnRow::status() const
{
    return m_shown ? m_shown->status : VpnConnection::Status::Unknown;
}

QString VpnRow::statusText() const
{
    return m_shown ? VpnList::statusText(m_shown->status) : QString();
}

QString VpnRow::actionText() const
{
    return m_shown ? VpnList::actionText(m_shown->status) : QString();
}

void VpnRow::press()
{
    m_list->toggle(shownRow());
}

int VpnRow::shownRow() const
{
    for (int row = 0; row < m_list->rowCount(); ++row) {
        if (m_list->connection(row).status != VpnConnection::Status::Disconnected &&
            m_list->connection(row).status != VpnConnection::Status::Unknown)
            return row;
    }
    return m_list->rowCount() > 0 ? 0 : -1;
}

void VpnRow::update()
{
    const int row = shownRow();
    const std::optional<VpnConnection> shown =
        row < 0 ? std::nullopt : std::optional<VpnConnection>(m_list->connection(row));
    const auto shows = [](const std::optional<VpnConnection> &connection) {
        return connection ? std::optional(std::pair(connection->name, connection->status)) : std::nullopt;
    };
    if (shows(shown) == shows(m_shown)) {
        m_shown = shown;
        return;
    }
    m_shown = shown;
    Q_EMIT changed();
}
