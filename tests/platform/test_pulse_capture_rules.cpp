// Which of the server's record streams count as microphone use, and who they
// belong to, for streams a test daemon cannot easily produce.
#include "PulseAudioCaptureSource.h"

#include <QTest>

using Snapshot = PulseAudioCaptureSource::Snapshot;
using Stream = Snapshot::Stream;

class TestPulseCaptureRules : public QObject {
    Q_OBJECT

    // Source 1 is a microphone, source 2 a monitor; client 10 is Firefox.
    static Snapshot snapshot(const QList<Stream> &streams)
    {
        Snapshot s;
        s.sourceIsMonitor = {{1, false}, {2, true}};
        s.clients = {{10, {"Firefox", {{"application.process.id", "4000"}}}}};
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
    static AudioCapture capture(quint32 id, qint32 pid, const QString &name, qint32 hostPid = 0,
                                const QString &appId = {}, const QString &binary = {})
    {
        return {{pid, hostPid, appId, name, binary}, id};
    }

private Q_SLOTS:
    void streamsThatDoNotListenAreLeftOut()
    {
        const QList<AudioCapture> captures = PulseAudioCaptureSource::capturesIn(snapshot({
            stream(30),        // counts
            stream(33, 10, 2), // records a sink's monitor
            stream(34, 10, 7), // a source the read did not see
            stream(35, 11),    // a client the read did not see
            stream(36, 10, 1, true),
            stream(37, 10, 1, false, {}, {{"stream.monitor", "true"}}), // a level meter
            stream(38, 10, 1, false, "peaks"),
        }));
        QCOMPARE(captures, QList{capture(30, 4000, "Firefox")});
    }

    void whatTheClientClaimsAndWhatTheServerSaw()
    {
        Snapshot s = snapshot({
            stream(41, 12),
            // The stream's own properties come before its client's.
            stream(40, 10, 1, false, {}, {{"application.process.id", "4100"}}), stream(39, 13),
            stream(42, 14), stream(43, 20), // this process's own
        });
        s.ownClient = 20;
        s.ownPid = 77;
        // PipeWire's pulse server records itself (900) as every client's peer.
        s.clients.insert(20, {"tarnwick", {{"application.process.id", "77"}, {"pipewire.sec.pid", "900"}}});
        s.clients.insert(
            12, {"Chat",
                 {{"application.process.id", "2"}, {"pipewire.access.portal.app_id", "org.example.Chat"}}});
        // A nonsense pid is no pid rather than a wrong one.
        s.clients.insert(13, {QString(),
                              {{"application.process.id", "-5"},
                               {"application.name", "tool"},
                               {"application.process.binary", "parecord"}}});
        s.clients.insert(14, {"native", {{"application.process.id", "77"}, {"pipewire.sec.pid", "5123"}}});

        // Ascending by id; claiming this process's pid (42) hides nothing.
        const auto expected = [](qint32 hostPid) {
            return QList{capture(39, 0, "tool", 0, {}, "parecord"), capture(40, 4100, "Firefox"),
                         capture(41, 2, "Chat", 0, "org.example.Chat"), capture(42, 77, "native", hostPid)};
        };
        QCOMPARE(PulseAudioCaptureSource::capturesIn(s), expected(0));
        // A server that records the real peer records this process as itself.
        s.clients[20].props["pipewire.sec.pid"] = "77";
        QCOMPARE(PulseAudioCaptureSource::capturesIn(s), expected(5123));
    }
};

QTEST_GUILESS_MAIN(TestPulseCaptureRules)
#include "test_pulse_capture_rules.moc"
