#pragma once

#include "DesktopToggle.h"
#include "GSettingsKey.h"

#include <QList>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

// An on/off setting kept in the desktop's settings store, in one or several
// keys (GTK 3 and GTK 4 file choosers and file managers each keep their own).
// The first installed key tells the state; a switch writes every installed
// one. Changes made elsewhere are followed.
class GSettingsToggle : public DesktopToggle {
    Q_OBJECT
public:
    struct Key {
        QString schema;
        QString key;
        QVariant on;
        QVariant off;
    };

    // `whenNone` is what is missing when no key is installed.
    GSettingsToggle(QList<Key> keys, Missing whenNone, QObject *parent = nullptr);
    ~GSettingsToggle() override;

    // Every setting of `desktops` ($XDG_CURRENT_DESKTOP, split at ':').
    static std::unique_ptr<GSettingsToggle> hiddenFiles();
    static std::unique_ptr<GSettingsToggle> darkMode(const QStringList &desktops);
    static std::unique_ptr<GSettingsToggle> desktopIconsHidden(const QStringList &desktops);

    // Opens the keys again, so a schema installed since counts.
    void probe() override;
    void setOn(bool on) override;

private:
    void read();

    QList<Key> m_keys;
    Missing m_whenNone;
    std::vector<std::pair<Key, std::unique_ptr<GSettingsKey>>> m_open;
};
