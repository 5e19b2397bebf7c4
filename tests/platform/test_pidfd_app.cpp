// An application held by pidfds: a pid taken over by another process after
// listing is never signalled, and a zombie counts as gone.
#include "PidfdApp.h"
#include "ProcFs.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

namespace {

pid_t sleeper()
{
    const pid_t pid = fork();
    if (pid == 0) {
        pause();
        _exit(0);
    }
    return pid;
}

// A new process given `pid`, if the kernel can be asked for it (as root);
// -1 otherwise.
pid_t sleeperWithPid(pid_t wanted)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        QFile last(QStringLiteral("/proc/sys/kernel/ns_last_pid"));
        if (!last.open(QIODevice::WriteOnly) || last.write(QByteArray::number(wanted - 1)) < 0)
            return -1;
        last.close();
        const pid_t pid = sleeper();
        if (pid == wanted)
            return pid;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return -1;
}

} // namespace

class TestPidfdApp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reusedPidIsLeftAlone()
    {
        const pid_t first = sleeper();
        const quint64 started = ProcFs::startTime(first).value();
        PidfdApp app({first}, {started}, QStringLiteral("/proc"));
        QVERIFY(app.running());
        kill(first, SIGKILL);
        waitpid(first, nullptr, 0);
        const pid_t second = sleeperWithPid(first);
        if (second < 0)
            QSKIP("the kernel would not hand out a chosen pid (needs root)");
        QVERIFY(!app.running());
        QVERIFY(!app.terminate());
        QVERIFY(!app.forceQuit());
        QCOMPARE(waitpid(second, nullptr, WNOHANG), 0); // still running
        // Listing it again with the first process's start time holds nothing.
        QVERIFY(PidfdApp({second}, {started}, QStringLiteral("/proc")).isEmpty());
        kill(second, SIGKILL);
        waitpid(second, nullptr, 0);
    }

    void zombieIsGone()
    {
        const pid_t pid = fork();
        if (pid == 0)
            _exit(0);
        QTRY_VERIFY(ProcFs::statFields(pid).value(0) == "Z");
        PidfdApp app({pid}, {ProcFs::startTime(pid).value()}, QStringLiteral("/proc"));
        QVERIFY(!app.isEmpty());
        QVERIFY(!app.running());
        bool called = false;
        app.whenGone([&called] { called = true; });
        QTRY_VERIFY(called);
        waitpid(pid, nullptr, 0);
    }

    void exitIsHeard()
    {
        const pid_t pid = sleeper();
        PidfdApp app({pid}, {ProcFs::startTime(pid).value()}, QStringLiteral("/proc"));
        int calls = 0;
        app.whenGone([&calls] { ++calls; });
        QVERIFY(app.terminate());
        QTRY_COMPARE(calls, 1);
        waitpid(pid, nullptr, 0);
    }
};

QTEST_GUILESS_MAIN(TestPidfdApp)
#include "test_pidfd_app.moc"
