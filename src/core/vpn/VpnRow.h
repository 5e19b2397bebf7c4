#pragma once

#include "VpnService.h"

#include <QObject>

#include <optional>

class VpnList;

// The VPN row of the privacy section: one connection with its status line and
// a button. It shows the first connection that is up or changing, otherwise
// the first of the list; with no connection at all the row shows nothing.
// changed() fires only when something the row shows differs.
class VpnRow : public QObject {
    Q_OBJECT
public:
    explicit VpnRow(VpnList *list, QObject *parent = nullptr);

    bool isShown() const { return m_shown.has_value(); }
    QString name() const;
    VpnConnection::Status status() const;
    QString statusText() const;
    QString actionText() const;
    // The symbol takes the halo's camera colour.
    bool isLit() const { return status() == VpnConnection::Status::Connected; }

    // The button: connects or disconnects the connection shown.
    void press();

Q_SIGNALS:
    void changed();

private:
    int shownRow() const;
    void update();

    VpnList *m_list;
    std::optional<VpnConnection> m_shown;
};
