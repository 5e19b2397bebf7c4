#pragma once

#include <QObject>

// Something the desktop may or may not offer: a screen locker, the disk
// service, a setting. probe() looks again without blocking (a slow service
// answers later); changed() tells what it found. Until the first answer the
// facility counts as there, so nothing is greyed out while the desktop thinks.
class DesktopFacility : public QObject {
    Q_OBJECT
public:
    // What is missing when the facility cannot be used here.
    enum class Missing {
        Nothing,
        Service,        // the service that does it is not running
        DesktopSupport, // this desktop offers no way to do it from outside
        DesktopIcons,   // the desktop draws no icons to hide
        DisplayPower,   // the display has no power control
    };
    Q_ENUM(Missing)

    using QObject::QObject;

    virtual void probe() = 0;
    Missing missing() const { return m_missing; }
    bool isAvailable() const { return m_missing == Missing::Nothing; }

Q_SIGNALS:
    void changed();

protected:
    void setMissing(Missing missing)
    {
        if (m_missing == missing)
            return;
        m_missing = missing;
        Q_EMIT changed();
    }

private:
    Missing m_missing = Missing::Nothing;
};
