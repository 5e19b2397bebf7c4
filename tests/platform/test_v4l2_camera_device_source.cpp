// The camera source against real processes opening stand-in device nodes in
// a test device folder. The nodes carry the numbers of /dev/full, which any
// process can open; only opens of the test folder's nodes may count.

#include "ChildProcess.h"
#include "RequiredService.h"
#include "V4l2CameraDeviceSource.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr auto confirmDelay = 300ms;

bool makeNode(const QString &path)
{
    return mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0;
}

std::unique_ptr<ChildProcess> holder(const QStringList &arguments)
{
    return std::make_unique<ChildProcess>(QStringLiteral(DEVICE_HOLDER), arguments);
}

} // namespace

class TestV4l2CameraDeviceSource : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_root;
    QString node(const QString &name) const { return m_root->filePath(name); }

    std::unique_ptr<V4l2CameraDeviceSource> startedSource()
    {
        auto source = std::make_unique<V4l2CameraDeviceSource>(
            CameraNodeScan(m_root->path(), CameraNodeScan::NodeCheck::AnyCharacterDevice), confirmDelay);
        source->start();
        return source;
    }

private Q_SLOTS:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        REQUIRE_SERVICE(makeNode(node(QStringLiteral("video0"))), QStringLiteral("mknod (needs root)"));
    }

    void aHoldLightsAfterTheConfirmDelayAndClearsAtOnce()
    {
        auto source = startedSource();
        QCOMPARE(source->nodes().size(), 1);
        QVERIFY(!source->isAnyCameraRunning());
        QSignalSpy changed(source.get(), &CameraDeviceSource::runningChanged);

        auto app = holder({node(QStringLiteral("video0"))});
        QVERIFY(app->nextLine().startsWith("open"));
        QElapsedTimer sinceOpen;
        sinceOpen.start();
        QVERIFY(changed.wait());
        QVERIFY(source->isAnyCameraRunning());
        // Never before the delay (measured from a little after the open).
        QVERIFY2(sinceOpen.elapsed() >= confirmDelay.count() - 20, qPrintable(QString::number(sinceOpen.elapsed())));

        app->writeLine({});
        QCOMPARE(app->nextLine(), QByteArray("closed"));
        QElapsedTimer sinceClose;
        sinceClose.start();
        QVERIFY(changed.wait());
        QVERIFY(!source->isAnyCameraRunning());
        QVERIFY2(sinceClose.elapsed() < confirmDelay.count(), qPrintable(QString::number(sinceClose.elapsed())));
        QCOMPARE(changed.size(), 2);
    }

    void probesAndStrangersNeverLight()
    {
        QVERIFY(makeNode(node(QStringLiteral("other0")))); // not a camera's name
        auto source = startedSource();
        QSignalSpy changed(source.get(), &CameraDeviceSource::runningChanged);

        // Others holding the same device numbers elsewhere, and this process
        // itself, are not camera users.
        auto stranger = holder({QStringLiteral("/dev/full"), node(QStringLiteral("other0"))});
        QVERIFY(stranger->nextLine().startsWith("open"));
        const int own = open(QFile::encodeName(node(QStringLiteral("video0"))).constData(), O_RDONLY);
        QVERIFY(own >= 0);
        // Enumerating programs open the node for a moment, again and again.
        for (int i = 0; i < 5; ++i) {
            auto probe = holder({QStringLiteral("--probe"), QStringLiteral("50"), node(QStringLiteral("video0"))});
            QVERIFY(probe->nextLine().startsWith("open"));
            probe->finish();
        }
        QVERIFY(!changed.wait(int(confirmDelay.count()) * 3));
        QVERIFY(!source->isAnyCameraRunning());
        close(own);
    }

    void aSecondUserChangesNothingUntilTheLastLeaves()
    {
        auto source = startedSource();
        QSignalSpy changed(source.get(), &CameraDeviceSource::runningChanged);
        auto first = holder({node(QStringLiteral("video0"))});
        QVERIFY(first->nextLine().startsWith("open"));
        QVERIFY(changed.wait());
        QVERIFY(source->isAnyCameraRunning());

        auto second = holder({node(QStringLiteral("video0"))});
        QVERIFY(second->nextLine().startsWith("open"));
        QVERIFY(!changed.wait(int(confirmDelay.count()) * 2));
        // The first leaves while the second has held the node long enough.
        first->writeLine({});
        QCOMPARE(first->nextLine(), QByteArray("closed"));
        QVERIFY(!changed.wait(int(confirmDelay.count())));
        QVERIFY(source->isAnyCameraRunning());

        second->kill();
        QVERIFY(changed.wait());
        QVERIFY(!source->isAnyCameraRunning());
        QCOMPARE(changed.size(), 2);
    }

    void camerasPluggedInLaterAreWatched()
    {
        QVERIFY(QFile::remove(node(QStringLiteral("video0"))));
        auto source = startedSource();
        QVERIFY(source->nodes().isEmpty());
        QSignalSpy changed(source.get(), &CameraDeviceSource::runningChanged);

        // Not every name is a node: a plain file called like one is not.
        QFile plain(node(QStringLiteral("video9")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QVERIFY(makeNode(node(QStringLiteral("video2"))));
        QTRY_COMPARE(source->nodes().size(), 1);
        auto app = holder({node(QStringLiteral("video2"))});
        QVERIFY(changed.wait());
        QVERIFY(source->isAnyCameraRunning());

        // Unplugged while in use: nothing is running any more.
        QVERIFY(QFile::remove(node(QStringLiteral("video2"))));
        QVERIFY(changed.wait());
        QVERIFY(!source->isAnyCameraRunning());
        QVERIFY(source->nodes().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestV4l2CameraDeviceSource)
#include "test_v4l2_camera_device_source.moc"
