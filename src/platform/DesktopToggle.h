#pragma once

#include "DesktopFacility.h"

// A facility with an on/off state: a desktop setting, or a hold on the
// system (staying awake). The state is what the desktop reports, read by
// probe() and followed while the desktop announces changes.
class DesktopToggle : public DesktopFacility {
    Q_OBJECT
public:
    using DesktopFacility::DesktopFacility;

    bool isOn() const { return m_on; }
    // Answers with switched(), after the new state has been published.
    virtual void setOn(bool on) = 0;

Q_SIGNALS:
    // A setOn() finished; false when the desktop refused or did not answer.
    void switched(bool ok);

protected:
    void setState(bool on)
    {
        if (m_on == on)
            return;
        m_on = on;
        Q_EMIT changed();
    }

private:
    bool m_on = false;
};
