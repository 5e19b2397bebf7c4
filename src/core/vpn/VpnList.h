#pragma once

#include "VpnService.h"

#include <QAbstractListModel>

#include <memory>
#include <vector>

// Every VPN connection of the machine, one row each: the sources' lists one
// after another in the order the sources were given (NetworkManager before
// Mullvad). Rows change only when what a source read differs, and then only
// the rows and roles that differ.
class VpnList : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        NameRole,
        ProviderRole,
        StatusRole,     // VpnConnection::Status
        StatusTextRole, // the status line under the name
        ActionTextRole, // the button's title
        ConnectedRole,  // the symbol lights up
    };
    Q_ENUM(Role)

    explicit VpnList(std::vector<std::unique_ptr<VpnService>> sources, QObject *parent = nullptr);
    ~VpnList() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    VpnConnection connection(int row) const;

    // Reads every source again.
    void refresh();
    // While watched, the list follows the changes the sources announce.
    // Starting a watch reads every source first.
    void setWatched(bool watched);
    bool isWatched() const { return m_watched; }
    // Brings a connection down when it is up or coming up; otherwise, an
    // unknown state included, asks for it to come up.
    void toggle(int row);

    static QString statusText(VpnConnection::Status status);
    static QString actionText(VpnConnection::Status status);
    static bool isUpOrComingUp(VpnConnection::Status status);

private:
    struct Row {
        int source = 0; // index into m_sources
        VpnConnection connection;
    };

    // Brings the source's rows in line with what it read.
    void take(int source);
    void update(int row, const VpnConnection &connection);

    std::vector<std::unique_ptr<VpnService>> m_sources;
    QList<Row> m_rows;
    bool m_watched = false;
};
