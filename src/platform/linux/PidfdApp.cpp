#include "PidfdApp.h"

#include "Log.h"
#include "ProcFs.h"
#include "ProcessTree.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

PidfdApp::PidfdApp(const QList<qint32> &pids, const QList<quint64> &startTimes, QString procRoot)
    : m_procRoot(std::move(procRoot))
{
    for (qsizetype i = 0; i < pids.size() && i < startTimes.size(); ++i) {
        const int fd = open(pids.at(i), startTimes.at(i), m_procRoot);
        if (fd >= 0)
            m_held.push_back({pids.at(i), fd});
    }
}

PidfdApp::~PidfdApp()
{
    m_watch.reset();
    for (const Held &held : m_held)
        ::close(held.fd);
}

int PidfdApp::open(qint32 pid, std::optional<quint64> startTime, const QString &procRoot)
{
    if (pid <= 1)
        return -1;
    const int fd = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
    if (fd < 0)
        return -1;
    // The pidfd names whoever has the pid now: if that is not the process
    // seen before, the one meant has gone.
    if (startTime && ProcFs::startTime(pid, procRoot) != startTime) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool PidfdApp::exited(int pidfd)
{
    // Readable once the process has ended, zombie or reaped.
    pollfd poll{pidfd, POLLIN, 0};
    return ::poll(&poll, 1, 0) != 0;
}

bool PidfdApp::signal(int pidfd, int signal)
{
    if (::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0) == 0)
        return true;
    if (errno != ESRCH)
        qCWarning(lcProcess).noquote() << "could not signal a process:" << std::strerror(errno);
    return false;
}

QList<qint32> PidfdApp::pids() const
{
    QList<qint32> pids;
    for (const Held &held : m_held)
        pids.append(held.pid);
    return pids;
}

bool PidfdApp::running() const
{
    return std::any_of(m_held.begin(), m_held.end(), [](const Held &held) { return !exited(held.fd); });
}

bool PidfdApp::terminate()
{
    bool asked = false;
    for (const Held &held : m_held)
        asked = (!exited(held.fd) && signal(held.fd, SIGTERM)) || asked;
    return asked;
}

bool PidfdApp::forceQuit()
{
    // The children are found and held before anything dies: once their
    // parent is gone they belong to someone else.
    const ProcessTree tree(m_procRoot);
    std::vector<int> children;
    for (const Held &held : m_held) {
        if (exited(held.fd))
            continue;
        for (const qint32 child : tree.descendants(held.pid)) {
            const int fd = open(child, std::nullopt, m_procRoot);
            if (fd < 0)
                continue;
            // Still below the one it was found under, so not a reused pid.
            if (ProcFs::parent(child, m_procRoot) == tree.parent(child))
                children.push_back(fd);
            else
                ::close(fd);
        }
    }
    bool killed = false;
    for (const Held &held : m_held)
        killed = (!exited(held.fd) && signal(held.fd, SIGKILL)) || killed;
    for (const int fd : children) {
        signal(fd, SIGKILL);
        ::close(fd);
    }
    return killed;
}

void PidfdApp::whenGone(std::function<void()> gone)
{
    m_watch = std::make_unique<QObject>();
    auto shared = std::make_shared<std::function<void()>>(std::move(gone));
    const auto check = [this, shared] {
        if (*shared && !running()) {
            const auto call = std::exchange(*shared, {});
            call();
        }
    };
    for (const Held &held : m_held) {
        auto *notifier = new QSocketNotifier(held.fd, QSocketNotifier::Read, m_watch.get());
        QObject::connect(notifier, &QSocketNotifier::activated, m_watch.get(), [notifier, check] {
            notifier->setEnabled(false);
            check();
        });
    }
    QTimer::singleShot(0, m_watch.get(), check);
}
