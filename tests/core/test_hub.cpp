#include "DefaultsStore.h"
#include "Hub.h"
#include "Samples.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString devBuild = QStringLiteral("dev.orvane.Tarnwick.dev");
// The boolean settings, each written and read under its own key.
const char *const switches[] = {"haloForCamera", "haloForMic",          "announce",
                                "openOnHover",   "showRecommendations", "autoQuitWhenOff"};

QList<bool> switchValues(const Hub &hub)
{
    QList<bool> values;
    for (const char *name : switches)
        values.append(hub.property(name).toBool());
    return values;
}

} // namespace

class TestHub : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file() const { return m_dir.filePath(QStringLiteral("settings.json")); }

private Q_SLOTS:
    void init() { QFile::remove(file()); }

    void freshDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("unknown or mistyped values")
            << QByteArray(R"({"MicSound": "loud", "HaloCamera": "no", "HaloMic": 0, "Announce": ["x"],
                              "CameraOff": 1, "AutoQuitWhenOff": "true", "AllowList": ["org.a", 2],
                              "DismissedRecommendations": "one"})");
    }
    void freshDefaults()
    {
        QFETCH(QByteArray, content);
        if (!content.isEmpty())
            QVERIFY(writeFileBytes(file(), content));
        DefaultsStore store(file());
        Hub hub(store, build());
        QCOMPARE(switchValues(hub), QList<bool>({true, true, true, true, true, false}));
        QVERIFY(!hub.cameraOff());
        QVERIFY(!hub.micOff());
        QVERIFY(!hub.offersWhiteNoise());
        QCOMPARE(hub.micSound(), Hub::MicSound::Silence);
        QVERIFY(hub.allowList().isEmpty());
        QVERIFY(hub.dismissedRecommendations().isEmpty());
        // Reading writes nothing, and a readable file is not set aside.
        QCOMPARE(fileBytes(file()), content);
        QVERIFY(store.keptAsidePath().isEmpty());
    }

    void everySettingIsStoredAndReadBack()
    {
        {
            DefaultsStore store(file());
            Hub hub(store, build(devBuild));
            QSignalSpy refresh(&hub, &Hub::haloRefresh);
            for (const char *name : switches)
                hub.setProperty(name, !hub.property(name).toBool());
            QCOMPARE(refresh.count(), 2); // the halo follows its two switches
            hub.setMicSound(Hub::MicSound::WhiteNoise);
            hub.setAllowed(QStringLiteral("org.b"), true);
            hub.setAllowed(QStringLiteral("org.a"), true);
            hub.setDismissedRecommendations({QStringLiteral("z"), QStringLiteral("y")});
            hub.setCameraOff(true);
        }
        QCOMPARE(fileObject(file()).value(QStringLiteral("MicSound")).toString(),
                 QStringLiteral("whiteNoise"));

        DefaultsStore store(file());
        Hub hub(store, build(devBuild));
        QCOMPARE(switchValues(hub), QList<bool>({false, false, false, false, false, true}));
        QCOMPARE(hub.micSound(), Hub::MicSound::WhiteNoise);
        QCOMPARE(hub.allowList(), QStringList({QStringLiteral("org.a"), QStringLiteral("org.b")}));
        QCOMPARE(hub.dismissedRecommendations(), QStringList({QStringLiteral("y"), QStringLiteral("z")}));
        QVERIFY(hub.cameraOff()); // restored at construction
    }

    void whiteNoiseFallsBackWhereItIsNotOffered()
    {
        QVERIFY(writeFileBytes(file(), R"({"MicSound": "whiteNoise"})"));
        DefaultsStore store(file());
        QCOMPARE(Hub(store, build()).micSound(), Hub::MicSound::Silence);
        QCOMPARE(fileObject(file()).value(QStringLiteral("MicSound")).toString(), QStringLiteral("silence"));

        store.setValue(QStringLiteral("MicSound"), QStringLiteral("whiteNoise"));
        QCOMPARE(Hub(store, build(QStringLiteral("dev.orvane.Tarnwick"), true)).micSound(),
                 Hub::MicSound::WhiteNoise);
    }

    void oneSwitchTurnsBothHalves()
    {
        DefaultsStore store(file());
        Hub hub(store, build());
        hub.setCameraOff(true); // only one half off: the switch turns both off
        hub.toggleEverythingOff();
        QVERIFY(hub.cameraOff() && hub.micOff());
        hub.toggleEverythingOff();
        QVERIFY(!hub.cameraOff() && !hub.micOff());
        QCOMPARE(fileObject(file()).value(QStringLiteral("MicOff")).toBool(true), false);
    }

    void guardNotesAtMostOnceAMinutePerDevice()
    {
        DefaultsStore store;
        Hub hub(store, build());
        QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);
        hub.setClock([&now] { return now; });
        QSignalSpy notes(&hub, &Hub::note);
        const QString mic = QStringLiteral("Built-in Microphone");
        for (int i = 0; i < 3; ++i, now = now.addSecs(20))
            hub.guardReapplied(mic);
        hub.guardReapplied(QStringLiteral("USB Mic")); // another device has its own minute
        QCOMPARE(notes.count(), 2);
        QCOMPARE(notes.at(0).at(0).toString(),
                 QStringLiteral("Built-in Microphone was turned up — Tarnwick silenced it again."));
        now = now.addSecs(1); // 61 s after the first note
        hub.guardReapplied(mic);
        QCOMPARE(notes.count(), 3);
    }
};

QTEST_GUILESS_MAIN(TestHub)
#include "test_hub.moc"
