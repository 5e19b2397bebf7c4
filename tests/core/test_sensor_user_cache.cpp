#include "Samples.h"
#include "SensorUserCache.h"
#include "SimProcessDirectory.h"

#include <QTest>

namespace {

// Counts the lookups that name a process (the costly part on a real system).
class CountingDirectory : public SimProcessDirectory {
public:
    std::optional<RunningApp> runningApp(qint32 pid) const override
    {
        ++lookups;
        return SimProcessDirectory::runningApp(pid);
    }
    std::optional<RunningApp> runningAppById(const QString &appId) const override
    {
        ++lookups;
        return SimProcessDirectory::runningAppById(appId);
    }
    mutable int lookups = 0;
};

const RunningApp zoomApp{zoom.pid, zoom.name, zoom.appId, false};
const RunningApp recorder{800, QStringLiteral("Recorder"), QStringLiteral("org.gnome.Recorder"), false};

// A stream from a sandbox (in-sandbox pid 3).
AudioCapture sandboxed(quint32 id)
{
    return AudioCapture{{3, 0, recorder.appId, {}, {}}, id};
}

} // namespace

class TestSensorUserCache : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Streams start and stop with new ids while the processes behind them
    // stay; a process is named once, until another one has its pid (or the
    // sandboxed app behind an id goes).
    void aProcessIsNamedOnceUntilItIsReplaced()
    {
        CountingDirectory processes;
        processes.addApp(zoomApp);
        processes.addApp(recorder);
        SensorUserCache cache(processes);
        QCOMPARE(cache.resolve(seenCapture(1, zoom.pid)).name, zoom.name);
        QCOMPARE(cache.resolve(sandboxed(1)).pid, recorder.pid);
        const int lookups = processes.lookups;
        for (quint32 id = 2; id < 20; ++id) {
            QCOMPARE(cache.resolve(seenCapture(id, zoom.pid)).name, zoom.name);
            QCOMPARE(cache.resolve(sandboxed(id)).pid, recorder.pid);
        }
        QCOMPARE(processes.lookups, lookups);

        processes.removeProcess(zoom.pid);
        processes.addApp({zoom.pid, QStringLiteral("Chat"), QStringLiteral("org.chat.Chat"), false});
        processes.removeProcess(recorder.pid);
        QCOMPARE(cache.resolve(seenCapture(30, zoom.pid)).name, QStringLiteral("Chat"));
        // Its id is still a truthful name; the in-sandbox pid never is.
        QCOMPARE(cache.resolve(sandboxed(30)), (SensorUser{0, recorder.appId, recorder.appId}));

        processes.removeProcess(zoom.pid);
        cache.forgetExited();
        QCOMPARE(cache.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSensorUserCache)
#include "test_sensor_user_cache.moc"
