// The hub's privacy section over a hub on simulated backends: what each tile
// says in every state, who is offered for quitting, the switches, and the
// white-noise choice with its installation.
#include "BigSwitch.h"
#include "Hub.h"
#include "HubSwitch.h"
#include "PrivacyView.h"
#include "SensorTileView.h"
#include "SimAppTerminator.h"
#include "SimInputDeviceControl.h"
#include "SimQuietMicDriver.h"
#include "SimSensorSources.h"
#include "SimVpnService.h"
#include "VpnList.h"
#include "VpnRowView.h"
#include "WhyView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

constexpr qint32 me = 1;
const SensorUser self{me, QStringLiteral("Tarnwick"), QStringLiteral("dev.orvane.Tarnwick")};

// A hub on simulated sensors and switch services, and the section over it.
struct Rig : SimSensorSources {
    DefaultsStore defaults;
    Settings settings{defaults};
    SimInputDeviceControl inputs;
    SimQuietMicDriver quietMic;
    SimAppTerminator terminator;
    std::unique_ptr<Hub> hub;
    QStringList notes;
    int busy = 0;
    std::unique_ptr<PrivacyView> view;

    explicit Rig(bool offersWhiteNoise = false)
    {
        inputs.putDevice({QStringLiteral("alsa_input.builtin"), QStringLiteral("Built-in"), false, {40000}});
        HubServices services{std::make_unique<SensorWatcher>(sources(), me), {}, &terminator,
                             PrivacyServices{&inputs, &quietMic, {}, {}},    {}, nullptr};
        hub = std::make_unique<Hub>(settings, build(QStringLiteral("dev.orvane.Tarnwick"), offersWhiteNoise),
                                    std::move(services));
        for (const SensorUser &user : {zoom, chat})
            processes.addApp(RunningApp{user.pid, user.name, user.appId, false});
        processes.addProcess(me, QStringLiteral("tarnwick"));
        view = std::make_unique<PrivacyView>(hub->sensors(), hub->privacy(), terminator, me, panel());
    }
    ~Rig() { finder.releaseAll(); }

    MicSoundRow::Panel panel()
    {
        return {[this](const QString &text) { notes.append(text); }, [this] { ++busy; }, [this] { --busy; }};
    }
};

} // namespace

