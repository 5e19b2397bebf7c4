#pragma once

#include <QObject>
#include <QString>

class DefaultsStore;

// What every setting has whatever its type: its key in the store and the
// signal it sends after a change. Signals cannot live in a template, so the
// typed Setting derives from this.
class SettingBase : public QObject {
    Q_OBJECT
public:
    SettingBase(DefaultsStore &store, const char *key);

    QString key() const { return m_key; }

Q_SIGNALS:
    // After the new value is stored; never for a value equal to the old one.
    void changed();

protected:
    // The stored value failed the setting's own check: logged once, the default used.
    void reportInvalid(const char *expected) const;

    DefaultsStore &m_store;
    QString m_key;
};
