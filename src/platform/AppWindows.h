#pragma once

#include <QList>
#include <QString>

// The top-level windows the window manager manages, and the window manager's
// own window as part of the desktop. Main thread only.
class AppWindows {
public:
    enum class Kind {
        Normal, // an application's own window, shown in the taskbar
        Shell,  // the desktop, a panel or a dock
        Other,  // dialogs, utility and skip-taskbar windows
    };
    struct Window {
        quint32 id = 0;
        qint32 pid = 0; // 0 when the window names no process
        QString windowClass;
        Kind kind = Kind::Other;
        friend bool operator==(const Window &, const Window &) = default;
    };
    virtual ~AppWindows() = default;
    virtual QList<Window> windows() const = 0;
    // Asks the window manager to close the window, as its close button does.
    virtual void close(quint32 window) = 0;
    // Asks the window manager to raise and focus the window.
    virtual void activate(quint32 window) = 0;
};