class TestPrivacyView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tiles_data()
    {
        QTest::addColumn<SensorState>("state");
        QTest::addColumn<bool>("cameraOff");
        QTest::addColumn<bool>("micOff");
        QTest::addColumn<QString>("camera");
        QTest::addColumn<QString>("mic");
        QTest::addColumn<QString>("cameraQuit");
        QTest::addColumn<QString>("micQuit");
        const QString none;
        QTest::newRow("nothing in use") << SensorState{} << false << false << "Not in use"
                                        << "Not in use" << none << none;
        QTest::newRow("switched off, nothing in use")
            << SensorState{} << true << true << "Off — apps must ask again"
            << "Off — apps hear silence" << none << none;
        QTest::newRow("on, nobody named yet")
            << SensorState{true, true, {}, {}} << false << false << "On — finding out which app…"
            << "On" << none << none;
        QTest::newRow("in use") << SensorState{true, true, {zoom}, {chat}} << false << false
                                << "Zoom is using it"
                                << "Chat is listening"
                                << "Quit Zoom"
                                << "Quit Chat";
        QTest::newRow("two listening, one also on camera: offered once")
            << SensorState{true, true, {zoom}, {zoom, chat}} << false << false << "Zoom is using it"
            << "Zoom and Chat is listening"
            << "Quit Zoom" << none;
        QTest::newRow("blocked: still has the camera, hears only silence")
            << SensorState{true, true, {zoom}, {chat}} << true << true
            << "Zoom still has it — quit it to stop"
            << "Chat hears only silence"
            << "Quit Zoom"
            << "Quit Chat";
        QTest::newRow("this app itself is never offered")
            << SensorState{true, true, {self}, {self, zoom}} << false << false << "Tarnwick is using it"
            << "Tarnwick and Zoom is listening" << none << none;
        QTest::newRow("a user without a known process is not offered")
            << SensorState{true, false, {SensorUser{0, QStringLiteral("Chat"), chat.appId}}, {}} << false
            << false << "Chat is using it"
            << "Not in use" << none << none;
        QTest::newRow("off with users but not on")
            << SensorState{false, false, {zoom}, {chat}} << true << false << "Off — apps must ask again"
            << "Not in use"
            << "Quit Zoom"
            << "Quit Chat";
    }
    void tiles()
    {
        QFETCH(SensorState, state);
        QFETCH(bool, cameraOff);
        QFETCH(bool, micOff);
        QFETCH(QString, camera);
        QFETCH(QString, mic);
        QFETCH(QString, cameraQuit);
        QFETCH(QString, micQuit);
        Rig rig;
        rig.hub->privacy().setCameraOff(cameraOff);
        rig.hub->privacy().setMicOff(micOff);
        rig.hub->sensors().watcher()->simulate(state);
        QCOMPARE(rig.view->cameraTile()->status(), camera);
        QCOMPARE(rig.view->micTile()->status(), mic);
        const auto quitText = [](const SensorTileView *tile) {
            return tile->quitButton() ? tile->quitButton()->text() : QString();
        };
        QCOMPARE(quitText(rig.view->cameraTile()), cameraQuit);
        QCOMPARE(quitText(rig.view->micTile()), micQuit);
        QCOMPARE(rig.view->cameraTile()->userIcons().size(), state.cameraUsers.size());
    }

    void attributionStillRunningOffersNoQuit()
    {
        Rig rig;
        rig.hub->start();
        rig.finder.hold();
        rig.finder.setClients({zoom.pid});
        rig.cameras.open();
        QCOMPARE(rig.view->cameraTile()->status(), QStringLiteral("On — finding out which app…"));
        QVERIFY(!rig.view->cameraTile()->quitButton());
        rig.finder.releaseAll();
        QTRY_COMPARE(rig.view->cameraTile()->status(), QStringLiteral("Zoom is using it"));
        QVERIFY(rig.view->cameraTile()->quitButton());
    }

    void quittingAsksTheFirstUserPolitely()
    {
        Rig rig;
        rig.hub->privacy().setCameraOff(true);
        rig.hub->sensors().watcher()->simulate(SensorState{true, false, {chat, zoom}, {}});
        QVERIFY(rig.view->cameraTile()->quitButton()->toolTip().contains(QStringLiteral("like Ctrl+Q")));
        QTest::mouseClick(rig.view->cameraTile()->quitButton(), Qt::LeftButton);
        QCOMPARE(rig.terminator.terminated, QList<qint32>{chat.pid});
    }

    void theBigSwitchTurnsBothAndEachSmallOneItsOwn()
    {
        Rig rig;
        rig.hub->privacy().setCameraOff(true);
        BigSwitch *big = rig.view->bigSwitch();
        QCOMPARE(big->text(), QStringLiteral("Turn Camera & Microphone Off"));
        QCOMPARE(big->accessibleName(), QStringLiteral("Turn camera and microphone off"));
        QVERIFY(!rig.view->cameraSwitch()->isChecked());
        QVERIFY(rig.view->micSwitch()->isChecked());

        QTest::mouseClick(big, Qt::LeftButton);
        QVERIFY(rig.hub->privacy().cameraOff() && rig.hub->privacy().micOff());
        QCOMPARE(rig.notes, QStringList{"Camera access taken away, microphone silent."});
        QCOMPARE(big->text(), QStringLiteral("Camera & Microphone Off"));
        QCOMPARE(big->subtitle(), QStringLiteral("Click to turn them back on"));

        QTest::mouseClick(big, Qt::LeftButton);
        QVERIFY(!rig.hub->privacy().cameraOff() && !rig.hub->privacy().micOff());
        QCOMPARE(rig.notes.last(), QStringLiteral("Camera and microphone are back on."));

        // Each small switch turns its own sensor, without a note.
        QTest::mouseClick(rig.view->micSwitch(), Qt::LeftButton);
        QVERIFY(rig.hub->privacy().micOff() && !rig.hub->privacy().cameraOff());
        QCOMPARE(rig.view->micTile()->status(), QStringLiteral("Off — apps hear silence"));
        QCOMPARE(rig.notes.size(), 2);
    }

    // Offered only when the build offers it; installing keeps the panel open until the server answers.
    void whiteNoiseIsOfferedAndInstalled()
    {
        QVERIFY(!Rig(false).view->micSoundRow());
        Rig rig(true);
        rig.quietMic.listsLater = true; // the server takes it, lists it a moment later
        MicSoundRow *row = rig.view->micSoundRow();
        QVERIFY(row->silenceChoice()->isChecked());
        QVERIFY(row->installButton()->isHidden());
        QTest::mouseClick(row->whiteNoiseChoice(), Qt::LeftButton);
        QCOMPARE(rig.hub->privacy().micSound(), PrivacySwitch::MicSound::WhiteNoise);
        QVERIFY(!row->installButton()->isHidden());
        QCOMPARE(row->installButton()->text(), QStringLiteral("Install…"));
        QTest::mouseClick(row->installButton(), Qt::LeftButton);
        QCOMPARE(rig.busy, 1);
        QCOMPARE(row->installButton()->text(), QStringLiteral("Installing…"));
        QTest::mouseClick(row->installButton(), Qt::LeftButton); // disabled: no second install
        QCOMPARE(rig.busy, 1);
        rig.quietMic.listNow();
        QTRY_COMPARE(rig.notes, QStringList{"White noise is ready."});
        QCOMPARE(rig.busy, 0);
        QVERIFY(row->installButton()->isHidden());
    }

    void anInstallThatFailsSaysWhyAndAnswerAfterTheViewIsGoneStillCounts()
    {
        Rig rig(true);
        rig.quietMic.listsLater = true;
        rig.hub->privacy().setMicSound(PrivacySwitch::MicSound::WhiteNoise);
        QTest::mouseClick(rig.view->micSoundRow()->installButton(), Qt::LeftButton);
        rig.view.reset(); // the hub closed on a screen change meanwhile
        rig.quietMic.listNow();
        QTRY_COMPARE(rig.busy, 0);
        QCOMPARE(rig.notes, QStringList{"White noise is ready."});

        Rig failing(true);
        failing.quietMic.installProblem = {
            QuietMicProblem::Code::ModuleRefused, {}, QStringLiteral("no such module")};
        failing.hub->privacy().setMicSound(PrivacySwitch::MicSound::WhiteNoise);
        QTest::mouseClick(failing.view->micSoundRow()->installButton(), Qt::LeftButton);
        QCOMPARE(failing.notes,
                 QStringList{"The audio server could not add the quiet microphone: no such module"});
        QCOMPARE(failing.busy, 0);
        QVERIFY(!failing.view->micSoundRow()->installButton()->isHidden());
        QCOMPARE(failing.view->micSoundRow()->installButton()->text(), QStringLiteral("Install…"));
    }

    void theQuestionMarkShowsHowTheSwitchWorks()
    {
        // In a panel as big as the hub's, below its section buttons.
        QWidget panel;
        Rig rig;
        panel.resize(740, 362);
        rig.view->setParent(&panel);
        rig.view->setGeometry(18, 110, 704, 230);
        panel.show();
        QCOMPARE(rig.view->whyButton()->accessibleName(), QStringLiteral("How the switch works"));
        QVERIFY(!rig.view->why()->isVisible());
        QTest::mouseClick(rig.view->whyButton(), Qt::LeftButton);
        QVERIFY(rig.view->why()->isVisible());
        QVERIFY(panel.rect().contains(rig.view->why()->geometry()));
        QVERIFY(!rig.view->why()->geometry().intersects(
            QRect(rig.view->whyButton()->mapTo(&panel, QPoint()), rig.view->whyButton()->size())));
        QTest::mouseClick(rig.view->whyButton(), Qt::LeftButton);
        QVERIFY(!rig.view->why()->isVisible());
        QPointer<WhyView> why = rig.view->why();
        rig.view.reset();
        QVERIFY(!why); // gone with its section
    }

    void theHistoryLinkShowsOnlyWithSomewhereToGo()
    {
        Rig rig;
        QVERIFY(!rig.view->historyButton());
        int shown = 0;
        PrivacyView view(rig.hub->sensors(), rig.hub->privacy(), rig.terminator, me, rig.panel(), nullptr,
                         [&shown] { ++shown; });
        QCOMPARE(view.historyButton()->text(), QStringLiteral("History…"));
        QTest::mouseClick(view.historyButton(), Qt::LeftButton);
        QCOMPARE(shown, 1);
    }

    void theVpnRowShowsTheConnectionWhileShownAndSwitchesIt()
    {
        auto source = std::make_unique<SimVpnService>();
        SimVpnService *vpn = source.get();
        std::vector<std::unique_ptr<VpnService>> sources;
        sources.push_back(std::move(source));
        VpnList list(std::move(sources));
        Rig rig;
        PrivacyView view(rig.hub->sensors(), rig.hub->privacy(), rig.terminator, me, rig.panel(), &list);
        VpnRowView *row = view.vpnRow();
        QVERIFY(row);
        QVERIFY(!vpn->isWatched()); // nothing read before the row shows

        view.show();
        QVERIFY(vpn->isWatched());
        QTRY_VERIFY(vpn->reads() > 0);
        QVERIFY(!row->button()->isVisible()); // no VPN: the row shows nothing

        vpn->setService({{QStringLiteral("office"), QStringLiteral("Office VPN"), QStringLiteral("wireguard"),
                          VpnConnection::Status::Connected}});
        QTRY_COMPARE(row->name()->text(), QStringLiteral("Office VPN"));
        QCOMPARE(row->status()->text(), QStringLiteral("Connected"));
        QCOMPARE(row->button()->text(), QStringLiteral("Disconnect"));
        QTest::mouseClick(row->button(), Qt::LeftButton);
        QCOMPARE(vpn->requests(), QStringList{"disconnect office"});
        QTRY_COMPARE(row->button()->text(), QStringLiteral("Connect"));

        view.hide();
        QVERIFY(!vpn->isWatched()); // nothing followed while the hub is closed
    }
};

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    TestPrivacyView test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_privacy_view.moc"
