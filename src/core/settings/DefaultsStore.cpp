#include "DefaultsStore.h"

#include "CheckedFile.h"
#include "DamagedFile.h"
#include "JsonFile.h"
#include "Log.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

DefaultsStore::DefaultsStore(QString filePath)
    : m_path(std::move(filePath))
{
    if (!m_path.isEmpty())
        load();
}

void DefaultsStore::load()
{
    m_persistent = true;
    const JsonFile file = JsonFile::read(m_path);
    if (!file.exists)
        return;
    if (!file.problem.isEmpty() || !file.document.isObject()) {
        keepAside(file.problem.isEmpty() ? QStringLiteral("does not hold a settings object") : file.problem);
        return;
    }
    m_values = file.document.object();
}

bool DefaultsStore::keepAside(const QString &reason)
{
    const QString aside = DamagedFile::keepAside(m_path);
    if (!aside.isEmpty()) {
        m_keptAside = aside;
        qCWarning(lcSettings).noquote().nospace()
            << "settings file " << m_path << ' ' << reason << "; kept it as " << aside
            << " and started from the defaults";
        return true;
    }
    m_persistent = false;
    qCWarning(lcSettings).noquote().nospace()
        << "settings file " << m_path << ' ' << reason
        << " and could not be moved aside; using the defaults and saving nothing this session";
    return false;
}

bool DefaultsStore::boolValue(const QString &key, bool fallback) const
{
    const QJsonValue v = m_values.value(key);
    if (v.isBool())
        return v.toBool();
    if (!v.isUndefined())
        reportWrongType(key, "true or false");
    return fallback;
}

QString DefaultsStore::stringValue(const QString &key, const QString &fallback) const
{
    const QJsonValue v = m_values.value(key);
    if (v.isString())
        return v.toString();
    if (!v.isUndefined())
        reportWrongType(key, "a text");
    return fallback;
}

QStringList DefaultsStore::stringListValue(const QString &key) const
{
    const QJsonValue v = m_values.value(key);
    if (v.isUndefined())
        return {};
    const QJsonArray array = v.toArray();
    QStringList out;
    out.reserve(array.size());
    for (const QJsonValue &item : array) {
        if (!item.isString()) {
            reportWrongType(key, "a list of texts");
            return {};
        }
        out.append(item.toString());
    }
    if (!v.isArray())
        reportWrongType(key, "a list of texts");
    return out;
}

void DefaultsStore::setValue(const QString &key, const QJsonValue &value)
{
    m_values.insert(key, value);
    m_wrongTypeReported.remove(key);
    save();
}

void DefaultsStore::setStringList(const QString &key, QStringList values)
{
    std::sort(values.begin(), values.end());
    setValue(key, QJsonArray::fromStringList(values));
}

void DefaultsStore::remove(const QString &key)
{
    if (!m_values.contains(key))
        return;
    m_values.remove(key);
    save();
}

void DefaultsStore::save()
{
    if (!m_persistent)
        return;
    const QString problem =
        CheckedFile::write(m_path, QJsonDocument(m_values).toJson(QJsonDocument::Indented));
    if (problem.isEmpty()) {
        m_saveProblem.clear();
        return;
    }
    if (!m_saveProblem.isEmpty())
        return; // one line per run of failures, not one per change
    m_saveProblem = problem;
    qCWarning(lcSettings).noquote().nospace() << "cannot save settings to " << m_path << " (" << problem
                                              << "); kept the old file, changes last until Tarnwick quits";
    if (m_onSaveFailed)
        m_onSaveFailed(problem);
}

void DefaultsStore::setSaveFailureHandler(std::function<void(const QString &problem)> handler)
{
    m_onSaveFailed = std::move(handler);
    if (m_onSaveFailed && !m_saveProblem.isEmpty())
        m_onSaveFailed(m_saveProblem);
}

void DefaultsStore::reportWrongType(const QString &key, const char *expected) const
{
    if (m_wrongTypeReported.contains(key))
        return;
    m_wrongTypeReported.insert(key);
    qCWarning(lcSettings).noquote().nospace()
        << "setting \"" << key << "\" should be " << expected << "; using the default";
}
