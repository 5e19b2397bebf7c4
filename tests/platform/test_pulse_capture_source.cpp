// The capture source against real audio servers of the test's own and real recording clients.
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

class TestPulseCaptureSource : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivatePulseServer> m_server;

    std::unique_ptr<ChildProcess> record(const QString &program, const QStringList &arguments) const
    {
        return std::make_unique<ChildProcess>(program, arguments, m_server->clientEnvironment());
    }
    std::unique_ptr<ChildProcess> recordClient(const QStringList &arguments) const
    {
        return record(QStringLiteral(PULSE_RECORD_CLIENT), arguments);
    }
    std::unique_ptr<ChildProcess> parecord(const QString &device = "rig_source") const
    {
        return record("parecord", {"--raw", "-d", device, "/dev/null"});
    }
    static QList<AudioCapture> capturesOf(const AudioCaptureSource &source, qint32 pid)
    {
        QList<AudioCapture> found = source.captures();
        found.removeIf([pid](const AudioCapture &c) { return c.pid != pid; });
        return found;
    }

private Q_SLOTS:
    void init() { m_server = std::make_unique<PrivatePulseServer>(); }

    void whatCountsAsMicrophoneUse()
    {
        const QString error = m_server->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("an audio server (%1)").arg(error));
        PulseConnection connection(m_server->address());
        PulseAudioCaptureSource source(connection);
        source.start();

        // A stream opened but never started, and a recording of what the
        // speakers play: neither listens to a microphone.
        auto corked = recordClient({"--corked", "--device", "rig_source"});
        QVERIFY(corked->nextLine().startsWith("ready"));
        auto monitor = parecord("rig_sink.monitor");
        // Both on the server before the marker starts: the read that shows the marker saw them too.
        QTRY_COMPARE(m_server->pactl({"list", "short", "source-outputs"}).value_or(QByteArray()).count('\n'),
                     2);
        auto marker = parecord();
        QTRY_COMPARE(source.captures().size(), 1);
        QCOMPARE(source.captures().constFirst().pid, marker->pid());
        QCOMPARE(source.captures().constFirst().clientName, QStringLiteral("parecord"));

        auto twoStreams = recordClient({"--streams", "2"});
        QTRY_COMPARE(capturesOf(source, twoStreams->pid()).size(), 2);

        // Changes are applied one object at a time: after a burst of streams
        // starting and stopping, what is known is what the server has.
        std::vector<std::unique_ptr<ChildProcess>> churn;
        for (int i = 0; i < 6; ++i)
            churn.push_back(recordClient({"--churn", "15"}));
        QTRY_VERIFY(source.captures().size() >= 6);
        churn.clear();
        QTRY_COMPARE(source.captures().size(), 3);
        auto later = parecord();
        QTRY_COMPARE(capturesOf(source, later->pid()).size(), 1);
        QCOMPARE(source.captures().size(), 4);
        QSignalSpy changed(&source, &AudioCaptureSource::capturesChanged);
        later.reset();
        QTRY_COMPARE(source.captures().size(), 3);
        QCOMPARE(changed.size(), 1); // one publication for one change
    }

    void recoversWhenTheServerRestarts_data()
    {
        QTest::addColumn<bool>("usersServer");
        QTest::newRow("by address") << false;
        // Found through the environment, it announces itself on the session
        // bus; libpulse waits there for its return.
        QTest::newRow("the user's server") << true;
    }
    void recoversWhenTheServerRestarts()
    {
        QFETCH(bool, usersServer);
        const QString error = m_server->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("an audio server (%1)").arg(error));
        const QProcessEnvironment before = QProcessEnvironment::systemEnvironment();
        const auto restore = qScopeGuard([&before] {
            for (const char *name : {"PULSE_RUNTIME_PATH", "PULSE_SERVER", "DBUS_SESSION_BUS_ADDRESS"})
                before.contains(name) ? qputenv(name, before.value(name).toLocal8Bit()) : qunsetenv(name);
        });
        if (usersServer) {
            qputenv("PULSE_RUNTIME_PATH", QFile::encodeName(QFileInfo(m_server->address().mid(5)).path()));
            qunsetenv("PULSE_SERVER");
            qputenv("DBUS_SESSION_BUS_ADDRESS", m_server->busAddress().toUtf8());
        }
        PulseConnection connection(usersServer ? QString() : m_server->address());
        PulseAudioCaptureSource source(connection);
        source.start();
        QSignalSpy lost(&connection, &PulseConnection::lost);
        QSignalSpy ready(&connection, &PulseConnection::ready);
        auto first = parecord();
        QTRY_COMPARE(capturesOf(source, first->pid()).size(), 1);

        // The recording dies with the server: nobody is listening any more.
        // The connection waits for it as for one not there yet at login.
        m_server->stop();
        QTRY_COMPARE(lost.size(), 1);
        QVERIFY(source.captures().isEmpty());
        first->kill();

        QCOMPARE(m_server->start(), QString());
        auto second = parecord();
        QTRY_COMPARE_WITH_TIMEOUT(capturesOf(source, second->pid()).size(), 1, 15000);
        QCOMPARE(ready.size(), 2);
        QCOMPARE(lost.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPulseCaptureSource)
#include "test_pulse_capture_source.moc"
