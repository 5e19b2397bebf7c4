#pragma once

#include "AppTerminator.h"

#include <QList>

// Remembers whom it was asked to quit.
class SimAppTerminator : public AppTerminator {
public:
    void terminate(qint32 pid) override { terminated.append(pid); }
    QList<qint32> terminated;
};
