#pragma once

#include "Sensor.h"
#include "SensorSession.h"
#include "SensorUser.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUuid>

#include <chrono>
#include <memory>

class BackgroundFileWriter;

// Who used the camera or a microphone, and when: one session per application
// and sensor, newest first, at most `cap` of them, kept in one JSON file.
// Changes are written `saveDelay` after the first of them, all at once, and at
// the latest when the history goes: a burst of uses costs one write, and a
// crash loses at most the changes of the last moment.
//
// A file that cannot be read or decoded is never overwritten: it is kept
// aside as "<file>.damaged" (or a free variant of that name) and the history
// starts empty. If even that fails, this run keeps its history in memory.
class SensorHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int cap = 2000;
    static constexpr std::chrono::milliseconds saveDelay{1000};

    // An empty path keeps the history in memory only.
    explicit SensorHistory(QString filePath, QObject *parent = nullptr);
    ~SensorHistory() override;

    const QList<SensorSession> &sessions() const { return m_sessions; }
    QString filePath() const { return m_path; }
    // Where a damaged file was kept, if one was found at load.
    QString keptAsidePath() const { return m_keptAside; }

    // Records that exactly `users` use `sensor` at `now`: closes the sessions
    // of users no longer listed, opens one for each newly listed user, and
    // saves when that changed anything.
    void update(Sensor sensor, const QList<SensorUser> &users, const QDateTime &now);

    // Forgets every session, open ones too, and saves the empty list. A user
    // still seen afterwards starts a new session at the next update.
    void clear();

    // Writes what waits for its turn and blocks until the file holds the
    // latest sessions (or its write failed).
    void flush();

Q_SIGNALS:
    void sessionsChanged();
    // Once per run of failed saves: the file keeps its last good content,
    // the sessions stay in memory.
    void saveFailed(const QString &problem);

private:
    void load();
    void keepAside(const QString &reason);
    void save();
    void write();
    static QString openKey(Sensor sensor, const SensorUser &user);

    QString m_path;
    QString m_keptAside;
    QList<SensorSession> m_sessions;
    // Sessions open in this run, by "<sensor>:<pid>"; empty at every launch,
    // so sessions read from the file are never touched.
    QHash<QString, QUuid> m_open;
    std::unique_ptr<BackgroundFileWriter> m_writer; // none: memory only
    QTimer m_saveTurn;
};
