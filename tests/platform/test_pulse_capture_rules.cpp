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
        s.streams = streams;
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

    void thePidIsTheOneTheClientGives()
    {
        Snapshot s = snapshot({
            stream(41, 12),
            // The stream's own properties come before its client's.
            stream(40, 10, 1, false, {}, {{"application.process.id", "4100"}}),
            stream(39, 13),
            stream(42, 14),
        });
        // Through PipeWire's pulse server the peer the server saw is the pulse
        // server itself (900); a sandboxed client says pid 2 and carries the
        // app id the portal vouched for.
        s.clients.insert(12, {QStringLiteral("Chat"),
                              {{"application.process.id", "2"},
                               {"pipewire.sec.pid", "900"},
                               {"pipewire.access.portal.app_id", "org.example.Chat"}}});
        // Nonsense pids give no pid rather than a wrong one; the server's
        // record of the peer is the last resort.
        s.clients.insert(13, {QString(), {{"application.process.id", "-5"}, {"application.name", "tool"}}});
        s.clients.insert(14, {QStringLiteral("native"), {{"pipewire.sec.pid", "5123"}}});

        const QList<AudioCapture> captures = PulseAudioCaptureSource::capturesIn(s);
        QCOMPARE(captures.size(), 4);
        QCOMPARE(captures.at(0).id, 39u); // ascending by id
        QCOMPARE(captures.at(0).pid, 0);
        QCOMPARE(captures.at(0).clientName, QStringLiteral("tool"));
        QCOMPARE(captures.at(1).pid, 4100);
        QCOMPARE(captures.at(2).pid, 2);
        QCOMPARE(captures.at(2).appId, QStringLiteral("org.example.Chat"));
        QCOMPARE(captures.at(3).pid, 5123);
    }
};

QTEST_GUILESS_MAIN(TestPulseCaptureRules)
#include "test_pulse_capture_rules.moc"
