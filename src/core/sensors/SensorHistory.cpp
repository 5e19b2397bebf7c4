#include "SensorHistory.h"

#include "BackgroundFileWriter.h"
#include "DamagedFile.h"
#include "JsonFile.h"
#include "Log.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <algorithm>

SensorHistory::SensorHistory(QString filePath, QObject *parent)
    : QObject(parent)
    , m_path(std::move(filePath))
{
    m_saveTurn.setSingleShot(true);
    m_saveTurn.setInterval(saveDelay);
    connect(&m_saveTurn, &QTimer::timeout, this, &SensorHistory::write);
    if (m_path.isEmpty())
        return;
    m_writer = std::make_unique<BackgroundFileWriter>(
        m_path, QStringLiteral("the history"), [this](const QString &problem) {
            // From the writer's thread; the writer is flushed before this object goes.
            QMetaObject::invokeMethod(
                this, [this, problem] { Q_EMIT saveFailed(problem); }, Qt::QueuedConnection);
        });
    load();
}

SensorHistory::~SensorHistory()
{
    if (m_saveTurn.isActive())
        write();
}

void SensorHistory::load()
{
    const JsonFile file = JsonFile::read(m_path);
    if (!file.exists)
        return;
    if (!file.problem.isEmpty() || !file.document.isArray()) {
        keepAside(file.problem.isEmpty() ? QStringLiteral("does not hold a list of sessions") : file.problem);
        return;
    }
    const QJsonArray array = file.document.array();
    QList<SensorSession> sessions;
    sessions.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const std::optional<SensorSession> session = SensorSession::fromJson(array.at(i));
        if (!session) {
            keepAside(QStringLiteral("holds a damaged session (entry %1)").arg(i + 1));
            return;
        }
        sessions.append(*session);
    }
    m_sessions = std::move(sessions);
}

void SensorHistory::keepAside(const QString &reason)
{
    m_keptAside = DamagedFile::keepAside(m_path);
    if (!m_keptAside.isEmpty()) {
        qCWarning(lcHistory).noquote().nospace()
            << "history file " << m_path << ' ' << reason << "; kept it as " << m_keptAside
            << " and started an empty history";
        return;
    }
    // Saving now would destroy what could not be read.
    m_writer.reset();
    qCWarning(lcHistory).noquote().nospace()
        << "history file " << m_path << ' ' << reason
        << " and could not be moved aside; this run keeps its history in memory only";
}

QString SensorHistory::openKey(Sensor sensor, const SensorUser &user)
{
    return sensorText(sensor) + QLatin1Char(':') + user.identity();
}

void SensorHistory::update(Sensor sensor, const QList<SensorUser> &users, const QDateTime &now)
{
    QSet<QString> live;
    for (const SensorUser &user : users)
        live.insert(openKey(sensor, user));

    bool changed = false;
    const QString prefix = sensorText(sensor) + QLatin1Char(':');
    const QHash<QString, QUuid> open = m_open;
    for (auto it = open.cbegin(); it != open.cend(); ++it) {
        if (!it.key().startsWith(prefix) || live.contains(it.key()))
            continue;
        // Open sessions sit near the front.
        const auto session = std::find_if(m_sessions.begin(), m_sessions.end(),
                                          [&](const SensorSession &s) { return s.id == it.value(); });
        if (session != m_sessions.end()) {
            session->end = now;
            changed = true;
        }
        m_open.remove(it.key());
    }

    for (const SensorUser &user : users) {
        const QString key = openKey(sensor, user);
        if (m_open.contains(key))
            continue;
        const SensorSession session{QUuid::createUuid(), sensor, user.name, user.appId, now, std::nullopt};
        m_sessions.prepend(session);
        m_open.insert(key, session.id);
        changed = true;
    }

    if (m_sessions.size() > cap)
        m_sessions.resize(cap);
    // Most updates (the other sensor's, repeated states) change nothing worth a rewrite.
    if (changed)
        save();
}

void SensorHistory::clear()
{
    m_sessions.clear();
    m_open.clear();
    save();
    // Asked for by the user: gone from the disk now, not after the delay.
    write();
}

void SensorHistory::save()
{
    Q_EMIT sessionsChanged();
    // Not restarted by later changes: the file is never more than the delay behind.
    if (m_writer && !m_saveTurn.isActive())
        m_saveTurn.start();
}

void SensorHistory::write()
{
    m_saveTurn.stop();
    if (!m_writer)
        return;
    // A shallow copy: encoding 2 000 sessions happens on the writer's thread.
    m_writer->write([sessions = m_sessions] {
        QJsonArray array;
        for (const SensorSession &session : sessions)
            array.append(session.toJson());
        return QJsonDocument(array).toJson(QJsonDocument::Compact);
    });
}

void SensorHistory::flush()
{
    if (m_saveTurn.isActive())
        write();
    if (m_writer)
        m_writer->flush();
}
