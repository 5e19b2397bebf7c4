#pragma once

#include "ProcessUsage.h"
#include "SensorState.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class SensorModel;
class Report;

// Writes every sensor change of the running application for a while, with
// whether the halo is lit, then what the watching cost.
class SensorReport : public QObject {
    Q_OBJECT
public:
    // What the shell shows: whether the halo window is on screen, and the
    // title of the banner it shows, if any.
    struct Halo {
        std::function<bool()> visible;
        std::function<std::optional<QString>()> bannerTitle;
    };

    SensorReport(Report &report, SensorModel &sensors, const ProcessUsage &usage, Halo halo, double seconds,
                 QObject *parent = nullptr);

    // Starts with the state as it stands, then follows the sensors.
    void run();

    // "1.25s camera=on ["Zoom"] mic=off []"
    static QString stateLine(double seconds, const SensorState &state);

Q_SIGNALS:
    void finished(int exitCode);

private:
    void record(const SensorState &state);
    void recordHalo();
    double elapsed() const;
    void end();

    Report &m_report;
    SensorModel &m_sensors;
    const ProcessUsage &m_usage;
    Halo m_halo;
    double m_seconds;
    QTimer m_end;
    QElapsedTimer m_clock;
    ProcessUsageSample m_before;
};
