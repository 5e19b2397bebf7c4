// An application held by pidfds: ended and heard, a pid taken over by another
// process after listing is never signalled, and a zombie counts as gone.
#include "PidfdApp.h"
#include "ProcFs.h"

#include <QFile>
#include <QTest>

#include <QProcess>

#include <memory>

#include <ctime>
#include <unistd.h>

namespace {

// A process that runs until it is killed, started through QProcess, which
// reaps it, so no fork happens in this (threaded) test.
std::unique_ptr<QProcess> sleeper()
{
    auto process = std::make_unique<QProcess>();
    process->start("sleep", {"3600"});
    return process->waitForStarted() ? std::move(process) : nullptr;
}

// A new process given `pid`, if the kernel can be asked for it (as root).
std::unique_ptr<QProcess> sleeperWithPid(qint64 wanted)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        QFile last("/proc/sys/kernel/ns_last_pid");
        if (!last.open(QIODevice::WriteOnly) || last.write(QByteArray::number(wanted - 1)) < 0)
            return nullptr;
        last.close();
        std::unique_ptr<QProcess> process = sleeper();
        if (process && process->processId() == wanted)
            return process;
    }
    return nullptr;
}

quint64 ticksSinceBoot()
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const auto perSecond = quint64(sysconf(_SC_CLK_TCK));
    return quint64(now.tv_sec) * perSecond + quint64(now.tv_nsec) * perSecond / 1000000000;
}

} // namespace

class TestPidfdApp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Ended through its pidfd and heard once; its pid, taken over by another process, is never signalled.
    void endedAndItsPidReusedLater()
    {
        std::unique_ptr<QProcess> first = sleeper();
        QVERIFY(first);
        const qint32 pid = qint32(first->processId());
        const quint64 started = ProcFs::startTime(pid).value();
        PidfdApp app({pid}, {started}, "/proc");
        QVERIFY(app.running());
        // Start times count clock ticks: the next process must start in a later one.
        QTRY_VERIFY(ticksSinceBoot() > started + 1);
        int calls = 0;
        app.whenGone([&calls] { ++calls; });
        QVERIFY(app.terminate());
        QTRY_COMPARE(calls, 1);
        QTRY_COMPARE(first->state(), QProcess::NotRunning); // reaped: its pid is free
        const std::unique_ptr<QProcess> second = sleeperWithPid(pid);
        if (!second)
            QSKIP("the kernel would not hand out a chosen pid (needs root)");
        QVERIFY(!app.running());
        QVERIFY(!app.terminate());
        QVERIFY(!app.forceQuit());
        QVERIFY(!second->waitForFinished(200)); // still running
        // Listing it again with the first process's start time holds nothing.
        QVERIFY(PidfdApp({pid}, {started}, "/proc").isEmpty());
    }

    void zombieIsGone()
    {
        // A child that exits at once under a parent that never reaps it (a shell might, before its exec).
        QProcess parent;
        parent.start("python3", {"-c", "import os, time\npid = os.fork()\nif pid == 0:\n    os._exit(0)\n"
                                       "print(pid, flush=True)\ntime.sleep(3600)"});
        QVERIFY(parent.waitForReadyRead());
        const qint32 zombie = parent.readLine().trimmed().toInt();
        QTRY_VERIFY(ProcFs::statFields(zombie).value(0) == "Z");
        PidfdApp app({zombie}, {ProcFs::startTime(zombie).value()}, "/proc");
        QVERIFY(!app.isEmpty());
        QVERIFY(!app.running());
        bool called = false;
        app.whenGone([&called] { called = true; });
        QTRY_VERIFY(called);
    }
};

QTEST_GUILESS_MAIN(TestPidfdApp)
#include "test_pidfd_app.moc"
