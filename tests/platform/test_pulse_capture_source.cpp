// The capture source against real audio servers of the test's own (PulseAudio,
// and PipeWire's pulse server) and real recording clients.

#include "ChildProcess.h"
#include "PrivatePulseServer.h"
#include "PulseAudioCaptureSource.h"
#include "PulseConnection.h"
#include "RequiredService.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

std::unique_ptr<ChildProcess> parecord(const PrivatePulseServer &server, const QString &device)
{
    return std::make_unique<ChildProcess>(
        QStringLiteral("parecord"), QStringList{QStringLiteral("--raw"), QStringLiteral("-d"), device,
                                                QStringLiteral("/dev/null")},
        server.clientEnvironment());
}

std::unique_ptr<ChildProcess> testClient(const PrivatePulseServer &server, const QStringList &arguments)
{
    return std::make_unique<ChildProcess>(QStringLiteral(PULSE_RECORD_CLIENT), arguments,
                                          server.clientEnvironment());
}

QList<AudioCapture> capturesOf(const AudioCaptureSource &source, qint32 pid)
{
    QList<AudioCapture> found;
    for (const AudioCapture &c : source.captures()) {
        if (c.pid == pid)
            found.append(c);
    }
    return found;
}

} // namespace

class TestPulseCaptureSource : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivatePulseServer> m_server;

    void makeServer()
    {
        QFETCH_GLOBAL(PrivatePulseServer::Kind, kind);
        m_server = std::make_unique<PrivatePulseServer>(kind);
    }

    void startServer()
    {
        if (!m_server)
            makeServer();
        const QString error = m_server->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("an audio server (%1)").arg(error));
    }

private Q_SLOTS:
    void initTestCase_data()
    {
        QTest::addColumn<PrivatePulseServer::Kind>("kind");
        QTest::newRow("PulseAudio") << PrivatePulseServer::Kind::PulseAudio;
        QTest::newRow("PipeWire") << PrivatePulseServer::Kind::PipeWire;
    }
    void cleanup() { m_server.reset(); }

    void aRecordingAppearsWithItsPidAndClientName()
    {
        startServer();
        PulseConnection connection(m_server->address());
        PulseAudioCaptureSource source(connection);
        source.start();
        QTRY_VERIFY(connection.isReady());
        QVERIFY(source.captures().isEmpty());

        auto recorder = parecord(*m_server, QStringLiteral("rig_source"));
        QTRY_COMPARE(capturesOf(source, recorder->pid()).size(), 1);
        const AudioCapture capture = capturesOf(source, recorder->pid()).constFirst();
        QCOMPARE(capture.clientName, QStringLiteral("parecord"));
        QVERIFY(capture.appId.isEmpty());

        QSignalSpy changed(&source, &AudioCaptureSource::capturesChanged);
        recorder->kill();
        QTRY_VERIFY(source.captures().isEmpty());
        QCOMPARE(changed.size(), 1); // one publication for one change
    }

    void onlyMicrophoneUseCounts()
    {
        startServer();
        PulseConnection connection(m_server->address());
        PulseAudioCaptureSource source(connection);
        source.start();

        // A stream that was opened but never started, and a recording of what
        // the speakers play: neither listens to a microphone.
        auto corked = testClient(*m_server, {QStringLiteral("--corked"), QStringLiteral("--device"),
                                             QStringLiteral("rig_source")});
        QVERIFY(corked->nextLine().startsWith("ready"));
        auto monitor = parecord(*m_server, QStringLiteral("rig_sink.monitor"));
        // Both exist on the server before the marker recording starts, so the
        // read that shows the marker has seen them too.
        QTRY_VERIFY(m_server->pactl({QStringLiteral("list"), QStringLiteral("short"),
                                     QStringLiteral("source-outputs")})
                        .value_or(QByteArray())
                        .count('\n')
                    == 2);
        auto marker = parecord(*m_server, QStringLiteral("rig_source"));
        QTRY_COMPARE(source.captures().size(), 1);
        QCOMPARE(source.captures().constFirst().pid, marker->pid());
        QVERIFY(capturesOf(source, corked->pid()).isEmpty());
        QVERIFY(capturesOf(source, monitor->pid()).isEmpty());
    }

    void twoStreamsOfOneProcessAreTwoCaptures()
    {
        startServer();
        PulseConnection connection(m_server->address());
        PulseAudioCaptureSource source(connection);
        source.start();

        auto client = testClient(*m_server, {QStringLiteral("--streams"), QStringLiteral("2")});
        QTRY_COMPARE(capturesOf(source, client->pid()).size(), 2);
        const QList<AudioCapture> captures = source.captures();
        QVERIFY(captures.at(0).id < captures.at(1).id);
        QCOMPARE(captures.at(0).clientName, QStringLiteral("pulse_record_client"));
    }

    void waitsForAServerThatIsNotThereYet()
    {
        makeServer();
        PulseConnection connection(m_server->address());
        PulseAudioCaptureSource source(connection);
        source.start();
        QVERIFY(!connection.isReady());

        startServer();
        auto recorder = parecord(*m_server, QStringLiteral("rig_source"));
        QTRY_COMPARE_WITH_TIMEOUT(capturesOf(source, recorder->pid()).size(), 1, 15000);
    }

    void recoversWhenTheServerRestarts()
    {
        startServer();
        PulseConnection connection(m_server->address());
        PulseAudioCaptureSource source(connection);
        source.start();
        QSignalSpy lost(&connection, &PulseConnection::lost);
        QSignalSpy ready(&connection, &PulseConnection::ready);

        auto first = parecord(*m_server, QStringLiteral("rig_source"));
        QTRY_COMPARE(capturesOf(source, first->pid()).size(), 1);

        // The recording dies with the server: nobody is listening any more.
        m_server->stop();
        QTRY_COMPARE(lost.size(), 1);
        QVERIFY(source.captures().isEmpty());
        first->kill();

        startServer();
        auto second = parecord(*m_server, QStringLiteral("rig_source"));
        QTRY_COMPARE_WITH_TIMEOUT(capturesOf(source, second->pid()).size(), 1, 15000);
        QCOMPARE(ready.size(), 2);
        QCOMPARE(lost.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPulseCaptureSource)
#include "test_pulse_capture_source.moc"
