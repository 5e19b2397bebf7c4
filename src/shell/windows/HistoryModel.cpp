#include "HistoryModel.h"

#include "HaloColor.h"
#include "Symbols.h"
#include "Text.h"

#include <QLocale>
#include <QPixmap>

namespace {

QIcon tintedSymbol(const char *name, const SrgbColor &color)
{
    const QColor tint = QColor::fromRgbF(float(color.red), float(color.green), float(color.blue));
    QIcon icon;
    for (const qreal scale : {1.0, 2.0})
        icon.addPixmap(
            QPixmap::fromImage(Symbols::tinted(QString::fromLatin1(name), tint, QSize(16, 16), scale)));
    return icon;
}

} // namespace

HistoryModel::HistoryModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_cameraSymbol(tintedSymbol("video.fill", HaloColor::camera))
    , m_micSymbol(tintedSymbol("mic.fill", HaloColor::mic))
{}

void HistoryModel::setSessions(QList<SensorSession> sessions)
{
    beginResetModel();
    m_sessions = std::move(sessions);
    endResetModel();
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_sessions.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_sessions.size())
        return {};
    const SensorSession &session = m_sessions.at(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case AppColumn:
            return session.app;
        case StartedColumn:
            return startedText(session.start);
        case DurationColumn:
            return durationText(session);
        default:
            return {};
        }
    }
    if (role == Qt::DecorationRole && index.column() == AppColumn)
        return session.sensor == Sensor::Camera ? m_cameraSymbol : m_micSymbol;
    return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case AppColumn:
        return Text::tr("App");
    case StartedColumn:
        return Text::tr("Started");
    case DurationColumn:
        return Text::tr("How long");
    default:
        return {};
    }
}

QString HistoryModel::durationText(const SensorSession &session)
{
    if (!session.end)
        return Text::tr("Now");
    // A clock set back mid-session must not make a negative span.
    return durationText(std::max<qint64>(0, session.start.secsTo(*session.end)));
}

QString HistoryModel::durationText(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds % 3600 / 60;
    const qint64 rest = seconds % 60;
    QStringList parts;
    if (hours > 0)
        parts.append(Text::tr("%L1h").arg(hours));
    if (minutes > 0)
        parts.append(Text::tr("%L1m").arg(minutes));
    if (rest > 0 || parts.isEmpty())
        parts.append(Text::tr("%L1s").arg(rest));
    return parts.join(QLatin1Char(' '));
}

QString HistoryModel::startedText(const QDateTime &start)
{
    const QLocale locale;
    const QDateTime local = start.toLocalTime();
    // A start time reads better without seconds.
    return locale.toString(local.date(), QLocale::ShortFormat) + QStringLiteral(", ") +
           locale.toString(local.time(), minutesTimeFormat(locale));
}
