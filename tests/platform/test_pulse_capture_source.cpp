// The capture source against real audio servers of the test's own (PulseAudio,
// and PipeWire's pulse server) and real recording clients.

#include "ChildProcess.h"
#include "PrivatePulseServer.h"
#include "PulseAudioCaptureSource.h"
#include "PulseConnection.h"
#include "RequiredService.h"

#include <QFileInfo>
#include <QScopeGuard>
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

// In the test function itself, so that a skip or failure ends the test.
#define START_SERVER()                                                                                       \
    do {                                                                                                     \
        const QString error = startServer();                                                                 \
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("an audio server (%1)").arg(error));                \
    } while (false)

class TestPulseCaptureSource : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivatePulseServer> m_server;

    void makeServer()
    {
        QFETCH_GLOBAL(PrivatePulseServer::Kind, kind);
        m_server = std::make_unique<PrivatePulseServer>(kind);
    }

    // Empty when the server runs, otherwise why not.
    QString startServer()
    {
        if (!m_server)
            makeServer();
        return m_server->start();
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
        START_SERVER();
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
        START_SERVER();
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
        START_SERVER();
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

        START_SERVER();
        auto recorder = parecord(*m_server, QStringLiteral("rig_source"));
        QTRY_COMPARE_WITH_TIMEOUT(capturesOf(source, recorder->pid()).size(), 1, 15000);
    }

    void recoversWhenTheServerRestarts()
    {
        START_SERVER();
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

        START_SERVER();
        auto second = parecord(*m_server, QStringLiteral("rig_source"));
        QTRY_COMPARE_WITH_TIMEOUT(capturesOf(source, second->pid()).size(), 1, 15000);
        QCOMPARE(ready.size(), 2);
        QCOMPARE(lost.size(), 1);
    }

    void reconnectsToTheUsersServerThroughTheSessionBus()
    {
        // The user's own server, found through the environment, announces
        // itself on the session bus; libpulse waits there for its return.
        START_SERVER();
        const char *names[] = {"PULSE_RUNTIME_PATH", "PULSE_SERVER", "DBUS_SESSION_BUS_ADDRESS"};
        std::vector<std::optional<QByteArray>> saved;
        for (const char *name : names)
            saved.push_back(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        const auto restore = qScopeGuard([&] {
            for (size_t i = 0; i < saved.size(); ++i) {
                if (saved[i])
                    qputenv(names[i], *saved[i]);
                else
                    qunsetenv(names[i]);
            }
        });
        qputenv("PULSE_RUNTIME_PATH", QFile::encodeName(QFileInfo(m_server->address().mid(5)).path()));
        qunsetenv("PULSE_SERVER");
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_server->busAddress().toUtf8());

        PulseConnection connection;
        PulseAudioCaptureSource source(connection);
        source.start();
        QSignalSpy lost(&connection, &PulseConnection::lost);
        auto first = parecord(*m_server, QStringLiteral("rig_source"));
        QTRY_COMPARE(capturesOf(source, first->pid()).size(), 1);
        m_server->stop();
        QTRY_COMPARE(lost.size(), 1);
        first->kill();
        START_SERVER();
        auto second = parecord(*m_server, QStringLiteral("rig_source"));
        QTRY_COMPARE_WITH_TIMEOUT(capturesOf(source, second->pid()).size(), 1, 15000);
    }
};

QTEST_GUILESS_MAIN(TestPulseCaptureSource)
#include "test_pulse_capture_source.moc"
