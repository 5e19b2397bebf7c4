// The mirror section with a made-up camera: the picture runs only while the
// section is on screen, turned like a mirror, and Tarnwick's own camera use
// lasts until the camera is off; the cards act. The real access check
// against stand-in device folders.
#include "LinuxCameraAccess.h"
#include "Mirror.h"
#include "MirrorPicture.h"
#include "MirrorView.h"
#include "RequiredService.h"
#include "SamplePictureFeed.h"
#include "SensorWatcher.h"
#include "SimAudioCaptureSource.h"
#include "SimCameraAccess.h"
#include "SimCameraClientFinder.h"
#include "SimCameraDeviceSource.h"
#include "SimProcessDirectory.h"
#include "TimerTask.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

class TestMirrorView : public QObject {
    Q_OBJECT

    SimAudioCaptureSource audio;
    SimCameraDeviceSource cameras;
    SimCameraClientFinder finder;
    SimProcessDirectory processes;
    SimCameraAccess access;

private Q_SLOTS:
    void thePictureRunsWhileShownAndTheOwnUseOutlastsIt()
    {
        SensorWatcher watcher({audio, cameras, finder, processes}, 1);
        Mirror mirror(
            access, [&watcher](bool inUse) { watcher.setOwnCameraUse(inUse); },
            std::make_unique<TimerTask>());
        mirror.refresh();
        auto feed = std::make_unique<SamplePictureFeed>();
        SamplePictureFeed *camera = feed.get();
        auto view = std::make_unique<MirrorView>(mirror, std::move(feed));
        QVERIFY(!camera->isRunning());
        view->resize(640, 300);
        view->show();
        QVERIFY(camera->isRunning());
        QVERIFY(watcher.ownCameraUse());
        QSignalSpy painted(view->picture(), &MirrorPicture::painted);
        QVERIFY(painted.wait());
        // The made-up camera marks its left edge red: a mirror shows it on the right.
        const QImage &shown = view->picture()->shown();
        QCOMPARE(shown.pixelColor(shown.width() - 2, shown.height() / 2), QColor(220, 40, 40));
        QVERIFY(shown.pixelColor(1, shown.height() / 2) != QColor(220, 40, 40));

        // Leaving the section: the camera stops at once, the own use a moment later.
        QElapsedTimer clock;
        clock.start();
        view.reset();
        QVERIFY(watcher.ownCameraUse());
        QSignalSpy ended(&watcher, &SensorWatcher::ownCameraUseChanged);
        QVERIFY(ended.wait(3000));
        QVERIFY(!watcher.ownCameraUse());
        QVERIFY(clock.elapsed() >= 1400);
    }

    void cardsDoTheirOneThing()
    {
        access.current = {CameraAccess::State::NotAsked, {}, {}};
        Mirror mirror(
            access, [](bool) {}, std::make_unique<TimerTask>());
        mirror.refresh();
        auto feed = std::make_unique<SamplePictureFeed>();
        SamplePictureFeed *camera = feed.get();
        MirrorView view(mirror, std::move(feed));
        view.show();
        QCOMPARE(view.cardButton()->text(), QStringLiteral("Turn On the Mirror"));
        QVERIFY(!camera->isRunning());
        // Granted: the picture comes without opening the section again.
        view.cardButton()->click();
        QVERIFY(camera->isRunning());

        access.current = {CameraAccess::State::NoRights, QStringLiteral("/dev/video0"),
                          QStringLiteral("video")};
        mirror.refresh();
        QVERIFY(!camera->isRunning());
        QCOMPARE(view.cardTitle()->text(), QStringLiteral("The mirror needs the camera"));
        view.cardButton()->click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(R"(sudo usermod -aG 'video' "$USER")"));
    }

    void theRealCheckFindsCamerasAndTheirAbsence()
    {
        QTemporaryDir devices;
        const LinuxCameraAccess real(
            CameraNodeScan(devices.path(), CameraNodeScan::NodeCheck::AnyCharacterDevice),
            QDBusConnection(QString()), false);
        QCOMPARE(real.status().state, CameraAccess::State::NoCamera);
        // Not a device: still no camera.
        QFile plain(devices.filePath(QStringLiteral("video1")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        QCOMPARE(real.status().state, CameraAccess::State::NoCamera);
        const bool made = mknod(QFile::encodeName(devices.filePath(QStringLiteral("video0"))).constData(),
                                S_IFCHR | 0666, makedev(1, 7)) == 0;
        REQUIRE_SERVICE(made, QStringLiteral("mknod (needs root)"));
        QCOMPARE(real.status().state, CameraAccess::State::Available);
    }
};

QTEST_MAIN(TestMirrorView)
#include "test_mirror_view.moc"
