#include "DefaultsStore.h"
#include "Hub.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

AppInfo releaseBuild()
{
    return AppInfo{QStringLiteral("dev.orvane.Tarnwick"), QStringLiteral("1.0"), {}, false, false};
}

AppInfo developmentBuild()
{
    return AppInfo{QStringLiteral("dev.orvane.Tarnwick.dev"), QStringLiteral("1.0"), {}, false, false};
}

QJsonObject onDisk(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

} // namespace

class TestHub : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file() const { return m_dir.filePath(QStringLiteral("settings.json")); }

private Q_SLOTS:
    void init() { QFile::remove(file()); }

    void freshDefaults()
    {
        DefaultsStore store(file());
        Hub hub(store, releaseBuild());
        QVERIFY(hub.haloForCamera());
        QVERIFY(hub.haloForMic());
        QVERIFY(hub.announce());
        QVERIFY(hub.openOnHover());
        QVERIFY(hub.showRecommendations());
        QVERIFY(!hub.cameraOff());
        QVERIFY(!hub.micOff());
        QVERIFY(!hub.autoQuitWhenOff());
        QCOMPARE(hub.micSound(), Hub::MicSound::Silence);
        QVERIFY(hub.allowList().isEmpty());
        QVERIFY(hub.dismissedRecommendations().isEmpty());
        QVERIFY(!hub.offersWhiteNoise());
        QVERIFY(!QFile::exists(file())); // reading writes nothing
    }

    void everySettingIsStoredAndReadBack()
    {
        {
            DefaultsStore store(file());
            Hub hub(store, developmentBuild());
            hub.setHaloForCamera(false);
            hub.setHaloForMic(false);
            hub.setAnnounce(false);
            hub.setOpenOnHover(false);
            hub.setShowRecommendations(false);
            hub.setAutoQuitWhenOff(true);
            hub.setMicSound(Hub::MicSound::WhiteNoise);
            hub.setAllowed(QStringLiteral("org.b"), true);
            hub.setAllowed(QStringLiteral("org.a"), true);
            hub.setDismissedRecommendations({QStringLiteral("z"), QStringLiteral("y")});
            hub.setCameraOff(true);
        }
        const QJsonObject json = onDisk(file());
        QCOMPARE(json.value(QStringLiteral("HaloCamera")).toBool(true), false);
        QCOMPARE(json.value(QStringLiteral("MicSound")).toString(), QStringLiteral("whiteNoise"));
        QCOMPARE(json.value(QStringLiteral("AllowList")).toVariant().toStringList(),
                 QStringList({QStringLiteral("org.a"), QStringLiteral("org.b")}));
        QCOMPARE(json.value(QStringLiteral("DismissedRecommendations")).toVariant().toStringList(),
                 QStringList({QStringLiteral("y"), QStringLiteral("z")}));

        DefaultsStore store(file());
        Hub hub(store, developmentBuild());
        QVERIFY(!hub.haloForCamera());
        QVERIFY(!hub.haloForMic());
        QVERIFY(!hub.announce());
        QVERIFY(!hub.openOnHover());
        QVERIFY(!hub.showRecommendations());
        QVERIFY(hub.autoQuitWhenOff());
        QCOMPARE(hub.micSound(), Hub::MicSound::WhiteNoise);
        QVERIFY(hub.isAllowed(QStringLiteral("org.a")));
        QVERIFY(hub.cameraOff()); // restored at construction
    }

    void whiteNoiseFallsBackWhereItIsNotOffered()
    {
        {
            DefaultsStore store(file());
            store.setValue(QStringLiteral("MicSound"), QStringLiteral("whiteNoise"));
        }
        DefaultsStore store(file());
        Hub hub(store, releaseBuild());
        QCOMPARE(hub.micSound(), Hub::MicSound::Silence);
        QCOMPARE(onDisk(file()).value(QStringLiteral("MicSound")).toString(), QStringLiteral("silence"));

        DefaultsStore offered(file());
        offered.setValue(QStringLiteral("MicSound"), QStringLiteral("whiteNoise"));
        AppInfo info = releaseBuild();
        info.offersWhiteNoiseSetting = true;
        QCOMPARE(Hub(offered, info).micSound(), Hub::MicSound::WhiteNoise);
    }

    void unknownOrMistypedValuesUseDefaults()
    {
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"MicSound": "loud", "HaloCamera": "no", "CameraOff": 1, "AllowList": "org.a", "Unknown": 5})");
        f.close();
        DefaultsStore store(file());
        Hub hub(store, releaseBuild());
        QCOMPARE(hub.micSound(), Hub::MicSound::Silence);
        QVERIFY(hub.haloForCamera());
        QVERIFY(!hub.cameraOff());
        QVERIFY(hub.allowList().isEmpty());
        // Keys Tarnwick does not know are kept, not thrown away.
        hub.setAnnounce(false);
        QCOMPARE(onDisk(file()).value(QStringLiteral("Unknown")).toInt(), 5);
    }

    void settersCompareBeforeTheyEmit()
    {
        DefaultsStore store(file());
        Hub hub(store, releaseBuild());
        QSignalSpy changed(&hub, &Hub::haloForMicChanged);
        QSignalSpy refresh(&hub, &Hub::haloRefresh);
        QSignalSpy allow(&hub, &Hub::allowListChanged);
        hub.setHaloForMic(true); // already true
        QCOMPARE(changed.count(), 0);
        QCOMPARE(refresh.count(), 0);
        hub.setHaloForMic(false);
        hub.setHaloForCamera(false);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(refresh.count(), 2);
        hub.setAllowed(QStringLiteral("org.a"), true);
        hub.setAllowed(QStringLiteral("org.a"), true);
        hub.setAllowed(QStringLiteral("org.b"), false);
        QCOMPARE(allow.count(), 1);
    }

    void micOffIsRestoredByStartOnly()
    {
        {
            DefaultsStore store(file());
            Hub(store, releaseBuild()).setMicOff(true);
        }
        DefaultsStore store(file());
        Hub hub(store, releaseBuild());
        QVERIFY(!hub.micOff());
        QSignalSpy spy(&hub, &Hub::micOffChanged);
        hub.start();
        QVERIFY(hub.micOff());
        QCOMPARE(spy.count(), 1);
    }

    void oneSwitchTurnsBothHalves()
    {
        DefaultsStore store(file());
        Hub hub(store, releaseBuild());
        hub.setCameraOff(true); // only one half off: the switch turns both off
        hub.toggleEverythingOff();
        QVERIFY(hub.cameraOff() && hub.micOff());
        hub.toggleEverythingOff();
        QVERIFY(!hub.cameraOff() && !hub.micOff());
        QCOMPARE(onDisk(file()).value(QStringLiteral("MicOff")).toBool(true), false);
    }

    void guardNotesAtMostOnceAMinutePerDevice()
    {
        DefaultsStore store;
        Hub hub(store, releaseBuild());
        QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
        hub.setClock([&now] { return now; });
        QSignalSpy notes(&hub, &Hub::note);
        const QString mic = QStringLiteral("Built-in Microphone");
        hub.guardReapplied(mic);
        now = now.addSecs(20);
        hub.guardReapplied(mic);
        now = now.addSecs(20);
        hub.guardReapplied(mic);
        hub.guardReapplied(QStringLiteral("USB Mic")); // another device has its own minute
        QCOMPARE(notes.count(), 2);
        QCOMPARE(notes.at(0).at(0).toString(), QStringLiteral("Built-in Microphone was turned up — Tarnwick silenced it again."));
        now = now.addSecs(21); // 61 s after the first note
        hub.guardReapplied(mic);
        QCOMPARE(notes.count(), 3);
    }
};

QTEST_GUILESS_MAIN(TestHub)
#include "test_hub.moc"
