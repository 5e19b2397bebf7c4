#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>

#include <functional>
#include <optional>

struct xcb_connection_t;

// The X server through a connection of the test's own, so a test needs no
// GUI of its own to see what the tray holds and which windows exist.
class XDisplay {
public:
    XDisplay();
    ~XDisplay();
    XDisplay(const XDisplay &) = delete;
    XDisplay &operator=(const XDisplay &) = delete;

    bool isOpen() const;
    bool hasTray();
    // The processes of the shown windows inside the tray with more than one
    // colour: icons the tray embedded and their process painted.
    QList<qint64> trayIconPids();
    // The centre of the tray icon of process `pid` on the screen; nothing without one.
    std::optional<QPoint> trayIconCentre(qint64 pid);
    // Windows, mapped or not, with this title and at least this wide.
    int windowsTitled(const QByteArray &title, int minWidth);
    bool hasState(quint32 window, const QByteArray &state);
    // Whether a taskbar would show it: the window manager manages it (it is
    // in _NET_CLIENT_LIST) and it does not ask to be skipped.
    bool listedInTaskbar(quint32 window);

private:
    quint32 root();
    quint32 atom(const QByteArray &name);
    QByteArray property(quint32 window, const QByteArray &name);
    bool showsSeveralColours(quint32 window);
    void visit(quint32 window, bool insideTray, const std::function<void(quint32, bool)> &each);

    int m_screen = 0;
    xcb_connection_t *m_connection;
};
