#pragma once

#include "ProcessUsage.h"
#include "SensorState.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class Hub;
class Report;

// Writes every sensor change of the running application for a while, with
// whether the halo is lit, then what the watching cost.
class SensorReport : public QObject {
    Q_OBJECT
public:
    SensorReport(Report &report, Hub &hub, const ProcessUsage &usage, double seconds,
                 QObject *parent = nullptr);

    // Starts with the state as it stands, then follows the hub.
    void run();

    // "1.25s camera=on [Zoom] mic=off []"
    static QString stateLine(double seconds, const SensorState &state);

Q_SIGNALS:
    void finished(int exitCode);

private:
    void record(const SensorState &state);
    bool haloLit(const SensorState &state) const;
    void end();

    Report &m_report;
    Hub &m_hub;
    const ProcessUsage &m_usage;
    double m_seconds;
    QTimer m_end;
    QElapsedTimer m_clock;
    ProcessUsageSample m_before;
};
