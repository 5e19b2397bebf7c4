#pragma once

#include "DesktopToggle.h"

#include <QDBusConnection>
#include <QDBusVariant>
#include <QVariant>

// An XFCE setting kept by xfconfd (org.xfce.Xfconf on the session bus), on
// when the property holds `on`. Switching off gives back the value it held
// before it was switched on (XFCE's desktop shows files or minimised windows,
// and hiding must not choose between them). Changes made elsewhere are
// followed through the daemon's PropertyChanged signal.
class XfconfToggle : public DesktopToggle {
    Q_OBJECT
public:
    XfconfToggle(QDBusConnection session, QString channel, QString property, QVariant on, QVariant off,
                 QObject *parent = nullptr);

    // XFCE's desktop icons: style 0 draws none, 2 the files.
    static std::unique_ptr<XfconfToggle> desktopIconsHidden(QDBusConnection session);
    static std::unique_ptr<XfconfToggle> thunarHiddenFiles(QDBusConnection session);

    void probe() override;
    void setOn(bool on) override;

private Q_SLOTS:
    void onPropertyChanged(const QString &channel, const QString &property, const QDBusVariant &value);

private:
    void read(std::function<void(bool)> done);
    void take(const QVariant &value);

    QDBusConnection m_session;
    QString m_channel;
    QString m_property;
    QVariant m_on;
    QVariant m_off;
    bool m_listening = false;
};
