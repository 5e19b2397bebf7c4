#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class VpnList;
class VpnRow;

// The VPN row at the foot of the privacy section: the connection's name and
// state and a button that connects or disconnects it; nothing without a VPN.
// The list is read when the row shows and followed only while it shows.
class VpnRowView : public QWidget {
    Q_OBJECT
public:
    explicit VpnRowView(VpnList &list, QWidget *parent = nullptr);
    ~VpnRowView() override;

    QLabel *name() const { return m_name; }
    QLabel *status() const { return m_status; }
    QPushButton *button() const { return m_button; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void refresh();

    VpnList &m_list;
    VpnRow *m_row;
    QLabel *m_symbol;
    QLabel *m_name;
    QLabel *m_status;
    QPushButton *m_button;
    QWidget *m_content;
};
