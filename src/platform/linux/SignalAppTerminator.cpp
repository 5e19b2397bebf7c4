#include "SignalAppTerminator.h"

#include "Log.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <unistd.h>

void SignalAppTerminator::terminate(qint32 pid)
{
    if (pid <= 1 || pid == qint32(::getpid()))
        return;
    if (::kill(pid, SIGTERM) != 0 && errno != ESRCH)
        qCWarning(lcProcess).noquote().nospace()
            << "could not ask process " << pid << " to quit: " << std::strerror(errno);
}
