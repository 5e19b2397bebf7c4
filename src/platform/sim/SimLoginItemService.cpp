#include "SimLoginItemService.h"

QString SimLoginItemService::setRegistered(bool on)
{
    ++calls;
    if (!failWith.isEmpty())
        return failWith;
    m_registered = on;
    return {};
}
