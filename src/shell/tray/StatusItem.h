#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

// Tarnwick's icon in the panel's tray. A plain click asks for the hub; a
// right click, or a click with Ctrl held, opens the status menu, which is
// filled afresh each time it is about to show.
class StatusItem : public QObject {
    Q_OBJECT
public:
    explicit StatusItem(QObject *parent = nullptr);

    // Shows the icon; answers whether a tray host is there to show it now.
    bool show();
    bool isVisible() const { return m_tray.isVisible(); }
    QMenu &menu() { return m_menu; }
    QSystemTrayIcon &trayIcon() { return m_tray; }
    void popUpMenu(const QPoint &at);
    // What the menu shows changed: an open menu is filled again.
    void refresh();

Q_SIGNALS:
    void clicked();
    void menuNeedsUpdate(QMenu *menu);

private:
    void activated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon m_tray;
    QMenu m_menu;
};
