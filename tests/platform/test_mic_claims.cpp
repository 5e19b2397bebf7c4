// Who the watcher says listens, against a real audio server and real recording clients that lie about
// themselves or run in a sandbox: a client's claims never hide a recording, and never name a stranger.
#include "ChildProcess.h"
#include "LinuxProcessDirectory.h"
#include "PrivatePulseServer.h"
#include "PulseAudioCaptureSource.h"
#include "PulseConnection.h"
#include "RequiredService.h"
#include "SensorWatcher.h"
#include "SimCameraClientFinder.h"
#include "SimCameraDeviceSource.h"

#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#include <memory>

#include <pulse/stream.h>
#include <unistd.h>

using Kind = PrivatePulseServer::Kind;

class TestMicClaims : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivatePulseServer> m_server;

    // The watcher of this process, which plays Tarnwick, on the real server.
    struct Watching {
        PulseConnection connection;
        PulseAudioCaptureSource audio{connection};
        SimCameraDeviceSource cameras;
        SimCameraClientFinder finder;
        LinuxProcessDirectory processes;
        SensorWatcher watcher{{audio, cameras, finder, processes}, qint32(::getpid())};

        explicit Watching(const QString &server)
            : connection(server)
        {
            watcher.start();
        }
    };

    std::unique_ptr<ChildProcess> recorder(const QStringList &wrapper, const QByteArray &claims) const
    {
        QProcessEnvironment env = m_server->clientEnvironment();
        if (!claims.isEmpty())
            env.insert("PULSE_PROP", QString::fromUtf8(claims));
        const QStringList command = wrapper + QStringList{QStringLiteral(PULSE_RECORD_CLIENT)};
        return std::make_unique<ChildProcess>(command.first(), command.mid(1), env);
    }

private Q_SLOTS:

    void claimsNeitherHideNorMisname_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("sandboxed");
        QTest::addColumn<QByteArray>("claims");
        const QByteArray own = "application.process.id=" + QByteArray::number(::getpid());
        QTest::newRow("the watcher's own pid") << Kind::PulseAudio << false << own;
        QTest::newRow("the watcher's own pid, through PipeWire") << Kind::PipeWire << false << own;
        QTest::newRow("another process's pid")
            << Kind::PulseAudio << false << QByteArray("application.process.id=1");
        // Its own pid namespace: the pid it reports is another process out here.
        QTest::newRow("a sandbox of its own") << Kind::PulseAudio << true << QByteArray();
    }
    void claimsNeitherHideNorMisname()
    {
        QFETCH(Kind, kind);
        QFETCH(bool, sandboxed);
        QFETCH(QByteArray, claims);
        if (sandboxed)
            REQUIRE_SERVICE(!QStandardPaths::findExecutable("bwrap").isEmpty(), "bwrap (bubblewrap)");
        m_server = std::make_unique<PrivatePulseServer>(kind);
        const QString error = m_server->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("an audio server (%1)").arg(error));
        Watching w(m_server->address());
        QTRY_VERIFY(w.connection.isReady());
        // The watcher's own recording is known by its own connection and left out.
        const pa_sample_spec spec{PA_SAMPLE_S16LE, 44100, 1};
        pa_stream *own = pa_stream_new(w.connection.context(), "own capture", &spec, nullptr);
        const auto dropOwn = qScopeGuard([own] {
            pa_stream_disconnect(own);
            pa_stream_unref(own);
        });
        QCOMPARE(pa_stream_connect_record(own, nullptr, nullptr, PA_STREAM_NOFLAGS), 0);
        QTRY_COMPARE(pa_stream_get_state(own), PA_STREAM_READY);

        const QStringList wrapper =
            sandboxed ? QString("bwrap --unshare-pid --die-with-parent --dev-bind / / --").split(' ')
                      : QStringList();
        auto lying = recorder(wrapper, claims);
        // Known by what it calls itself: no process vouches for it.
        QTRY_VERIFY(w.watcher.state().micOn);
        QCOMPARE(w.watcher.state().micUsers, (QList<SensorUser>{{0, "pulse_record_client", QString()}}));

        // An honest client beside it is named by its process, or by the app
        // it was started from (Python, an IDE) when the test runs inside one.
        auto honest = recorder({}, {});
        QTRY_COMPARE(w.watcher.state().micUsers.size(), 2);
        const qint32 owner = w.processes.responsible(honest->pid());
        QStringList seen;
        for (const SensorUser &user : w.watcher.state().micUsers)
            seen.append(QStringLiteral("%1 %2").arg(user.pid).arg(user.name));
        QVERIFY2(seen.contains(QStringLiteral("%1 %2").arg(owner).arg(
                     w.processes.runningApp(owner) ? w.processes.runningApp(owner)->name
                                                   : w.processes.processName(owner))),
                 qPrintable(seen.join(", ") + QStringLiteral(" lack %1").arg(owner)));

        lying->kill();
        honest->kill();
        QTRY_VERIFY(!w.watcher.state().micOn);
    }
};

QTEST_GUILESS_MAIN(TestMicClaims)
#include "test_mic_claims.moc"
