// The microphone guard on a real audio server of the test's own: what apps
// and pactl do to the levels, and the server going away. Inputs coming and
// going while on are the core test's.
// A second connection watches, so what is checked is what the server holds.
#include "DefaultsStore.h"
#include "MicGuard.h"
#include "PrivatePulseServer.h"
#include "PulseConnection.h"
#include "PulseInputDeviceControl.h"
#include "RequiredService.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <csignal>

namespace {

const QString oddDescription = QStringLiteral("It's \"the\" desk\nmic");

bool setVolumes(const PrivatePulseServer &server, const QString &source, const QStringList &volumes)
{
    return server.pactl(QStringList{QStringLiteral("set-source-volume"), source} + volumes).has_value();
}

bool setMute(const PrivatePulseServer &server, const QString &source, bool mute)
{
    return server
        .pactl({QStringLiteral("set-source-mute"), source, mute ? QStringLiteral("1") : QStringLiteral("0")})
        .has_value();
}

// A connection and the inputs it sees.
struct View {
    PulseConnection connection;
    PulseInputDeviceControl inputs{connection};
    explicit View(const QString &address)
        : connection(address)
    {
        inputs.start();
    }
    std::optional<InputDevice> device(const QString &uid) const
    {
        const QList<InputDevice> all = inputs.devices();
        const auto found =
            std::find_if(all.cbegin(), all.cend(), [&uid](const InputDevice &d) { return d.uid == uid; });
        return found == all.cend() ? std::nullopt : std::optional(*found);
    }
    bool allSilent() const
    {
        const QList<InputDevice> all = inputs.devices();
        return !all.isEmpty() && std::all_of(all.cbegin(), all.cend(), MicGuard::isSilent);
    }
};

// A guard on a connection of its own, switched on once it has seen the
// inputs, and a watcher on another.
struct Guarded {
    View watcher;
    QTemporaryDir dir;
    DefaultsStore defaults{dir.filePath(QStringLiteral("settings.json"))};
    View app;
    MicGuard guard{defaults, app.inputs};
    QSignalSpy reapplied{&guard, &MicGuard::reapplied};

    explicit Guarded(const QString &address)
        : watcher(address)
        , app(address)
    {}
    bool turnOn()
    {
        if (!QTest::qWaitFor(
                [this] { return app.inputs.isAvailable() && !watcher.inputs.devices().isEmpty(); }, 5000))
            return false;
        guard.turnOn();
        return true;
    }
    QJsonObject saved() const { return defaults.value(QStringLiteral("MicGuardSaved")).toObject(); }
};

} // namespace

