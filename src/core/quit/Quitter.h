#pragma once

#include "AppWindows.h"
#include "QuitReport.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <chrono>

// Asks applications to quit the way the user would: the window manager closes
// each of their windows, so one with unsaved work asks first and may stay; an
// application without a window gets SIGTERM. Waits for them to end, up to a
// time limit, and tells what closed and what stayed open.
class Quitter : public QObject {
    Q_OBJECT
public:
    explicit Quitter(AppWindows &windows, QObject *parent = nullptr);

    void setTimeLimit(std::chrono::milliseconds limit) { m_limit.setInterval(limit); }
    bool isRunning() const { return m_running; }

    // Ignored while a run is going on.
    void quit(const QList<AppEntry> &apps);
    // SIGKILL to the application's processes, only ever the ones it was listed with.
    bool forceQuit(const AppEntry &app);
    // One application, outside any run: the privacy tiles' and banner's quit.
    void askToQuit(const AppEntry &app);
    // Raises its first window, so the user can answer what it asks.
    void bringToFront(const AppEntry &app);

Q_SIGNALS:
    // After each application that closed.
    void progress(const QuitReport &report);
    void finished(const QuitReport &report);

private:
    QList<quint32> windowsOf(const AppEntry &app) const;
    void closed(quint64 run, qint32 pid);
    void finish();

    AppWindows &m_windows;
    QTimer m_limit;
    bool m_running = false;
    quint64 m_run = 0;
    QuitReport m_report;
    QHash<qint32, AppEntry> m_pending;
};
