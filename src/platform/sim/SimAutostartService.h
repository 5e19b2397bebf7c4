#pragma once

#include "AutostartService.h"

// An autostart entry that lives in memory; `failWith` makes registration fail.
class SimAutostartService : public AutostartService {
public:
    bool isRegistered() const override { return m_registered; }
    QString setRegistered(bool on) override;

    QString failWith;
    int calls = 0;

private:
    bool m_registered = false;
};
