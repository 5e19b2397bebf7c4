#include "SimAutostartService.h"

QString SimAutostartService::setRegistered(bool on)
{
    ++calls;
    if (!failWith.isEmpty())
        return failWith;
    m_registered = on;
    return {};
}
