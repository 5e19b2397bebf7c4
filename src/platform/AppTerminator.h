#pragma once

#include <QtGlobal>

// Asks a running application to quit, politely: it may save its work or refuse.
class AppTerminator {
public:
    virtual ~AppTerminator() = default;
    virtual void terminate(qint32 pid) = 0;
};
