// Reading /proc: status values by exact key, stat fields past a name with
// parentheses and spaces, and this process's own usage.
#include "ProcFs.h"
#include "ProcSelfUsage.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestProcFs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statusValuesAreReadByExactKey()
    {
        const QByteArray text = "Name:\tx\nVmRSSX:\t1 kB\nVmRSS:\t  2048 kB\nvoluntary_ctxt_switches:\t7\n";
        QCOMPARE(ProcFs::statusValue(text, "VmRSS"), std::optional<quint64>(2048));
        QCOMPARE(ProcFs::statusValue(text, "voluntary_ctxt_switches"), std::optional<quint64>(7));
        QVERIFY(!ProcFs::statusValue(text, "Name")); // not a number
        QVERIFY(!ProcFs::statusValue(text, "Missing"));
    }

    void statFieldsSurviveParenthesesAndSpacesInTheName()
    {
        // A parser that splits at the first ')' would read this one wrong.
        QTemporaryDir dir;
        const QString odd = dir.filePath(QStringLiteral("a) (b c)"));
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), odd));
        QProcess child;
        child.start(odd, {QStringLiteral("30")});
        QVERIFY(child.waitForStarted());
        const QList<QByteArray> fields = ProcFs::statFields(pid_t(child.processId()));
        QVERIFY(QByteArrayLiteral("RSD").contains(fields.value(0, "?"))); // state
        QCOMPARE(fields.value(1).toInt(), int(getpid()));                 // parent
        child.kill();
        child.waitForFinished();
        QVERIFY(ProcFs::statFields(pid_t(child.processId())).isEmpty()); // gone: nothing, no crash
    }

    void ownUsageIsPlausible()
    {
        ProcSelfUsage usage;
        const ProcessUsageSample s = usage.sample();
        QVERIFY(s.cpuSeconds > 0 && s.footprintBytes > 0 && s.residentBytes > s.footprintBytes / 2);
        // A thread that sleeps and wakes adds to the wake-ups.
        for (int i = 0; i < 5; ++i)
            usleep(2000);
        QVERIFY(usage.sample().wakeups >= s.wakeups + 5);
    }
};

QTEST_GUILESS_MAIN(TestProcFs)
#include "test_proc_fs.moc"
