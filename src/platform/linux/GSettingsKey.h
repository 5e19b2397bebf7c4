#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

// One key of the desktop's settings store (GSettings, dconf underneath), for
// the boolean and text keys the tools switch. Opening never aborts on a
// schema or key that is not installed, as GSettings itself would: it gives
// nothing. Changes made anywhere are heard through the GLib main loop Qt runs.
class GSettingsKey {
public:
    ~GSettingsKey();
    GSettingsKey(const GSettingsKey &) = delete;
    GSettingsKey &operator=(const GSettingsKey &) = delete;

    // Nothing when the schema or the key is not installed.
    static std::unique_ptr<GSettingsKey> open(const QString &schema, const QString &key);

    // A bool or a QString; invalid for keys of other types.
    QVariant value() const;
    // False when the key cannot be written (locked down) or `value` has the wrong type.
    bool set(const QVariant &value);
    void onChanged(std::function<void()> changed);

private:
    struct Handle;
    explicit GSettingsKey(std::unique_ptr<Handle> handle);

    std::unique_ptr<Handle> m_handle;
};
