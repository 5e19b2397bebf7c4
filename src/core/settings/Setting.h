#pragma once

#include "DefaultsStore.h"
#include "SettingBase.h"

#include <QStringList>

#include <algorithm>
#include <initializer_list>

// How a value type is read from and written to the store. A wrong type reads
// as the fallback (the store logs it).
template <typename T> struct SettingCodec;

template <> struct SettingCodec<bool> {
    static bool read(const DefaultsStore &store, const QString &key, bool fallback)
    {
        return store.boolValue(key, fallback);
    }
    static void write(DefaultsStore &store, const QString &key, bool value) { store.setValue(key, value); }
    static bool normal(bool value) { return value; }
};

template <> struct SettingCodec<QString> {
    static QString read(const DefaultsStore &store, const QString &key, const QString &fallback)
    {
        return store.stringValue(key, fallback);
    }
    static void write(DefaultsStore &store, const QString &key, const QString &value)
    {
        store.setValue(key, value);
    }
    static QString normal(const QString &value) { return value; }
};

// A set of texts: kept and stored sorted, without repeats, so two lists
// with the same members are the same value.
template <> struct SettingCodec<QStringList> {
    static QStringList read(const DefaultsStore &store, const QString &key, const QStringList &)
    {
        return normal(store.stringListValue(key));
    }
    static void write(DefaultsStore &store, const QString &key, const QStringList &value)
    {
        store.setStringList(key, value);
    }
    static QStringList normal(QStringList value)
    {
        std::sort(value.begin(), value.end());
        value.erase(std::unique(value.begin(), value.end()), value.end());
        return value;
    }
};

// One user setting: read from the store once, written on every change, and
// announced after it. Compares before it stores or emits. A setting with a
// list of choices reads anything else as its default and refuses it.
template <typename T> class Setting : public SettingBase {
    using Codec = SettingCodec<T>;

public:
    Setting(DefaultsStore &store, const char *key, T fallback, std::initializer_list<T> choices = {})
        : SettingBase(store, key)
        , m_choices(choices)
    {
        m_value = Codec::read(store, m_key, fallback);
        if (!allowed(m_value)) {
            reportInvalid("one of the known choices");
            m_value = fallback;
        }
    }

    const T &value() const { return m_value; }

    // Answers whether it changed.
    bool set(const T &value)
    {
        const T normal = Codec::normal(value);
        if (normal == m_value || !allowed(normal))
            return false;
        m_value = normal;
        Codec::write(m_store, m_key, normal);
        Q_EMIT changed();
        return true;
    }

private:
    bool allowed(const T &value) const { return m_choices.isEmpty() || m_choices.contains(value); }

    QList<T> m_choices;
    T m_value;
};
