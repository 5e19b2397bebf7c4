#include "DefaultsStore.h"
#include "Hub.h"
#include "Samples.h"
#include "Settings.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestHub : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file() const { return m_dir.filePath(QStringLiteral("settings.json")); }

private Q_SLOTS:
    void init() { QFile::remove(file()); }

    void whiteNoiseFallsBackWhereItIsNotOffered()
    {
        QVERIFY(writeFileBytes(file(), R"({"MicSound": "whiteNoise"})"));
        DefaultsStore store(file());
        Settings settings(store);
        QCOMPARE(Hub(settings, build(QStringLiteral("dev.orvane.Tarnwick"), true)).micSound(),
                 Hub::MicSound::WhiteNoise);
        QCOMPARE(Hub(settings, build()).micSound(), Hub::MicSound::Silence);
        QCOMPARE(fileObject(file()).value(QStringLiteral("MicSound")).toString(), QStringLiteral("silence"));
    }

    void oneSwitchTurnsBothHalves()
    {
        DefaultsStore store(file());
        Settings settings(store);
        Hub hub(settings, build());
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
        Settings settings(store);
        Hub hub(settings, build());
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
