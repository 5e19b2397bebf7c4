#include "MenuCheck.h"

#include "MainMenu.h"
#include "Report.h"
#include "SelfCheckWait.h"
#include "TarnwickWindow.h"
#include "Windows.h"
#include "X11Taskbar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include <X11/keysym.h>

namespace MenuCheck {

namespace {

constexpr int windowTimeoutMs = 5000;

QString plain(QString title)
{
    return title.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

const QAction *find(const QList<QAction *> &actions, const QString &title)
{
    for (const QAction *action : actions) {
        if (plain(action->text()) == title)
            return action;
    }
    return nullptr;
}

const QAction *findInMenus(const QMenuBar &bar, const QString &title, const QString &menu = {})
{
    for (const QAction *top : bar.actions()) {
        if (!top->menu() || (!menu.isEmpty() && plain(top->text()) != menu))
            continue;
        if (const QAction *found = find(top->menu()->actions(), title))
            return found;
    }
    return nullptr;
}

bool taskbarShows(qint64 pid, bool entry)
{
    return SelfCheckWait::until(
        [pid, entry] {
            const std::optional<int> entries = X11Taskbar::entries(pid);
            return entries && (*entries > 0) == entry;
        },
        windowTimeoutMs);
}

// Opens the settings window and waits until it has the keyboard focus;
// answers the window, absent when it did not open.
QMainWindow *openSettings(const App &app, bool &focused)
{
    app.actions.showSettings();
    QMainWindow *window = app.windows.window(QStringLiteral("settings"));
    focused = window && SelfCheckWait::until([window] { return window->isActiveWindow(); }, windowTimeoutMs);
    return window;
}

// Types the key as the X server delivers it; a window that never got the
// focus is sent the key directly, and the report says so.
void typeInto(Report &report, QMainWindow &window, bool focused, unsigned long keysym, Qt::Key key,
              Qt::KeyboardModifiers modifiers, const QString &name)
{
    if (focused && X11Taskbar::typeKey(keysym, modifiers.testFlag(Qt::ControlModifier)))
        return;
    report.note(QStringLiteral("the window did not get the keyboard focus: ") + name +
                QStringLiteral(" sent to the window"));
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : &window, &press);
    QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : &window, &release);
}

bool closes(const App &app)
{
    return SelfCheckWait::until([&app] { return !app.windows.window(QStringLiteral("settings")); },
                                windowTimeoutMs);
}

} // namespace

int run(Report &report, const App &app)
{
    // Every window's menu bar is built the same way; this one is never shown.
    TarnwickWindow probe;
    MainMenu::build(probe, app.actions, [] {});
    const QMenuBar *bar = probe.menuBar();
    if (!bar || bar->actions().isEmpty()) {
        report.fail(QStringLiteral("no main menu"));
        return report.finish();
    }
    report.check(true, QStringLiteral("the app has a main menu"));
    const QString updates = QStringLiteral("Check for Updates…");
    if (findInMenus(*bar, updates))
        report.check(true, QStringLiteral("menu bar ") + updates);
    else
        report.fail(QStringLiteral("menu bar: missing \"") + updates + QLatin1Char('"'));
    const QString tutorial = QStringLiteral("Help › Show Tutorial");
    if (findInMenus(*bar, QStringLiteral("Show Tutorial"), QStringLiteral("Help")))
        report.check(true, QStringLiteral("menu bar ") + tutorial);
    else
        report.fail(QStringLiteral("menu bar: missing ") + tutorial);
    for (const char *title : {"Copy", "Paste", "Select All", "Redo", "Close", "Quit Tarnwick"}) {
        const QString item = QString::fromUtf8(title);
        if (findInMenus(*bar, item))
            report.check(true, QStringLiteral("menu bar ") + item);
        else
            report.fail(QStringLiteral("menu bar: missing \"") + item + QLatin1Char('"'));
    }

    QMenu status;
    app.fillStatusMenu(status);
    for (const QString &item : {updates, QStringLiteral("Show Tutorial")}) {
        if (find(status.actions(), item))
            report.check(true, QStringLiteral("status menu ") + item);
        else
            report.fail(QStringLiteral("status menu: missing \"") + item + QLatin1Char('"'));
    }

    bool focused = false;
    QMainWindow *window = openSettings(app, focused);
    const bool shown = window && window->windowTitle() == QStringLiteral("Tarnwick Settings") &&
                       window->menuBar()->isVisible() && taskbarShows(app.pid, true);
    report.check(shown, shown ? QStringLiteral("menu bar while a window is open")
                              : QStringLiteral("no menu bar while a window is open"));
    if (window) {
        typeInto(report, *window, focused, XK_Escape, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("Esc"));
        const bool closed = closes(app);
        report.check(closed, closed ? QStringLiteral("Esc closes a window")
                                    : QStringLiteral("Esc did not close the window"));
    }

    window = openSettings(app, focused);
    if (!window) {
        report.fail(QStringLiteral("Ctrl+W found no window"));
    } else {
        typeInto(report, *window, focused, XK_w, Qt::Key_W, Qt::ControlModifier, QStringLiteral("Ctrl+W"));
        const bool closed = closes(app);
        report.check(closed, closed ? QStringLiteral("Ctrl+W closes a window")
                                    : QStringLiteral("Ctrl+W did not close the window"));
    }

    const bool trayOnly = !app.windows.anyOpen() && taskbarShows(app.pid, false);
    report.check(trayOnly, trayOnly ? QStringLiteral("back to the tray icon only")
                                    : QStringLiteral("still in the taskbar after the last window closed"));
    return report.finish();
}

} // namespace MenuCheck
