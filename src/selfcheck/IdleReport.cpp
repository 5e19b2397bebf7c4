#include "IdleReport.h"

#include "Report.h"
#include "Text.h"

#include <QCoreApplication>
#include <QTimerEvent>

IdleReport::IdleReport(Report &report, const ProcessUsage &usage, double idleSeconds, QObject *parent)
    : QObject(parent)
    , m_report(report)
    , m_usage(usage)
    , m_idleSeconds(idleSeconds)
{
    m_phase.setSingleShot(true);
    m_phase.setTimerType(Qt::PreciseTimer);
}

void IdleReport::run(double startupSeconds)
{
    m_report.line(QStringLiteral("start: status item shown %1 ms after the process started")
                      .arg(startupSeconds * 1000.0, 0, 'f', 0));
    connect(&m_phase, &QTimer::timeout, this, &IdleReport::beginWindow, Qt::SingleShotConnection);
    m_phase.start(settleMilliseconds);
}

void IdleReport::beginWindow()
{
    m_before = m_usage.sample();
    m_report.line(QStringLiteral("settled: memory ") + formatBytes(m_before.footprintBytes, QLocale::c()) +
                  QStringLiteral(" (resident ") + formatBytes(m_before.residentBytes, QLocale::c()) +
                  QLatin1Char(')'));
    // Sampling itself woke nobody up; start counting from a fresh reading.
    m_before = m_usage.sample();
    m_timerEvents = 0;
    m_ownTimerEvents = 0;
    m_timerReceivers.clear();
    m_counting = true;
    QCoreApplication::instance()->installEventFilter(this);
    connect(&m_phase, &QTimer::timeout, this, &IdleReport::endWindow, Qt::SingleShotConnection);
    m_window.start();
    m_phase.start(int(m_idleSeconds * 1000.0));
}

void IdleReport::endWindow()
{
    const ProcessUsageSample after = m_usage.sample();
    m_counting = false;
    QCoreApplication::instance()->removeEventFilter(this);
    const double seconds = double(m_window.nsecsElapsed()) / 1e9;
    const double cpu = after.cpuSeconds - m_before.cpuSeconds;
    const double percent = seconds > 0 ? 100.0 * cpu / seconds : 0;
    const quint64 wakeups = after.wakeups >= m_before.wakeups ? after.wakeups - m_before.wakeups : 0;
    const QLocale c = QLocale::c();
    m_report.line(QStringLiteral("idle %1 s: cpu %2 s (%3%), wakeups %4 (%5/s), memory %6")
                      .arg(c.toString(seconds, 'f', 0), c.toString(cpu, 'f', 4), c.toString(percent, 'f', 4),
                           c.toString(wakeups),
                           c.toString(seconds > 0 ? double(wakeups) / seconds : 0.0, 'f', 2),
                           formatBytes(after.footprintBytes, c)));
    QStringList receivers;
    for (auto it = m_timerReceivers.cbegin(); it != m_timerReceivers.cend(); ++it)
        receivers.append(QStringLiteral("%1 ×%2").arg(it.key()).arg(it.value()));
    m_report.line(QStringLiteral("timers fired while idle: %1 of its own, %2 inside Qt")
                      .arg(m_ownTimerEvents)
                      .arg(m_timerEvents - m_ownTimerEvents) +
                  (receivers.isEmpty()
                       ? QString()
                       : QStringLiteral(" (") + receivers.join(QStringLiteral(", ")) + QLatin1Char(')')));
    m_report.check(percent < 0.05, QStringLiteral("idle CPU under 0.05 %"));
    m_report.check(m_ownTimerEvents == 0, QStringLiteral("no timer of its own fires while idle"));
    Q_EMIT finished(m_report.finish());
}

bool IdleReport::eventFilter(QObject *watched, QEvent *event)
{
    // The window's own end timer is the one timer expected to fire.
    if (m_counting && event->type() == QEvent::Timer &&
        static_cast<QTimerEvent *>(event)->timerId() != m_phase.timerId()) {
        ++m_timerEvents;
        // Tarnwick's timers are QTimers or its own classes; Qt's internal
        // housekeeping (the pixmap cache's flush, say) runs on Qt's classes.
        const QString className = QString::fromLatin1(watched->metaObject()->className());
        if (qobject_cast<QTimer *>(watched) || !className.startsWith(QLatin1Char('Q')))
            ++m_ownTimerEvents;
        const QString name = watched->objectName();
        ++m_timerReceivers[className + (name.isEmpty() ? QString() : QLatin1Char(' ') + name)];
    }
    return QObject::eventFilter(watched, event);
}
