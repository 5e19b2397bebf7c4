#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

// The settings file: one JSON object, keys to typed values, rewritten
// atomically on every change. JSON rather than INI keeps the value types, so
// "holds another type" can be told apart from a real value.
//
// A file that cannot be read or parsed is never overwritten: it is moved aside
// (".damaged") before anything new is written, and if even that fails the
// store keeps changes in memory only for this run.
class DefaultsStore {
public:
    // An empty path gives a store that lives in memory only.
    explicit DefaultsStore(QString filePath = QString());

    QString filePath() const { return m_path; }
    bool isPersistent() const { return m_persistent; }
    // Where a damaged file was kept, if one was found at load.
    QString keptAsidePath() const { return m_keptAside; }

    bool contains(const QString &key) const { return m_values.contains(key); }
    QJsonValue value(const QString &key) const { return m_values.value(key); }

    // Typed reads: an absent key or one holding another type answers the
    // fallback; a wrong type is logged once per key.
    bool boolValue(const QString &key, bool fallback = false) const;
    QString stringValue(const QString &key, const QString &fallback = QString()) const;
    QStringList stringListValue(const QString &key) const;

    void setValue(const QString &key, const QJsonValue &value);
    void setStringList(const QString &key, QStringList values); // sorted ascending, as stored
    void remove(const QString &key);

    // Told once per run of failed saves, with why; told at once when saving
    // is already failing. The file on disk keeps its last good content and the
    // values stay in memory.
    void setSaveFailureHandler(std::function<void(const QString &problem)> handler);

private:
    void load();
    bool keepAside(const QString &reason);
    void save();
    void reportWrongType(const QString &key, const char *expected) const;

    QString m_path;
    QJsonObject m_values;
    bool m_persistent = false;
    QString m_saveProblem; // empty while saves succeed
    std::function<void(const QString &)> m_onSaveFailed;
    QString m_keptAside;
    mutable QSet<QString> m_wrongTypeReported;
};
