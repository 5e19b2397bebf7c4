#include "ManualTask.h"
#include "Mirror.h"
#include "SimCameraAccess.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

class TestMirror : public QObject {
    Q_OBJECT

    SimCameraAccess access;
    QList<bool> ownUse;
    ManualTask *release = nullptr;

    std::unique_ptr<Mirror> make()
    {
        auto task = std::make_unique<ManualTask>();
        release = task.get();
        return std::make_unique<Mirror>(
            access, [this](bool inUse) { ownUse.append(inUse); }, std::move(task));
    }

private Q_SLOTS:
    void init()
    {
        access.current = {CameraAccess::State::Available, {}, {}};
        access.refuse = false;
        ownUse.clear();
    }

    void eachAccessHasItsCardAndItsOneAction_data()
    {
        QTest::addColumn<CameraAccess::State>("state");
        QTest::addColumn<Mirror::Status>("status");
        QTest::addColumn<QString>("title");
        QTest::addColumn<Mirror::Action>("action");
        QTest::addColumn<bool>("askedAndRefused");
        using State = CameraAccess::State;
        using Status = Mirror::Status;
        const auto row = [](const char *tag, State state, Status status, const char *title,
                            Mirror::Action action, bool askedAndRefused = false) {
            QTest::newRow(tag) << state << status << QString::fromUtf8(title) << action << askedAndRefused;
        };
        row("camera", State::Available, Status::Preview, "", Mirror::Action::TryAgain);
        row("portal not asked", State::NotAsked, Status::NotAsked, "See yourself before a call",
            Mirror::Action::Ask);
        row("portal refused", State::Refused, Status::Refused, "The mirror needs the camera",
            Mirror::Action::Ask);
        row("portal asked and refused now", State::NotAsked, Status::Refused, "The mirror needs the camera",
            Mirror::Action::Ask, true);
        row("no camera", State::NoCamera, Status::NoCamera, "No camera found", Mirror::Action::TryAgain);
    }
    void eachAccessHasItsCardAndItsOneAction()
    {
        QFETCH(CameraAccess::State, state);
        QFETCH(Mirror::Status, status);
        QFETCH(QString, title);
        QFETCH(Mirror::Action, action);
        QFETCH(bool, askedAndRefused);
        access.current = {state, QStringLiteral("/dev/video0"), QStringLiteral("video")};
        access.refuse = askedAndRefused;
        const auto mirror = make();
        mirror->refresh();
        if (askedAndRefused)
            mirror->ask();
        QCOMPARE(mirror->status(), status);
        if (status != Mirror::Status::Preview) {
            QCOMPARE(mirror->card().title, title);
            QCOMPARE(mirror->card().action, action);
        }
    }

    void theCommandForRightsNamesTheGroupQuoted()
    {
        // A group name is the administrator's; pasted into a shell it must stay one word.
        access.current = {CameraAccess::State::NoRights, QStringLiteral("/dev/video2"),
                          QStringLiteral("cam'; rm -rf ~; '")};
        const auto mirror = make();
        mirror->refresh();
        QVERIFY(mirror->card().text.contains(QLatin1String("/dev/video2")));
        QCOMPARE(mirror->accessCommand(),
                 QStringLiteral(R"(sudo usermod -aG 'cam'\''; rm -rf ~; '\''' "$USER")"));
    }

    void ownUseEndsOnlyOnceTheCameraIsOff()
    {
        auto mirror = make();
        mirror->refresh();
        mirror->previewStarted();
        QCOMPARE(ownUse, QList<bool>{true});
        mirror->previewStopped();
        release->advance(Mirror::releaseDelay - 1ms);
        QCOMPARE(ownUse, QList<bool>{true});
        // Back before the camera went off: still one use of its own.
        mirror->previewStarted();
        release->advance(1s);
        QCOMPARE(ownUse, (QList<bool>{true, true}));
        mirror->previewStopped();
        release->advance(Mirror::releaseDelay);
        QCOMPARE(ownUse, (QList<bool>{true, true, false}));

        // A camera another app holds: the card says so, and the own use ends as after a stop.
        mirror->previewStarted();
        mirror->cameraBusy();
        QCOMPARE(mirror->status(), Mirror::Status::Busy);
        QCOMPARE(mirror->card().title, QStringLiteral("The camera is busy"));
        release->advance(Mirror::releaseDelay);
        QCOMPARE(ownUse.constLast(), false);

        // Quitting while the picture runs ends the own use at once.
        mirror->previewStarted();
        mirror.reset();
        QCOMPARE(ownUse.mid(ownUse.size() - 2), (QList<bool>{true, false}));
    }
};

QTEST_GUILESS_MAIN(TestMirror)
#include "test_mirror.moc"
