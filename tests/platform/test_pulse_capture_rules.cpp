// Which of the server's record streams count as microphone use, and who they
// belong to, for streams a test daemon cannot easily produce.
#include "PulseAudioCaptureSource.h"

#include <QTest>

#include <pulse/def.h>

using Snapshot = PulseAudioCaptureSource::Snapshot;
using Stream = Snapshot::Stream;

class TestPulseCaptureRules : public QObject {
    Q_OBJECT

    // Source 1 is a microphone, source 2 a monitor; client 10 is Firefox.
    static Snapshot snapshot(const QList<Stream> &streams)
    {
        Snapshot s;
        s.sourceIsMonitor = {{1, false}, {2, true}};
        s.clients = {{10, {QStringLiteral("Firefox"), {{"application.process.id", "4000"}}}}};
        for (const Stream &stream : streams)
            s.streams.insert(stream.index, stream);
        return s;
    }
    static Stream stream(quint32 index, quint32 client = 10, quint32 source = 1, bool corked = false,
                         const QByteArray &resampleMethod = {},
                         const QHash<QByteArray, QByteArray> &props = {})
    {
        return {index, client, source, corked, resampleMethod, props};
    }

private Q_SLOTS:
    void streamsThatDoNotListenAreLeftOut()
    {
        const QList<AudioCapture> captures = PulseAudioCaptureSource::capturesIn(snapshot({
            stream(30),                       // counts
            stream(31, PA_INVALID_INDEX),     // a module's loopback
            stream(32, 10, PA_INVALID_INDEX), // not linked yet
            stream(33, 10, 2),                // records a sink's monitor
            stream(34, 10, 7),                // a source the read did not see
            stream(35, 11),                   // a client the read did not see
            stream(36, 10, 1, true),
            stream(37, 10, 1, false, {}, {{"stream.monitor", "true"}}), // a level meter
            stream(38, 10, 1, false, "peaks"),
        }));
        QCOMPARE(captures.size(), 1);
        QCOMPARE(captures.constFirst().id, 30u);
        QCOMPARE(captures.constFirst().pid, 4000);
        QCOMPARE(captures.constFirst().clientName, QStringLiteral("Firefox"));
    }

    void whatTheClientClaimsAndWhatTheServerSaw_data()
    {
        QTest::addColumn<QByteArray>("ownPeerPid");
        QTest::addColumn<qint32>("hostPid");
        // PipeWire's pulse server records itself (900) as every client's peer.
        QTest::newRow("the server records itself as the peer") << QByteArray("900") << 0;
        QTest::newRow("the server records no peer") << QByteArray() << 0;
        QTest::newRow("the server records the real peer") << QByteArray("77") << 5123;
    }
    void whatTheClientClaimsAndWhatTheServerSaw()
    {
        QFETCH(QByteArray, ownPeerPid);
        QFETCH(qint32, hostPid);
        Snapshot s = snapshot({
            stream(41, 12),
            // The stream's own properties come before its client's.
            stream(40, 10, 1, false, {}, {{"application.process.id", "4100"}}), stream(39, 13),
            stream(42, 14), stream(43, 20), // this process's own
        });
        s.ownClient = 20;
        s.ownPid = 77;
        s.clients.insert(20, {QStringLiteral("tarnwick"),
                              {{"application.process.id", "77"}, {"pipewire.sec.pid", ownPeerPid}}});
        s.clients.insert(
            12, {QStringLiteral("Chat"),
                 {{"application.process.id", "2"}, {"pipewire.access.portal.app_id", "org.example.Chat"}}});
        // A nonsense pid is no pid rather than a wrong one.
        s.clients.insert(13, {QString(),
                              {{"application.process.id", "-5"},
                               {"application.name", "tool"},
                               {"application.process.binary", "parecord"}}});
        s.clients.insert(
            14, {QStringLiteral("native"), {{"application.process.id", "77"}, {"pipewire.sec.pid", "5123"}}});

        const QList<AudioCapture> captures = PulseAudioCaptureSource::capturesIn(s);
        QCOMPARE(captures.size(), 4);
        QCOMPARE(captures.at(0).id, 39u); // ascending by id
        QCOMPARE(captures.at(0).pid, 0);
        QCOMPARE(captures.at(0).clientName, QStringLiteral("tool"));
        QCOMPARE(captures.at(0).binary, QStringLiteral("parecord"));
        QCOMPARE(captures.at(1).pid, 4100);
        QCOMPARE(captures.at(2).pid, 2);
        QCOMPARE(captures.at(2).appId, QStringLiteral("org.example.Chat"));
        // Claiming this process's pid hides nothing.
        QCOMPARE(captures.at(3).pid, 77);
        QCOMPARE(captures.at(3).hostPid, hostPid);
    }
};

QTEST_GUILESS_MAIN(TestPulseCaptureRules)
#include "test_pulse_capture_rules.moc"
