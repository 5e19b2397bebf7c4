#pragma once

#include "LoginItemService.h"

// A login item that lives in memory; `failWith` makes registration fail.
class SimLoginItemService : public LoginItemService {
public:
    bool isRegistered() const override { return m_registered; }
    QString setRegistered(bool on) override;

    QString failWith;
    int calls = 0;

private:
    bool m_registered = false;
};
