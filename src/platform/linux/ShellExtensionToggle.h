#pragma once

#include "DesktopToggle.h"

#include <QDBusConnection>
#include <QVariantMap>

// A GNOME Shell extension switched off and on through the shell's extension
// service (org.gnome.Shell.Extensions): on means the extension is not
// running. Desktop icons on GNOME are such an extension (Ubuntu's "Desktop
// Icons NG"); without it GNOME draws none, which probe() reports.
class ShellExtensionToggle : public DesktopToggle {
    Q_OBJECT
public:
    ShellExtensionToggle(QDBusConnection session, QString uuid, QObject *parent = nullptr);

    static QString desktopIconsUuid() { return QStringLiteral("ding@rastersoft.com"); }

    void probe() override;
    void setOn(bool on) override;

private Q_SLOTS:
    void onStateChanged(const QString &uuid, const QVariantMap &info);

private:
    // Answers with what the shell said; false when it did not answer.
    void read(std::function<void(bool)> done);
    void take(const QVariantMap &info);

    QDBusConnection m_session;
    QString m_uuid;
    bool m_listening = false;
};
