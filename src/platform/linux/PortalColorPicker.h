#pragma once

#include "ColorPicker.h"

#include <QDBusConnection>
#include <QVariantMap>

// The desktop portal's colour picker (org.freedesktop.portal.Screenshot,
// PickColor), which shows the desktop's own loupe. The answer comes as the
// Response signal of a request object whose path is known before asking.
class PortalColorPicker : public ColorPicker {
    Q_OBJECT
public:
    explicit PortalColorPicker(QDBusConnection session, QObject *parent = nullptr);

    void probe() override;
    void pick() override;

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap &results);

private:
    void finish(bool chosen, double red = 0, double green = 0, double blue = 0);

    QDBusConnection m_session;
    QString m_requestPath;
    int m_requests = 0;
};
