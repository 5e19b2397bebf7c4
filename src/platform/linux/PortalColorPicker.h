#pragma once

#include "ColorPicker.h"
#include "PortalRequest.h"

#include <QDBusConnection>
#include <QVariantMap>

// The desktop portal's colour picker (org.freedesktop.portal.Screenshot,
// PickColor), which shows the desktop's own loupe.
class PortalColorPicker : public ColorPicker {
    Q_OBJECT
public:
    explicit PortalColorPicker(QDBusConnection session, QObject *parent = nullptr);

    void probe() override;
    void pick() override;

private:
    void answered(uint response, const QVariantMap &results);

    QDBusConnection m_session;
    PortalRequest m_request;
};
