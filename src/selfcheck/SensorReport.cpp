#include "SensorReport.h"

#include "Report.h"
#include "SensorModel.h"
#include "Text.h"

#include <QStringList>

namespace {

// In double quotes, with backslashes, quotes and anything unprintable
// escaped: a name holding commas or brackets cannot blur the list.
QString quoted(const QString &name)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : name) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (!c.isPrint())
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

QString names(const QList<SensorUser> &users)
{
    QStringList out;
    out.reserve(users.size());
    for (const SensorUser &user : users)
        out.append(quoted(user.name));
    return out.join(QLatin1Char(','));
}

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString secondsText(double seconds)
{
    return QString::number(seconds, 'f', 2) + QLatin1Char('s');
}

} // namespace

SensorReport::SensorReport(Report &report, SensorModel &sensors, const ProcessUsage &usage, Halo halo,
                           double seconds, QObject *parent)
    : QObject(parent)
    , m_report(report)
    , m_sensors(sensors)
    , m_usage(usage)
    , m_halo(std::move(halo))
    , m_seconds(seconds)
{
    m_end.setSingleShot(true);
    m_end.setTimerType(Qt::PreciseTimer);
    connect(&m_end, &QTimer::timeout, this, &SensorReport::end);
}

void SensorReport::run()
{
    m_before = m_usage.sample();
    m_clock.start();
    // Uses already in progress were published, and shown, before the report began.
    m_report.line(stateLine(elapsed(), m_sensors.state()));
    recordHalo();
    connect(&m_sensors, &SensorModel::changed, this,
            [this](const SensorState &, const SensorState &after) { record(after); });
    m_end.start(int(m_seconds * 1000.0));
}

QString SensorReport::stateLine(double seconds, const SensorState &state)
{
    return secondsText(seconds) + QStringLiteral(" camera=") + onOff(state.cameraOn) + QStringLiteral(" [") +
           names(state.cameraUsers) + QStringLiteral("] mic=") + onOff(state.micOn) + QStringLiteral(" [") +
           names(state.micUsers) + QLatin1Char(']');
}

double SensorReport::elapsed() const
{
    return double(m_clock.nsecsElapsed()) / 1e9;
}

void SensorReport::record(const SensorState &state)
{
    m_report.line(stateLine(elapsed(), state));
    // The shell reacts to the same change after this receiver: read the halo
    // once the event loop has carried that out.
    QMetaObject::invokeMethod(this, &SensorReport::recordHalo, Qt::QueuedConnection);
}

void SensorReport::recordHalo()
{
    const QString at = secondsText(elapsed());
    if (const std::optional<QString> title = m_halo.bannerTitle())
        m_report.line(at + QStringLiteral(" banner: ") + *title);
    m_report.line(at + QStringLiteral(" halo: ") +
                  (m_halo.visible() ? QStringLiteral("visible") : QStringLiteral("hidden")));
}

void SensorReport::end()
{
    disconnect(&m_sensors, &SensorModel::changed, this, nullptr);
    const ProcessUsageSample after = m_usage.sample();
    const double seconds = elapsed();
    const QLocale c = QLocale::c();
    m_report.line(QStringLiteral("cpu used: %1 s over %2 s · memory %3")
                      .arg(c.toString(after.cpuSeconds - m_before.cpuSeconds, 'f', 3),
                           c.toString(seconds, 'f', 0), formatBytes(after.footprintBytes, c)));
    Q_EMIT finished(m_report.finish());
}
