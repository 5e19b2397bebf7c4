// The camera source against real processes opening stand-in device nodes in
// a test device folder. The nodes carry the numbers of /dev/full, which any
// process can open; only opens of the test folder's nodes may count.
#include "ChildProcess.h"
#include "RequiredService.h"
#include "V4l2CameraDeviceSource.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// The source's own defaults, as users get them.
constexpr auto confirmDelay = 300ms;
constexpr int delayMs = int(confirmDelay.count());
constexpr auto scanInterval = 100ms;

qint64 monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// "open <ns after the opens> <ns before them>": the moment, in milliseconds,
// before which the holder cannot have held anything.
qint64 openedAfterMs(const QByteArray &line)
{
    return line.split(' ').value(2).toLongLong() / 1000000;
}

bool makeNode(const QString &path)
{
    return mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;
}

// Returns once the files are open.
std::unique_ptr<ChildProcess> holder(const QStringList &arguments, QByteArray *openLine = nullptr)
{
    auto child = std::make_unique<ChildProcess>(QStringLiteral(DEVICE_HOLDER), arguments);
    const QByteArray line = child->nextLine();
    if (openLine)
        *openLine = line;
    return child;
}

} // namespace

class TestV4l2CameraDeviceSource : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<V4l2CameraDeviceSource> m_source;
    QString node(const char *name) const { return m_root->filePath(QLatin1String(name)); }

    void startSource(bool withNodes = true)
    {
        m_source = std::make_unique<V4l2CameraDeviceSource>(
            CameraNodeScan(m_root->path(), CameraNodeScan::NodeCheck::AnyCharacterDevice));
        m_source->start();
        // The nodes are found on a worker.
        QTRY_VERIFY(m_source->scanCount() > 0 && m_source->nodes().isEmpty() != withNodes);
    }

private Q_SLOTS:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        REQUIRE_SERVICE(makeNode(node("video0")), "mknod (needs root)");
    }
    void cleanup() { m_source.reset(); }

    // A hold is timed from its own open, also when a look over the processes
    // was already under way when it began (a program probing the node keeps
    // them coming), and probing costs a few looks a second, not one per open.
    void aHoldLightsNoSoonerThanTheDelayAfterItsOpen_data()
    {
        QTest::addColumn<bool>("probed");
        QTest::newRow("alone") << false;
        QTest::newRow("while another program probes every 10 ms") << true;
    }
    void aHoldLightsNoSoonerThanTheDelayAfterItsOpen()
    {
        QFETCH(bool, probed);
        startSource();
        qint64 litAtMs = -1; // when the source said a camera runs, on the holders' clock
        QObject context;
        connect(m_source.get(), &CameraDeviceSource::runningChanged, &context, [&] {
            if (m_source->isAnyCameraRunning())
                litAtMs = monotonicMs();
        });
        QSignalSpy changed(m_source.get(), &CameraDeviceSource::runningChanged);
        std::unique_ptr<ChildProcess> prober;
        if (probed)
            prober = holder({"--every", "10", node("video0")});
        const int scansBefore = m_source->scanCount();
        const qint64 since = monotonicMs();

        QByteArray opened;
        auto app = holder({node("video0")}, &opened);
        QVERIFY(changed.wait());
        // Times are kept in whole milliseconds.
        QVERIFY2(litAtMs - openedAfterMs(opened) >= delayMs - 1,
                 qPrintable(QString::number(litAtMs - openedAfterMs(opened))));
        const qint64 elapsed = monotonicMs() - since;
        QVERIFY2(
            m_source->scanCount() - scansBefore <= elapsed / scanInterval.count() + 2,
            qPrintable(
                QStringLiteral("%1 looks in %2 ms").arg(m_source->scanCount() - scansBefore).arg(elapsed)));

        // A second user changes nothing, also when the first leaves after the second has held the node long
        // enough; the last one leaving clears it without waiting for any delay.
        auto second = holder({node("video0")});
        QVERIFY(!changed.wait(delayMs * 2));
        app->writeLine({});
        QCOMPARE(app->nextLine(), QByteArray("closed"));
        QVERIFY(!changed.wait(delayMs));
        second->kill();
        QVERIFY(changed.wait());
        QVERIFY(!m_source->isAnyCameraRunning());
        QCOMPARE(changed.size(), 2);
    }

    void probesAndStrangersNeverLight()
    {
        QVERIFY(makeNode(node("other0"))); // not a camera's name
        startSource();
        QSignalSpy changed(m_source.get(), &CameraDeviceSource::runningChanged);

        // Others holding the same device numbers elsewhere, and this process itself, are not camera users.
        auto stranger = holder({QStringLiteral("/dev/full"), node("other0")});
        const int own = open(QFile::encodeName(node("video0")).constData(), O_RDONLY);
        QVERIFY(own >= 0);
        // Enumerating programs open the node for a moment, again and again.
        for (int i = 0; i < 5; ++i)
            holder({"--probe", "50", node("video0")})->finish();
        QVERIFY(!changed.wait(delayMs * 3));
        close(own);
    }

    void camerasPluggedInLaterAreWatched()
    {
        QVERIFY(QFile::remove(node("video0")));
        startSource(false);
        QSignalSpy changed(m_source.get(), &CameraDeviceSource::runningChanged);

        // Not every name is a node: a plain file called like one is not.
        QFile plain(node("video9"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        QVERIFY(makeNode(node("video2")));
        QTRY_COMPARE(m_source->nodes().size(), 1);
        auto app = holder({node("video2")});
        QVERIFY(changed.wait());
        // Unplugged while in use: nothing is running any more.
        QVERIFY(QFile::remove(node("video2")));
        QVERIFY(changed.wait());
        QVERIFY(!m_source->isAnyCameraRunning());
        // The holder's link no longer names the node, which may be noticed before the folder is read again.
        QTRY_VERIFY(m_source->nodes().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestV4l2CameraDeviceSource)
#include "test_v4l2_camera_device_source.moc"
