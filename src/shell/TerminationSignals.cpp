#include "TerminationSignals.h"

#include "Log.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

int TerminationSignals::s_fds[2] = {-1, -1};

namespace {
constexpr int watchedSignals[] = {SIGTERM, SIGINT, SIGHUP};
}

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_fds) != 0) {
        qCWarning(lcShell).noquote().nospace()
            << "cannot watch for termination signals; a logout may leave microphones silenced";
        return;
    }
    m_notifier = new QSocketNotifier(s_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char signal = 0;
        if (::read(s_fds[1], &signal, 1) == 1)
            Q_EMIT received(signal);
    });
    struct sigaction action {};
    action.sa_handler = &TerminationSignals::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : watchedSignals)
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    for (int signal : watchedSignals)
        ::signal(signal, SIG_DFL);
    for (int &fd : s_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void TerminationSignals::handle(int signal)
{
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = ::write(s_fds[0], &byte, 1);
}