class TestMicGuardPulse : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivatePulseServer> m_server;

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<PrivatePulseServer>();
        const QString error = m_server->start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("an audio server (%1)").arg(error));
        // 60 %, two channels at different levels, a muted one, and one with a
        // name no shell would survive. rig_source stays at 100 %.
        QVERIFY(m_server->addSource(QStringLiteral("sixty"),
                                    {QStringLiteral("description=Desk"), QStringLiteral("channels=1")}));
        QVERIFY(setVolumes(*m_server, QStringLiteral("sixty"), {QStringLiteral("39322")}));
        QVERIFY(m_server->addSource(QStringLiteral("two"), {QStringLiteral("channels=2")}));
        QVERIFY(
            setVolumes(*m_server, QStringLiteral("two"), {QStringLiteral("50000"), QStringLiteral("30000")}));
        QVERIFY(m_server->addSource(QStringLiteral("muted")));
        QVERIFY(setMute(*m_server, QStringLiteral("muted"), true));
        QString quoted = oddDescription;
        QVERIFY(m_server->addSource(QStringLiteral("odd"),
                                    {QStringLiteral("description=\"%1\"")
                                         .arg(quoted.replace(QLatin1Char('"'), QStringLiteral("\\\"")))}));
    }
    void cleanup() { m_server.reset(); }

    void silencesKeepsSilentAndGivesBackExactly()
    {
        Guarded g(m_server->address());
        View &watcher = g.watcher;
        QTRY_VERIFY(watcher.device(QStringLiteral("odd")).has_value());
        const QList<InputDevice> before = watcher.inputs.devices();
        QCOMPARE(before.size(), 5); // the output's monitor is not an input
        QVERIFY(g.turnOn());
        QTRY_VERIFY(watcher.allSilent());

        // Another app turns one up: silenced again, and named.
        QVERIFY(setMute(*m_server, QStringLiteral("odd"), false));
        QVERIFY(setVolumes(*m_server, QStringLiteral("odd"), {QStringLiteral("30000")}));
        QVERIFY(g.reapplied.wait(5000));
        // Named on one line: the description is the device maker's choice.
        QCOMPARE(g.reapplied.first().first().toString(),
                 QString(oddDescription).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        QTRY_VERIFY(watcher.allSilent());

        // Unmuted with every volume at zero: still silent, left alone. The
        // guard hears changes in order, so once it has answered a later one
        // it has seen this one.
        QVERIFY(setMute(*m_server, QStringLiteral("two"), false));
        QVERIFY(setMute(*m_server, QStringLiteral("sixty"), false));
        QVERIFY(setVolumes(*m_server, QStringLiteral("sixty"), {QStringLiteral("100")}));
        QTRY_COMPARE(g.reapplied.count(), 2);
        QCOMPARE(g.reapplied.last().first().toString(), QStringLiteral("Desk"));
        QCOMPARE(watcher.device(QStringLiteral("two"))->mute, std::optional<bool>(false));
        QCOMPARE(watcher.device(QStringLiteral("two"))->volumes, QList<quint32>({0, 0}));

        g.guard.turnOff();
        QTRY_COMPARE(watcher.inputs.devices(), before);
        QTRY_VERIFY(!g.defaults.contains(QStringLiteral("MicGuardSaved")));
        QCOMPARE(g.reapplied.count(), 2);

        // An input unplugged leaves the list (what the guard then does is the core test's).
        const QStringList sixty =
            QString::fromUtf8(
                m_server->pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")})
                    .value_or(""))
                .split(QLatin1Char('\n'))
                .filter(QStringLiteral("source_name=sixty"));
        QCOMPARE(sixty.size(), 1);
        QVERIFY(m_server->pactl(
            {QStringLiteral("unload-module"), sixty.first().section(QLatin1Char('\t'), 0, 0)}));
        QTRY_VERIFY(!watcher.device(QStringLiteral("sixty")));
    }

    void aRestartedServerIsSilencedAgain()
    {
        Guarded g(m_server->address());
        QVERIFY(g.turnOn());
        QTRY_VERIFY(g.watcher.allSilent());

        m_server->stop();
        QTRY_VERIFY(!g.app.inputs.isAvailable() && !g.watcher.inputs.isAvailable());
        QCOMPARE(m_server->start(), QString());
        // Back with rig_source at full volume: silenced as soon as it is seen,
        // and given back as it was before the restart, from the first record.
        QTRY_VERIFY_WITH_TIMEOUT(g.watcher.device(QStringLiteral("rig_source")).has_value(), 15000);
        QTRY_VERIFY(g.watcher.allSilent());
        g.guard.turnOff();
        QTRY_COMPARE(g.watcher.device(QStringLiteral("rig_source"))->volumes,
                     QList<quint32>({InputDevice::volumeNorm, InputDevice::volumeNorm}));
        QCOMPARE(g.watcher.device(QStringLiteral("rig_source"))->mute, std::optional<bool>(false));
    }

    void aRestoreCutOffByTheServerGoingIsAskedAgain()
    {
        QVERIFY(setVolumes(*m_server, QStringLiteral("rig_source"),
                           {QStringLiteral("39322"), QStringLiteral("20000")}));
        Guarded g(m_server->address());
        QTRY_COMPARE(g.watcher.device(QStringLiteral("rig_source")).value_or(InputDevice()).volumes,
                     QList<quint32>({39322, 20000}));
        QVERIFY(g.turnOn());
        QTRY_VERIFY(g.watcher.allSilent());

        // The server stops answering while the levels are given back, and dies.
        const auto pid = pid_t(m_server->serverPid());
        QVERIFY(::kill(pid, SIGSTOP) == 0);
        g.guard.turnOff();
        QVERIFY(::kill(pid, SIGKILL) == 0);
        QTRY_VERIFY(!g.app.inputs.isAvailable());
        m_server->stop();
        QVERIFY(g.saved().contains(QStringLiteral("rig_source")));

        // Back (rig_source at its start level): asked again, and the record goes once it is taken.
        QCOMPARE(m_server->start(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(
            g.watcher.device(QStringLiteral("rig_source")).value_or(InputDevice()).volumes,
            QList<quint32>({39322, 20000}), 15000);
        QTRY_VERIFY(!g.saved().contains(QStringLiteral("rig_source")));
        QCOMPARE(g.reapplied.count(), 0);
    }

    void anOutOfRangeLevelIsKeptAsideNotRetried()
    {
        Guarded g(m_server->address());
        QTRY_VERIFY(g.app.device(QStringLiteral("odd")).has_value());
        // Above what the server takes, with a mute the server would take.
        const QJsonObject record{{QStringLiteral("mute"), 1},
                                 {QStringLiteral("volumes"), QJsonArray{1, qint64(0x90000000)}}};
        g.defaults.setValue(QStringLiteral("MicGuardSaved"), QJsonObject{{QStringLiteral("sixty"), record}});
        QSignalSpy changes(&g.app.inputs, &InputDeviceControl::devicesChanged);
        QSignalSpy refused(&g.guard, &MicGuard::restoreRefused);
        g.guard.restoreLeftovers();

        // Once the guard's connection has seen a later change, a retry loop would be well under way.
        QVERIFY(
            setVolumes(*m_server, QStringLiteral("two"), {QStringLiteral("1000"), QStringLiteral("1000")}));
        QTRY_COMPARE(g.app.device(QStringLiteral("two")).value_or(InputDevice()).volumes,
                     QList<quint32>({1000, 1000}));
        QVERIFY2(changes.count() <= 2, qPrintable(QString::number(changes.count())));
        QCOMPARE(g.watcher.device(QStringLiteral("sixty"))->volumes, QList<quint32>({39322}));
        QCOMPARE(g.watcher.device(QStringLiteral("sixty"))->mute, std::optional<bool>(false));
        QVERIFY(!g.defaults.contains(QStringLiteral("MicGuardSaved")));
        QCOMPARE(g.defaults.value(QStringLiteral("MicGuardSaved.damaged")).toObject(),
                 QJsonObject({{QStringLiteral("sixty"), record}}));
        QCOMPARE(refused.count(), 0); // nothing was asked of the server
    }

    void onPipeWiresPulseServer()
    {
        // Its answers to writes can come after later reads: the same cycle holds.
        PrivatePulseServer server(PrivatePulseServer::Kind::PipeWire);
        const QString error = server.start();
        REQUIRE_SERVICE(error.isEmpty(), QStringLiteral("PipeWire (%1)").arg(error));
        QVERIFY(setVolumes(server, QStringLiteral("rig_source"),
                           {QStringLiteral("39322"), QStringLiteral("20000")}));
        Guarded g(server.address());
        QTRY_COMPARE_WITH_TIMEOUT(
            g.watcher.device(QStringLiteral("rig_source")).value_or(InputDevice()).volumes,
            QList<quint32>({39322, 20000}), 10000);
        const QList<InputDevice> before = g.watcher.inputs.devices();
        QVERIFY(g.turnOn());
        QTRY_VERIFY(g.watcher.allSilent());
        QVERIFY(setMute(server, QStringLiteral("rig_source"), false));
        QVERIFY(setVolumes(server, QStringLiteral("rig_source"), {QStringLiteral("50000")}));
        QVERIFY(g.reapplied.wait(5000));
        QTRY_VERIFY(g.watcher.allSilent());
        g.guard.turnOff();
        QTRY_COMPARE(g.watcher.inputs.devices(), before);
        QTRY_VERIFY(!g.defaults.contains(QStringLiteral("MicGuardSaved")));
        QCOMPARE(g.reapplied.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestMicGuardPulse)
#include "test_mic_guard_pulse.moc"
