#include "Quitter.h"

#include "Log.h"

#include <QCollator>

#include <algorithm>

using namespace std::chrono_literals;

Quitter::Quitter(AppWindows &windows, QObject *parent)
    : QObject(parent)
    , m_windows(windows)
{
    m_limit.setSingleShot(true);
    m_limit.setInterval(12s);
    connect(&m_limit, &QTimer::timeout, this, &Quitter::finish);
}

QList<quint32> Quitter::windowsOf(const AppEntry &app) const
{
    QList<quint32> found;
    if (!app.pin)
        return found;
    const QList<qint32> pids = app.pin->pids();
    for (const AppWindows::Window &window : m_windows.windows()) {
        if (window.kind == AppWindows::Kind::Normal && pids.contains(window.pid))
            found.append(window.id);
    }
    return found;
}

void Quitter::askToQuit(const AppEntry &app)
{
    if (!app.pin || !app.pin->running())
        return;
    const QList<quint32> windows = windowsOf(app);
    for (const quint32 window : windows)
        m_windows.close(window);
    if (windows.isEmpty() && !app.pin->terminate())
        qCWarning(lcProcess).noquote() << "could not ask" << app.name << "to quit";
}

void Quitter::bringToFront(const AppEntry &app)
{
    const QList<quint32> windows = windowsOf(app);
    if (!windows.isEmpty())
        m_windows.activate(windows.constFirst());
}

void Quitter::quit(const QList<AppEntry> &apps)
{
    if (m_running)
        return;
    m_running = true;
    const quint64 run = ++m_run;
    m_report = {};
    m_pending.clear();
    for (const AppEntry &app : apps) {
        if (!app.pin || !app.pin->running()) {
            m_report.closed.append(app);
            continue;
        }
        m_pending.insert(app.pid, app);
        askToQuit(app);
    }
    // Registered after asking: one that is gone already is called back at once.
    for (const AppEntry &app : QList<AppEntry>(m_pending.values())) {
        app.pin->whenGone([this, run, pid = app.pid] { closed(run, pid); });
    }
    if (m_pending.isEmpty())
        finish();
    else if (m_running)
        m_limit.start();
}

void Quitter::closed(quint64 run, qint32 pid)
{
    if (run != m_run || !m_running)
        return;
    const auto found = m_pending.constFind(pid);
    if (found == m_pending.constEnd())
        return;
    m_report.closed.append(*found);
    m_pending.erase(found);
    Q_EMIT progress(m_report);
    if (m_pending.isEmpty())
        finish();
}

void Quitter::finish()
{
    if (!m_running)
        return;
    m_running = false;
    m_limit.stop();
    for (const AppEntry &app : std::as_const(m_pending))
        (app.pin->running() ? m_report.stillOpen : m_report.closed).append(app);
    m_pending.clear();
    QCollator collator;
    std::stable_sort(
        m_report.stillOpen.begin(), m_report.stillOpen.end(),
        [&collator](const AppEntry &a, const AppEntry &b) { return collator.compare(a.name, b.name) < 0; });
    Q_EMIT finished(m_report);
}

bool Quitter::forceQuit(const AppEntry &app)
{
    return app.pin && app.pin->forceQuit();
}
