#pragma once

#include "DesktopToggle.h"

#include <QDBusConnection>
#include <QDBusVariant>

#include <memory>
#include <optional>

// Dark mode as the desktop portal reports it (org.freedesktop.appearance
// color-scheme, followed through SettingChanged), switched through the
// desktop's own setting, `writer`. Where no portal answers, the writer's
// reading counts.
class PortalDarkMode : public DesktopToggle {
    Q_OBJECT
public:
    PortalDarkMode(QDBusConnection session, std::unique_ptr<DesktopToggle> writer, QObject *parent = nullptr);

    void probe() override;
    void setOn(bool on) override;

private Q_SLOTS:
    void onSettingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    void take(const QVariant &value);
    void update();

    QDBusConnection m_session;
    std::unique_ptr<DesktopToggle> m_writer;
    std::optional<bool> m_portalDark;
    bool m_listening = false;
};
