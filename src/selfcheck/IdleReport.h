#pragma once

#include "ProcessUsage.h"

#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QTimer>

class Report;

// Lets the running application settle, then measures what it costs while
// nothing happens: processor time, wake-ups, memory, and how many timers of
// its own fired (an event-driven app fires none).
class IdleReport : public QObject {
    Q_OBJECT
public:
    IdleReport(Report &report, const ProcessUsage &usage, double idleSeconds, QObject *parent = nullptr);

    // `startupSeconds`: from process start to the status item shown.
    void run(double startupSeconds);

    static constexpr int settleMilliseconds = 2000;

Q_SIGNALS:
    void finished(int exitCode);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void beginWindow();
    void endWindow();

    Report &m_report;
    const ProcessUsage &m_usage;
    double m_idleSeconds;
    QTimer m_phase;
    ProcessUsageSample m_before;
    QElapsedTimer m_window;
    int m_timerEvents = 0;
    int m_ownTimerEvents = 0;
    QMap<QString, int> m_timerReceivers; // class names, to find who woke up
    bool m_counting = false;
};
